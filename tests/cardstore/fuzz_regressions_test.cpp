// Inputs of the fuzz targets kept as regression cases: files the engine once mishandled and files that reach deep
// into it, replayed through the fuzz targets' own driver. Each file's name says what must happen to it: "opens-"
// files open and are walked, "refused-" files are refused with the engine's error; either way the file is left
// byte for byte as it was, with nothing beside it.
#include "enginetest.h"
#include "fuzzdriver.h"

#include <algorithm>

using namespace cardstore;
using namespace enginetest;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputsIn(const std::string& folder)
{
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(fs::path(KARTE_FUZZ_REGRESSIONS) / folder))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Writes the file an input stands for, opens and walks it, and checks the outcome its name announces.
void replay(const fs::path& input, const std::string& fileBytes)
{
    SCOPED_TRACE(input.filename().string());
    std::string name = input.filename().string();
    bool mustOpen = name.starts_with("opens-");
    ASSERT_TRUE(mustOpen || name.starts_with("refused-")) << "name the expected outcome";
    testsupport::TempDir dir;
    std::string path = dir.file("input.db");
    testsupport::writeBytes(path, fileBytes);
    std::string error;
    try {
        fuzzdriver::openAndWalk(path);
    } catch (const Error& refusal) {
        error = refusal.what();
    }
    if (mustOpen)
        EXPECT_EQ(error, "");
    else
        EXPECT_NE(error, "") << "the file was accepted";
    EXPECT_EQ(testsupport::readBytes(path), fileBytes);
    EXPECT_EQ(directoryEntries(dir.path()), (std::set<std::string> { "input.db" }));
}

} // namespace

TEST(FuzzRegressions, CardSetFilesOpenOrAreRefusedAndAreLeftAlone)
{
    std::vector<fs::path> inputs = inputsIn("open-walk");
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs)
        replay(input, testsupport::readBytes(input.string()));
}

TEST(FuzzRegressions, ProtectedFilesOpenOrAreRefusedAndAreLeftAlone)
{
    std::vector<fs::path> inputs = inputsIn("protected");
    ASSERT_FALSE(inputs.empty());
    fuzzdriver::useCheapKeys();
    for (const fs::path& input : inputs) {
        std::string bytes = testsupport::readBytes(input.string());
        replay(input,
            fuzzdriver::protectedFileFromInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }
    fuzzdriver::restoreKeys();
}
