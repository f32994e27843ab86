#pragma once

// Shared by the tests of password-protected card sets: a fixture with a cheap key derivation and an empty
// password list, and helpers to make, read and examine protected sets.

#include "cardsets.h"
#include "errors.h"
#include "protectedfile.h"
#include "session.h"
#include "table.h"
#include "tempdir.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace protectedtest {

using testsupport::Card;

inline const std::vector<Card> kCards = {
    { "unmistakable", "ἀγαπητός", 61 },
    { "and", "καί", 8973 },
    { "word", "λόγος", 330 },
};

// The cheapest cost Argon2id allows, so that a test does not spend a second on each new password.
inline constexpr cardstore::KeyDerivationCost kCheapCost { 1, 8 * 1024 };

class ProtectedSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cardstore::setKeyDerivationCostForNewSets(kCheapCost);
        cardstore::Session::instance().removeAllPasswords();
    }
    void TearDown() override
    {
        cardstore::setKeyDerivationCostForNewSets(cardstore::defaultKeyDerivationCost());
        cardstore::Session::instance().removeAllPasswords();
    }

    // A user set at name in the temporary directory, protected by password.
    std::string protectedSet(
        const std::string& name, const std::string& password, const std::vector<Card>& cards = kCards)
    {
        std::string path = dir.file(name);
        testsupport::makeCardSet(path, cards);
        cardstore::protectCardSet(path, password);
        return path;
    }

    testsupport::TempDir dir;
};

inline void openTable(cardstore::Table& table, const std::string& path)
{
    table.setTableName(path);
    table.open();
}

// One field's texts over the whole set in the active order.
inline std::vector<std::string> column(cardstore::Table& table, const std::string& field = "English")
{
    std::vector<std::string> texts;
    for (table.first(); !table.eof(); table.next())
        texts.push_back(table.fieldText(field));
    return texts;
}

// The cards as a fresh table reads them from the file with the session's passwords.
inline std::vector<std::string> storedColumn(const std::string& path, const std::string& field = "English")
{
    cardstore::Table table;
    openTable(table, path);
    return column(table, field);
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

// The message of the program error (any kind) an action raises; empty, and a test failure, when it raises none.
inline std::string messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const cardstore::Error& error) {
        return error.what();
    }
    ADD_FAILURE() << "no error was raised";
    return {};
}

inline std::set<std::string> directoryEntries(const std::string& directory)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

inline bool contains(const std::string& bytes, const std::string& part)
{
    return bytes.find(part) != std::string::npos;
}

// Puts a matching checksum on a changed file, as someone would who knows the format and wants a change to go
// unnoticed: what is left to catch it is the authentication.
inline void refreshChecksum(std::string& bytes)
{
    namespace pf = cardstore::protectedformat;
    auto* data = reinterpret_cast<unsigned char*>(bytes.data());
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES);
    crypto_generichash_update(&state, data, pf::kChecksumOffset);
    crypto_generichash_update(&state, data + pf::kHeaderSize, bytes.size() - pf::kHeaderSize);
    crypto_generichash_final(&state, data + pf::kChecksumOffset, crypto_generichash_BYTES);
}

} // namespace protectedtest
