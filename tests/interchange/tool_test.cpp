#include "interchangetest.h"

#include "commands.h"
#include "protectedtest.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>
#include <unistd.h>

using interchangetest::sample;

namespace {

// Runs karte-cards with the arguments (a shell command line) and text on its standard input.
testsupport::CommandRun runTool(const std::string& arguments, const std::string& input = "")
{
    return testsupport::runCommand("printf '%s' '" + input + "' | " KARTE_CARDS_TOOL " " + arguments);
}

class ToolTest : public protectedtest::ProtectedSetTest
{
};

TEST_F(ToolTest, ExitCodesAndMessages)
{
    const std::string d = dir.path() + "/";
    testsupport::writeBytes(d + "bad.csv", "Greek,English\nλόγος,\"word\n");
    testsupport::writeBytes(d + "taken.csv", "keep me");
    protectedSet("locked.sdb", "secret");
    testsupport::makeCardSet(d + "readonly.sdb", {});
    ::chmod((d + "readonly.sdb").c_str(), 0444);
    // The per-user copy of the built-in set, which takes no cards however it is named.
    const std::string builtIn = dir.path() + "/karte32/cardsfrq.db";
    std::filesystem::create_directories(dir.path() + "/karte32");
    std::filesystem::copy_file(KARTE_BUILTIN_SET, builtIn);
    const std::string builtInBefore = testsupport::readBytes(builtIn);
    struct Case
    {
        std::string arguments;
        std::string input;
        int exitCode;
        const char* output;
    };
    const std::vector<Case> cases {
        { "import " + d + "new.sdb " + sample("spreadsheet.csv") + " --new", "", 0, "6 cards to add" },
        { "import " + d + "new.sdb " + sample("words.tsv") + " --dry-run --greek 2 --english 1 --frequency none", "", 0,
            "4 cards to add" },
        { "import " + d + "new.sdb " + d + "bad.csv", "", 1, "Line 2 of bad.csv: a quoted value is not closed" },
        { "import " + d + "new.sdb " + sample("words.tsv") + " --new", "", 1, "is there already" },
        { "import " + d + "new.sdb " + sample("words.tsv") + " --greek Lemma", "", 1, "no column named \"Lemma\"" },
        { "import " + d + "locked.sdb " + sample("words.tsv"), "secret\n", 0, "Added 2 cards" },
        { "import " + d + "locked.sdb " + sample("words.tsv"), "wrong\n", 1, "Password required" },
        { "export " + d + "new.sdb " + d + "taken.csv", "", 1, "is there already" },
        { "export " + d + "new.sdb " + d + "taken.csv --force", "", 0, "Wrote 6 cards" },
        { "export " + d + "new.sdb " + d + "new.sdb --force", "", 1, "the card set's own file" },
        { "import " + d + "readonly.sdb " + sample("words.tsv"), "", 1, "readonly.sdb is read-only" },
        { "export " + d + "new.sdb", "", 2, "usage:" },
        { "import " + d + "new.sdb " + d + "bad.csv --colour blue", "", 2, "unknown option --colour" },
        { "import " + builtIn + " " + sample("words.tsv"), "", 1,
            "The built-in set takes no cards: only a set of your own takes cards" },
        { "import " + d + "missing.sdb " + sample("words.tsv"), "", 1, "missing.sdb does not exist" },
        // The usage asked for is the output, on standard output.
        { "--help 2>/dev/null", "", 0, "usage: karte-cards import" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        testsupport::CommandRun run = runTool(c.arguments, c.input);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_NE(run.output.find(c.output), std::string::npos) << run.output;
    }
    EXPECT_EQ(testsupport::readBytes(d + "taken.csv").substr(3, 23), "Greek,English,Frequency");
    EXPECT_TRUE(testsupport::readBytes(builtIn) == builtInBefore);
}

// A TSV file of count generated cards.
std::string manyCards(const std::string& path, int count)
{
    std::string text = "Greek\tEnglish\tFrequency\n";
    for (int i = 0; i < count; ++i)
        text += "λόγος" + std::to_string(i) + "\tword number " + std::to_string(i) + "\t" + std::to_string(i) + "\n";
    testsupport::writeBytes(path, text);
    return path;
}

// Starts karte-cards with the arguments, its outputs thrown away.
pid_t startTool(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv { const_cast<char*>(KARTE_CARDS_TOOL) };
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
        int quiet = ::open("/dev/null", O_RDWR);
        ::dup2(quiet, STDIN_FILENO);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        ::execv(KARTE_CARDS_TOOL, argv.data());
        ::_exit(127);
    }
    return child;
}

TEST_F(ToolTest, ANewSetKilledWhileItIsMadeIsNoSetAndTheImportRunsAgain)
{
    constexpr int kCards = 20'000;
    const std::string file = manyCards(dir.file("many.tsv"), kCards);
    const std::string set = dir.file("new.sdb");
    const std::vector<std::string> command { "import", set, file, "--new" };
    // How long a whole import takes here, to kill the others at moments spread over it.
    auto begun = std::chrono::steady_clock::now();
    int status = 0;
    ::waitpid(startTool(command), &status, 0);
    const auto whole = std::chrono::steady_clock::now() - begun;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(interchangetest::cardsIn(set).size(), std::size_t(kCards));
    int cutShort = 0;
    for (int moment = 1; moment <= 6; ++moment) {
        SCOPED_TRACE("killed at " + std::to_string(moment) + "/7");
        std::filesystem::remove(set);
        pid_t child = startTool(command);
        std::this_thread::sleep_for(whole * moment / 7);
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        cutShort += WIFSIGNALED(status);
        // The set is there with every card, or not at all.
        if (std::filesystem::exists(set)) {
            EXPECT_EQ(interchangetest::cardsIn(set).size(), std::size_t(kCards));
            continue;
        }
        testsupport::CommandRun again = runTool("import " + set + " " + file + " --new");
        EXPECT_EQ(again.exitCode, 0) << again.output;
        EXPECT_EQ(interchangetest::cardsIn(set).size(), std::size_t(kCards));
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos) << entry.path();
    }
    EXPECT_GE(cutShort, 1);
}

// An import reads its file as a stream: its memory follows the preview and the cards being written, not the file.
TEST_F(ToolTest, ALargeFileIsImportedInLittleMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory aside";
#endif
    const std::string file = manyCards(dir.file("large.tsv"), 250'000);
    const std::string set = dir.file("set.sdb");
    for (bool newSet : { true, false }) {
        SCOPED_TRACE(newSet ? "into a new set" : "into an empty one");
        std::filesystem::remove(set);
        std::vector<std::string> command { "import", set, file };
        if (newSet)
            command.push_back("--new");
        else
            testsupport::makeCardSet(set, {});
        int status = 0;
        rusage usage {};
        ::wait4(startTool(command), &status, 0, &usage);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        // Holding the file's 250,000 cards took 200 MB.
        EXPECT_LT(usage.ru_maxrss, 80 * 1024) << std::filesystem::file_size(file) << " bytes";
    }
}

} // namespace
