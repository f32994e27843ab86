// Engine-wide pieces: the database alias and the seeding of the built-in set, the password list, the error texts
// and the integer conversion.

#include "enginetest.h"
#include "session.h"
#include "textforms.h"

#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace cardstore;
using namespace enginetest;
namespace fs = std::filesystem;

namespace {

// Points the engine at a pristine built-in set of two cards for the life of the object.
class PristineSet
{
public:
    PristineSet()
    {
        testsupport::makeBuiltInLikeSet(
            directory.file("cardsfrq.db"), { { "and", "καί", 8973 }, { "the", "ὁ", 19867 } });
        Session::instance().setPristineDirectories({ dir.file("missing"), directory.path() });
    }
    ~PristineSet() { Session::instance().setPristineDirectories({}); }
    std::string file() const { return directory.file("cardsfrq.db"); }

private:
    testsupport::TempDir dir { false };
    testsupport::TempDir directory { false };
};

} // namespace

TEST(Session, AliasNamesThePerUserDirectoryInAnyCaseAndSeedsTheBuiltInSet)
{
    testsupport::TempDir home;
    PristineSet pristine;
    const std::string expected = home.file("karte32");
    EXPECT_EQ(Session::userDataDirectory(), expected);
    EXPECT_FALSE(fs::exists(expected));
    EXPECT_EQ(Session::instance().aliasDirectory("Karte32"), expected);
    EXPECT_EQ(Session::instance().aliasDirectory("KARTE32"), expected);
    EXPECT_EQ(Session::instance().aliasDirectory("karte32"), expected);
    EXPECT_TRUE(bytesOf(expected + "/cardsfrq.db") == bytesOf(pristine.file()));
    EXPECT_EQ(directoryEntries(expected), std::set<std::string> { "cardsfrq.db" });

    // The component's own settings: alias "KARTE32" and table "cardsfrq.DB" reach the same file.
    Table table;
    table.setDatabaseName("KARTE32");
    table.setTableName("cardsfrq.DB");
    EXPECT_EQ(table.filePath(), expected + "/cardsfrq.db");
    table.open();
    EXPECT_EQ(column(table), (std::vector<std::string> { "and", "the" }));
    table.insert();
    table.setFieldText("English", "God");
    table.setFieldText("Language", "θεός");
    table.post();
    table.close();

    // The user's changed set is never replaced by the pristine one.
    table.setDatabaseName("Karte32");
    table.setTableName("cardsfrq.db");
    table.open();
    EXPECT_EQ(table.recordCount(), 3);
}

TEST(Session, PathInTheTableNameOverridesTheAlias)
{
    testsupport::TempDir home;
    PristineSet pristine;
    testsupport::makeCardSet(home.file("own.SDB"), fiveCards());
    Table table;
    table.setDatabaseName("Karte32");
    table.setTableName(home.file("own.SDB"));
    table.open();
    EXPECT_EQ(table.recordCount(), 5);
    EXPECT_FALSE(fs::exists(home.file("karte32")));
}

TEST(Session, UnknownAliasIsRefused)
{
    testsupport::TempDir home;
    Table table;
    table.setDatabaseName("DBDEMOS");
    table.setTableName("cards.SDB");
    DatabaseError error = errorOf([&] { table.open(); });
    EXPECT_EQ(error.code(), status::kUnknownDatabase);
    EXPECT_STREQ(error.what(), "Unknown database. Alias: DBDEMOS");
}

TEST(Session, PasswordList)
{
    Session& session = Session::instance();
    session.removeAllPasswords();
    session.addPassword("jesus");
    session.addPassword("ΙΧΘΥΣ");
    session.addPassword("jesus");
    EXPECT_EQ(session.passwords(), (std::vector<std::string> { "jesus", "ΙΧΘΥΣ" }));
    session.removePassword("JESUS"); // passwords are exact
    EXPECT_EQ(session.passwords().size(), 2u);
    session.removePassword("jesus");
    EXPECT_EQ(session.passwords(), std::vector<std::string> { "ΙΧΘΥΣ" });
    DatabaseError refused = errorOf([&] { session.addPassword(""); });
    EXPECT_EQ(refused.code(), status::kInvalidPassword);
    EXPECT_STREQ(refused.what(), "Invalid password");
    session.addPassword("agape");
    session.removeAllPasswords();
    EXPECT_TRUE(session.passwords().empty());
}

