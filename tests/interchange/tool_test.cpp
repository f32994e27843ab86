#include "interchangetest.h"

#include "commands.h"
#include "protectedtest.h"

#include <sys/stat.h>

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
        { "import " + d + "missing.sdb " + sample("words.tsv"), "", 1, "karte-cards: " },
        { "import " + d + "new.sdb " + sample("words.tsv") + " --greek Lemma", "", 1, "no column named \"Lemma\"" },
        { "import " + d + "locked.sdb " + sample("words.tsv"), "secret\n", 0, "Added 2 cards" },
        { "import " + d + "locked.sdb " + sample("words.tsv"), "wrong\n", 1, "Password required" },
        { "export " + d + "new.sdb " + d + "taken.csv", "", 1, "is there already" },
        { "export " + d + "new.sdb " + d + "taken.csv --force", "", 0, "Wrote 6 cards" },
        { "export " + d + "new.sdb " + d + "new.sdb --force", "", 1, "the card set's own file" },
        { "import " + d + "readonly.sdb " + sample("words.tsv"), "", 1, "readonly.sdb is read-only" },
        { "export " + d + "new.sdb", "", 2, "usage:" },
        { "import " + d + "new.sdb " + d + "bad.csv --colour blue", "", 2, "unknown option --colour" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        testsupport::CommandRun run = runTool(c.arguments, c.input);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_NE(run.output.find(c.output), std::string::npos) << run.output;
    }
    EXPECT_EQ(testsupport::readBytes(d + "taken.csv").substr(3, 23), "Greek,English,Frequency");
}

} // namespace
