// Protecting a set, changing its password and removing the protection: through the engine and through the
// karte-protect tool as a script drives it.
#include "protectedtest.h"

#include <cstdio>
#include <map>
#include <sys/wait.h>

using namespace cardstore;
using namespace protectedtest;
namespace pf = cardstore::protectedformat;

namespace {

const std::vector<std::string> kEnglishOrder = { "and", "unmistakable", "word" };

bool opensWith(const std::string& path, const std::string& password)
{
    Session::instance().removeAllPasswords();
    Session::instance().addPassword(password);
    Table table;
    try {
        openTable(table, path);
    } catch (const DatabaseError& error) {
        if (error.code() != status::kInsufficientRights)
            throw;
        return false;
    }
    return column(table) == kEnglishOrder;
}

struct ToolRun
{
    int exitCode = -1;
    std::string output;
    std::string errors;
};

// Runs karte-protect with the given arguments and standard input (not a terminal).
ToolRun runTool(const testsupport::TempDir& dir, const std::string& arguments, const std::string& input)
{
    testsupport::writeBytes(dir.file("stdin"), input);
    std::string command = std::string(KARTE_PROTECT_TOOL) + " " + arguments + " < " + dir.file("stdin") + " > "
        + dir.file("stdout") + " 2> " + dir.file("stderr");
    int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = testsupport::readBytes(dir.file("stdout"));
    run.errors = testsupport::readBytes(dir.file("stderr"));
    std::filesystem::remove(dir.file("stdin"));
    std::filesystem::remove(dir.file("stdout"));
    std::filesystem::remove(dir.file("stderr"));
    return run;
}

} // namespace

TEST_F(ProtectedSetTest, PasswordCanBeChangedAndProtectionRemoved)
{
    std::string path = dir.file("a.SDB");
    testsupport::makeCardSet(path, kCards);
    std::string plain = testsupport::readBytes(path);

    protectCardSet(path, "first");
    std::string protectedBytes = testsupport::readBytes(path);
    EXPECT_TRUE(opensWith(path, "first"));

    // Reading keeps to the cost the file records; a new password gets the cost for new sets.
    setKeyDerivationCostForNewSets({ 2, 16 * 1024 });
    EXPECT_EQ(errorOf([&] { changeCardSetPassword(path, "First", "second"); }).code(), status::kInvalidPassword);
    EXPECT_EQ(testsupport::readBytes(path), protectedBytes);
    changeCardSetPassword(path, "first", "second");
    std::string changed = testsupport::readBytes(path);
    EXPECT_NE(changed.substr(pf::kSaltOffset, 16), protectedBytes.substr(pf::kSaltOffset, 16)) << "new salt";
    EXPECT_EQ(static_cast<unsigned char>(changed[pf::kOpsLimitOffset]), 2);
    EXPECT_FALSE(opensWith(path, "first"));
    EXPECT_TRUE(opensWith(path, "second"));

    EXPECT_EQ(errorOf([&] { unprotectCardSet(path, "first"); }).code(), status::kInvalidPassword);
    EXPECT_EQ(testsupport::readBytes(path), changed);
    unprotectCardSet(path, "second");
    EXPECT_TRUE(testsupport::readBytes(path).starts_with(std::string("SQLite format 3\0", 16)));
    Session::instance().removeAllPasswords();
    EXPECT_EQ(storedColumn(path), kEnglishOrder);
    EXPECT_EQ(directoryEntries(dir.path()), (std::set<std::string> { "a.SDB" }));
}

