#pragma once

// Shared by the import, export and tool tests: the sample files, and card sets read back as plain texts.

#include "cardsets.h"
#include "importplan.h"
#include "survey.h"
#include "table.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace interchangetest {

inline std::string sample(const std::string& name)
{
    return std::string(KARTE_INTERCHANGE_DATA) + "/" + name;
}

// A card as three texts: Greek, English, Frequency.
using CardTexts = std::vector<std::string>;

// The cards of the set at path in its primary order (the records' own order when it has none).
inline std::vector<CardTexts> cardsIn(const std::string& path)
{
    cardstore::Table table;
    table.setTableName(path);
    table.setReadOnly(true);
    table.open();
    std::vector<CardTexts> cards;
    for (table.first(); !table.eof(); table.next())
        cards.push_back({ table.fieldText("Language"), table.fieldText("English"), table.fieldText("Frequency") });
    return cards;
}

// What the import window does with the guesses left as they are: survey, plan against the open set, commit.
inline interchange::ImportPlan importFile(const std::string& file, cardstore::Table& into, bool keepDuplicates = false,
    const interchange::Progress& progress = {})
{
    interchange::FileSurvey survey = interchange::surveyFile(file);
    interchange::ImportSettings settings { survey.layout, survey.mapping, keepDuplicates };
    interchange::ImportPlan plan = interchange::planImport(file, settings, &into, progress);
    interchange::commitImport(into, plan, progress);
    return plan;
}

inline interchange::ImportPlan importFile(const std::string& file, const std::string& setPath,
    bool keepDuplicates = false, const interchange::Progress& progress = {})
{
    cardstore::Table table;
    table.setTableName(setPath);
    table.open();
    return importFile(file, table, keepDuplicates, progress);
}

} // namespace interchangetest
