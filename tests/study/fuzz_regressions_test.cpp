// Inputs of the study-table fuzz target kept as regression cases (fuzz/studydriver.h tells their form): rows another
// program could write into a set's study tables, most of them beyond anything the program writes, studied in every
// UTC offset through the target's own driver. Every one must be studied without a figure breaking its rules.
#include "studydriver.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

TEST(StudyFuzzRegressions, StudyTablesOfAnyValuesAreStudiedInEveryOffset)
{
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(KARTE_STUDY_FUZZ_REGRESSIONS))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        testsupport::TempDir dir;
        const std::string path = dir.file("set.SDB");
        const std::int64_t now = studydriver::makeSet(path, testsupport::readBytes(input.string()));
        EXPECT_EQ(studydriver::study(path, now), std::vector<std::string> {});
    }
}
