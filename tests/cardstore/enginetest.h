#pragma once

// Helpers shared by the engine's test files: opening sets, walking them and catching the engine's errors.

#include "cardsets.h"
#include "errors.h"
#include "table.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace enginetest {

using testsupport::Card;

inline void openTable(cardstore::Table& table, const std::string& path, const std::string& indexName = {})
{
    table.setTableName(path);
    table.setIndexName(indexName);
    table.open();
}

// The texts of one field over the whole active order; the cursor ends past the last record.
inline std::vector<std::string> column(cardstore::Table& table, const std::string& field = "English")
{
    std::vector<std::string> texts;
    for (table.first(); !table.eof(); table.next())
        texts.push_back(table.fieldText(field));
    return texts;
}

// The texts of one field as a fresh connection reads them from the file.
inline std::vector<std::string> storedColumn(const std::string& path, const std::string& field = "English")
{
    cardstore::Table table;
    openTable(table, path);
    return column(table, field);
}

// Moves to the first record whose field holds text, walking the active order; false when there is none.
inline bool moveToText(cardstore::Table& table, const std::string& text, const std::string& field = "English")
{
    for (table.first(); !table.eof(); table.next())
        if (table.fieldText(field) == text)
            return true;
    return false;
}

// The DatabaseError an action raises; a test failure when it raises none.
inline cardstore::DatabaseError errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const cardstore::DatabaseError& error) {
        return error;
    }
    ADD_FAILURE() << "no DatabaseError was raised";
    return cardstore::DatabaseError(0, "<none>");
}

// The bytes of a file ("" for a directory), to compare before and after with ==: a failure then names the check
// instead of printing two whole files.
inline std::string bytesOf(const std::string& path)
{
    return std::filesystem::is_directory(path) ? std::string() : testsupport::readBytes(path);
}

// Names in a directory, to prove that a failed open left no journal or temporary file behind.
inline std::set<std::string> directoryEntries(const std::string& directory)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

// Five cards; a user set walks them in English order: and, God, love, spirit, word.
inline std::vector<Card> fiveCards()
{
    return { { "word", "λόγος", 330 }, { "and", "καί", 8973 }, { "God", "θεός", 1317 }, { "love", "ἀγάπη", 116 },
        { "spirit", "πνεῦμα", 379 } };
}

} // namespace enginetest