TEST_F(ProtectedSetTest, CommandsRefuseWhatTheyCannotDo)
{
    std::string plainPath = dir.file("plain.SDB");
    testsupport::makeCardSet(plainPath, kCards);
    std::string protectedPath = protectedSet("protected.SDB", "pw");
    std::string notASet = dir.file("notes.txt");
    testsupport::writeBytes(notASet, "Shopping list: bread, olives, figs\n");
    std::string tooLong(pf::kMaxPasswordLength + 1, 'x');
    std::string longestGreek;
    for (std::size_t i = 0; i < pf::kMaxPasswordLength; ++i)
        longestGreek += "ω";

    struct Case
    {
        const char* name;
        std::function<void()> command;
        int expectedCode; // 0: an error of the program that is no engine error
        const char* expectedText;
    };
    const std::vector<Case> cases = {
        { "empty password", [&] { protectCardSet(plainPath, ""); }, status::kInvalidPassword, "empty" },
        { "password too long", [&] { protectCardSet(plainPath, tooLong); }, status::kInvalidPassword, "255" },
        { "new password empty", [&] { changeCardSetPassword(protectedPath, "pw", ""); }, status::kInvalidPassword,
            "empty" },
        { "protected twice", [&] { protectCardSet(protectedPath, "pw"); }, 0, "already protected" },
        { "unprotecting a plain set", [&] { unprotectCardSet(plainPath, "pw"); }, 0, "not protected" },
        { "changing a plain set", [&] { changeCardSetPassword(plainPath, "pw", "x"); }, 0, "not protected" },
        { "protecting no card set", [&] { protectCardSet(notASet, "pw"); }, status::kNotACardSet, "not a card set" },
        { "unprotecting no card set", [&] { unprotectCardSet(notASet, "pw"); }, status::kNotACardSet,
            "not a card set" },
        { "missing file", [&] { protectCardSet(dir.file("missing.SDB"), "pw"); }, status::kTableNotFound, "" },
    };
    std::map<std::string, std::string> before;
    for (const auto& path : { plainPath, protectedPath, notASet })
        before[path] = testsupport::readBytes(path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.command();
            ADD_FAILURE() << "no error";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.code(), c.expectedCode) << error.what();
            EXPECT_TRUE(contains(error.what(), c.expectedText)) << error.what();
        } catch (const Error& error) {
            EXPECT_EQ(c.expectedCode, 0) << error.what();
            EXPECT_TRUE(contains(error.what(), c.expectedText)) << error.what();
        }
        for (const auto& [path, bytes] : before)
            EXPECT_EQ(testsupport::readBytes(path), bytes) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.SDB")));

    // The longest password the prompt can hand over is accepted, counted in characters rather than bytes.
    protectCardSet(plainPath, longestGreek);
    EXPECT_TRUE(opensWith(plainPath, longestGreek));
}

// The tool as a script uses it: passwords on standard input, one per line.
TEST_F(ProtectedSetTest, ToolReadsPasswordsFromStandardInput)
{
    std::string path = dir.file("a.SDB");
    testsupport::makeCardSet(path, kCards);
    const std::string cost = "--cost 1:8 ";
    struct Step
    {
        const char* name;
        std::string arguments;
        std::string input;
        int exitCode;
        const char* message; // in the output on success, in the errors on failure
        bool fileChanges;
        std::string opensWith; // after the step; empty: opens without a password
    };
    const std::vector<Step> steps = {
        { "protect", cost + "protect " + path, "κλειδί\n", 0, "now protected", true, "κλειδί" },
        { "protect again", cost + "protect " + path, "other\n", 1, "already protected", false, "κλειδί" },
        { "unprotect, wrong password", "unprotect " + path, "κλειδι\n", 1, "Invalid password", false, "κλειδί" },
        { "unprotect, nothing on input", "unprotect " + path, "", 1, "No password", false, "κλειδί" },
        { "change, new one missing", cost + "change " + path, "κλειδί\n", 1, "No new password", false, "κλειδί" },
        { "change", cost + "change " + path, "κλειδί\r\nnew key\r\n", 0, "has been changed", true, "new key" },
        { "unknown command", "open " + path, "new key\n", 2, "usage", false, "new key" },
        { "bad cost", "--cost 0:8 protect " + path, "x\n", 1, "out of range", false, "new key" },
        { "unprotect", "unprotect " + path, "new key\n", 0, "no longer protected", true, "" },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        std::string before = testsupport::readBytes(path);
        ToolRun run = runTool(dir, step.arguments, step.input);
        EXPECT_EQ(run.exitCode, step.exitCode) << run.errors;
        EXPECT_TRUE(contains(step.exitCode == 0 ? run.output : run.errors, step.message)) << run.output << run.errors;
        EXPECT_FALSE(contains(run.output + run.errors, "κλειδί")) << "a password must never be echoed";
        EXPECT_EQ(testsupport::readBytes(path) != before, step.fileChanges);
        Session::instance().removeAllPasswords();
        if (!step.opensWith.empty()) {
            EXPECT_FALSE(opensWith(path, step.opensWith + "?"));
            EXPECT_TRUE(opensWith(path, step.opensWith));
        } else {
            EXPECT_EQ(storedColumn(path), kEnglishOrder);
        }
    }
    EXPECT_EQ(directoryEntries(dir.path()), (std::set<std::string> { "a.SDB" }));
}