TEST(Session, PasswordIsAskedOnlyWhenTheEngineWantsOne)
{
    testsupport::TempDir dir;
    Table table;
    int asked = 0;
    table.onPasswordRequired = [&] {
        ++asked;
        return true;
    };
    table.setTableName(dir.file("missing.SDB"));
    EXPECT_EQ(errorOf([&] { table.open(); }).code(), status::kTableNotFound);
    testsupport::makeCardSet(dir.file("open.SDB"), fiveCards());
    table.setTableName(dir.file("open.SDB"));
    table.open();
    EXPECT_EQ(asked, 0);
}

TEST(Errors, ClosedTableRefusesEveryOperation)
{
    Table table;
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        { "First", [&] { table.first(); } },
        { "Last", [&] { table.last(); } },
        { "Next", [&] { table.next(); } },
        { "Prior", [&] { table.prior(); } },
        { "MoveBy(0)", [&] { table.moveBy(0); } },
        { "Refresh", [&] { table.refresh(); } },
        { "record count", [&] { table.recordCount(); } },
        { "Edit", [&] { table.edit(); } },
        { "Insert", [&] { table.insert(); } },
        { "Post", [&] { table.post(); } },
        { "Delete", [&] { table.deleteRecord(); } },
        { "browse-mode check", [&] { table.checkBrowseMode(); } },
        { "key entry", [&] { table.setKey(); } },
        { "key search", [&] { table.gotoKey(); } },
        { "sequence number", [&] { table.sequenceNumber(); } },
        { "append", [&] { table.appendRecords({}); } },
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        DatabaseError error = errorOf(operation);
        EXPECT_EQ(error.code(), status::kDataset);
        EXPECT_STREQ(error.what(), "Cannot perform this operation on a closed dataset");
    }
    table.setTableName("");
    EXPECT_STREQ(errorOf([&] { table.open(); }).what(), "Table does not exist. Table: (no name)");
}

