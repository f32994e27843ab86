#pragma once

// Shared by the tests of studying a set: five cards answered or not, a clock at a fixed noon, and sessions on them.

#include "clock.h"
#include "enginetest.h"
#include "studysession.h"
#include "studytest.h"

namespace sessiontest {

// A Tuesday noon, UTC.
inline constexpr std::int64_t kNoon = 1'765'281'600'000;
inline constexpr std::int64_t kHour = 3'600'000;

class SessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::makeCardSet(path, enginetest::fiveCards());
        enginetest::openTable(table, path);
        keys = studytest::keysOf(table);
    }

    // The set, its table closed, copied to name in the same folder with answers recorded there: the starting point
    // that each case copies back over the set before it spoils it.
    std::string answeredCopy(const std::string& name, const std::vector<cardstore::ReviewEntry>& answers)
    {
        table.close();
        const std::string copy = dir.file(name);
        std::filesystem::copy_file(path, copy);
        cardstore::Table writer;
        enginetest::openTable(writer, copy);
        for (const cardstore::ReviewEntry& entry : answers)
            writer.study().recordAnswer(entry);
        return copy;
    }

    testsupport::TempDir dir;
    std::string path = dir.file("set.SDB");
    cardstore::Table table;
    std::vector<std::int64_t> keys; // and, God, love, spirit, word: 2, 3, 4, 5, 1
    learning::ManualClock clock { kNoon };
};

} // namespace sessiontest