TEST(Errors, MessageJoiningRule)
{
    struct Case
    {
        int code;
        std::vector<std::string> details;
        const char* text;
    };
    const std::vector<Case> cases = {
        { status::kTableNotFound, {}, "Table does not exist" },
        { status::kTableNotFound, { "File: /a/b.SDB" }, "Table does not exist. File: /a/b.SDB" },
        { status::kTableNotFound, { "Table does not exist", "File: /a" }, "Table does not exist. File: /a" },
        { status::kIoError, { "disk I/O error", "disk I/O error", "File: /a" },
            "Input/output error while reading or writing the card set. disk I/O error. File: /a" },
        { status::kIoError, { "", "File: /a" }, "Input/output error while reading or writing the card set. File: /a" },
        { status::kNotACardSet, { "x", "y", "x" }, "The file is not a card set. x. y. x" },
        { 0x1234, {}, "Database engine error $1234" },
        { 0x0042, { "detail" }, "Database engine error $0042. detail" },
        { 0xBEEF, {}, "Database engine error $BEEF" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DatabaseError error = DatabaseError::fromStatus(c.code, c.details);
        EXPECT_EQ(error.code(), c.code);
        EXPECT_STREQ(error.what(), c.text);
    }
    EXPECT_STREQ(DatabaseError::engineInit(0x3E0A).what(),
        "An error occurred while attempting to initialize the database engine (error $3E0A)");
}

TEST(TextForms, IntegerConversion)
{
    struct Case
    {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const std::vector<Case> cases = {
        { "12", 12 },
        { "   12", 12 },
        { "+7", 7 },
        { "-7", -7 },
        { "007", 7 },
        { "$1F", 31 },
        { "$ff", 255 },
        { "-$10", -16 },
        { "$7FFFFFFF", INT32_MAX },
        { "$FFFFFFFF", -1 },
        { "2147483647", INT32_MAX },
        { "-2147483648", INT32_MIN },
        { "", std::nullopt },
        { "   ", std::nullopt },
        { "12 ", std::nullopt }, // a trailing blank is not allowed
        { "1 2", std::nullopt },
        { "- 5", std::nullopt },
        { "+-5", std::nullopt },
        { "$", std::nullopt },
        { "$G", std::nullopt },
        { "0x10", std::nullopt },
        { "1.5", std::nullopt },
        { "1E3", std::nullopt },
        { "2147483648", std::nullopt },
        { "-2147483649", std::nullopt },
        { "$100000000", std::nullopt },
        { "99999999999999999999", std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        EXPECT_EQ(parseInteger(c.text), c.value);
        if (c.value) {
            EXPECT_EQ(toInteger(c.text), *c.value);
        } else {
            try {
                toInteger(c.text);
                ADD_FAILURE() << "no ConvertError";
            } catch (const ConvertError& error) {
                EXPECT_EQ(error.what(), "'" + std::string(c.text) + "' is not a valid integer value");
            }
        }
    }
}

TEST(TextForms, ShortestFloatForm)
{
    const std::vector<std::pair<double, const char*>> cases = {
        { 1234, "1234" },
        { 12.5, "12.5" },
        { 0.1, "0.1" },
        { 1e20, "1E20" },
        { 1e-5, "1E-5" },
        { 1e15, "1E15" },
        { 123456789012345.0, "123456789012345" },
        { 2.5e-7, "2.5E-7" },
        { -0.75, "-0.75" },
        { 0, "0" },
        { 1.0 / 3, "0.333333333333333" },
        { 1e100, "1E100" },
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(formatFloat(value), text);
        std::optional<double> back = parseFloat(text);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(formatFloat(*back), text);
    }
}

namespace {

struct FileSystemFailure
{
    const char* name;
    std::function<void(const testsupport::TempDir& home)> setUp;
    std::string alias; // one that starts with '/' is taken inside the home directory
    std::string where; // what the message names: a path inside the home directory, or another text
    int reason; // errno
    bool inspectToo = true; // karte-inspect finds the pristine set beside itself, not where the test puts it
};

std::string inHome(const testsupport::TempDir& home, const std::string& path)
{
    return path.starts_with('/') ? home.path() + path : path;
}

// Each case opens the built-in set (or one under its alias) through the table and, for the built-in alias, through
// karte-inspect: both must give the engine's error naming the path and the system's reason.
void expectEngineErrors(const std::vector<FileSystemFailure>& cases)
{
    const std::string workingDirectory = fs::current_path().string();
    for (const FileSystemFailure& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir home;
        PristineSet pristine;
        c.setUp(home);
        const std::string where = inHome(home, c.where);
        Table table;
        table.setDatabaseName(inHome(home, c.alias));
        table.setTableName(Session::kBuiltInTable);
        std::string message = errorOf([&] { table.open(); }).what();
        ::chdir(workingDirectory.c_str());
        EXPECT_NE(message.find(where), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(c.reason)), std::string::npos) << message;
        if (c.alias != Session::kBuiltInAlias || !c.inspectToo)
            continue;
        std::string command = "XDG_DATA_HOME='" + home.path() + "' " + KARTE_INSPECT_TOOL + " 2>'" + home.file("errors")
            + "' >/dev/null";
        int status = std::system(command.c_str());
        std::string errors = testsupport::readBytes(home.file("errors"));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
        EXPECT_TRUE(errors.starts_with("karte-inspect: ")) << errors;
        EXPECT_NE(errors.find(where), std::string::npos) << errors;
        EXPECT_NE(errors.find(std::strerror(c.reason)), std::string::npos) << errors;
    }
}

} // namespace

TEST(Session, FileSystemFailuresAreEngineErrors)
{
    expectEngineErrors({
        { "a loop of links where the built-in set belongs",
            [](const testsupport::TempDir& home) {
                fs::create_directory(home.file("karte32"));
                fs::create_symlink("cardsfrq.db", home.file("karte32/cardsfrq.db"));
            },
            Session::kBuiltInAlias, "/karte32/cardsfrq.db", ELOOP },
        { "a loop of links as the data folder",
            [](const testsupport::TempDir& home) { fs::create_symlink("karte32", home.file("karte32")); },
            Session::kBuiltInAlias, "/karte32", ELOOP },
        { "a loop of links as an alias",
            [](const testsupport::TempDir& home) { fs::create_symlink(home.file("loop"), home.file("loop")); }, "/loop",
            "/loop", ELOOP },
        { "a working directory that is gone",
            [](const testsupport::TempDir& home) {
                fs::create_directory(home.file("gone"));
                ::chdir(home.file("gone").c_str());
                fs::remove(home.file("gone"));
            },
            "", "working directory", ENOENT },
    });
}

// Permission bits do not stop the superuser, so these need an ordinary user.
TEST(Session, FoldersThatMayNotBeSearchedAreEngineErrors)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may search any folder, so there is no such folder to meet";
    expectEngineErrors({
        { "a data folder that may not be searched",
            [](const testsupport::TempDir& home) {
                fs::create_directory(home.file("karte32"));
                ::chmod(home.file("karte32").c_str(), 0600);
            },
            Session::kBuiltInAlias, "/karte32/cardsfrq.db", EACCES },
        { "a pristine folder that may not be searched",
            [](const testsupport::TempDir& home) {
                fs::create_directory(home.file("pristine"));
                ::chmod(home.file("pristine").c_str(), 0600);
                Session::instance().setPristineDirectories({ home.file("pristine") });
            },
            Session::kBuiltInAlias, "/pristine/cardsfrq.db", EACCES, false },
    });
}
