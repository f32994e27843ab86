// Opening, prompting for and writing password-protected card sets through the table.
#include "protectedtest.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace cardstore;
using namespace protectedtest;
namespace pf = cardstore::protectedformat;

namespace {

const std::vector<std::string> kEnglishOrder = { "and", "unmistakable", "word" };

std::uint64_t headerNumber(const std::string& bytes, std::size_t offset)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

} // namespace

TEST_F(ProtectedSetTest, OpensOnlyWithAPasswordFromTheSessionList)
{
    std::string path = protectedSet("a.SDB", "Passwort-1");
    std::string bytes = testsupport::readBytes(path);
    EXPECT_TRUE(bytes.starts_with("KARTE-PROTECTED\x01"));

    Table table;
    EXPECT_EQ(errorOf([&] { openTable(table, path); }).code(), 0x2902);
    EXPECT_FALSE(table.active());

    Session::instance().addPassword("passwort-1");
    EXPECT_EQ(errorOf([&] { table.open(); }).code(), status::kInsufficientRights);
    EXPECT_FALSE(table.active());

    Session::instance().addPassword("Passwort-1");
    table.open();
    EXPECT_EQ(column(table), kEnglishOrder);
    EXPECT_EQ(column(table, "Language"), (std::vector<std::string> { "καί", "ἀγαπητός", "λόγος" }));
    EXPECT_TRUE(table.canModify());
    EXPECT_EQ(testsupport::readBytes(path), bytes) << "opening must not write";
}

TEST_F(ProtectedSetTest, SecondSetWithTheSamePasswordOpensWithTheSameListEntry)
{
    std::string first = protectedSet("a.SDB", "shared secret");
    std::string second = protectedSet("b.SDB", "shared secret", { { "grace", "χάρις", 155 } });
    Session::instance().addPassword("shared secret");
    int prompts = 0;
    Table a, b;
    a.onPasswordRequired = b.onPasswordRequired = [&] { return ++prompts, false; };
    openTable(a, first);
    openTable(b, second);
    EXPECT_EQ(prompts, 0);
    EXPECT_EQ(column(b, "Language"), (std::vector<std::string> { "χάρις" }));
}

TEST_F(ProtectedSetTest, PromptComesBackUntilAPasswordFits)
{
    std::string path = protectedSet("a.SDB", "right");
    struct Case
    {
        std::vector<std::string> answers; // what each prompt adds; the prompt after the last one cancels
        int expectedPrompts;
        bool opens;
    };
    const std::vector<Case> cases = {
        { { "wrong", "also wrong", "right" }, 3, true },
        { { "right" }, 1, true },
        { {}, 1, false },
        { { "wrong" }, 2, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.answers));
        Session::instance().removeAllPasswords();
        Table table;
        int prompts = 0;
        table.onPasswordRequired = [&] {
            if (prompts == static_cast<int>(c.answers.size()))
                return ++prompts, false;
            Session::instance().addPassword(c.answers[static_cast<std::size_t>(prompts++)]);
            return true;
        };
        if (c.opens) {
            openTable(table, path);
            EXPECT_EQ(column(table), kEnglishOrder);
        } else {
            DatabaseError error = errorOf([&] { openTable(table, path); });
            EXPECT_EQ(error.code(), status::kInsufficientRights);
            EXPECT_EQ(std::string(error.what()).rfind(statusMessage(status::kInsufficientRights), 0), 0u)
                << error.what();
            EXPECT_FALSE(table.active());
        }
        EXPECT_EQ(prompts, c.expectedPrompts);
    }
}

TEST_F(ProtectedSetTest, WritesKeepTheSetEncrypted)
{
    std::string path = protectedSet("a.SDB", "pw");
    Session::instance().addPassword("pw");
    Table table;
    openTable(table, path);
    std::string lastBytes = testsupport::readBytes(path);
    auto checkFile = [&](const char* step, const std::vector<std::string>& english) {
        SCOPED_TRACE(step);
        std::string bytes = testsupport::readBytes(path);
        EXPECT_TRUE(bytes.starts_with("KARTE-PROTECTED"));
        EXPECT_NE(bytes, lastBytes) << "the write must reach the file";
        // Same salt and key, but every write starts a fresh stream.
        EXPECT_EQ(bytes.substr(pf::kSaltOffset, 16), lastBytes.substr(pf::kSaltOffset, 16));
        EXPECT_NE(bytes.substr(pf::kStreamHeaderOffset, 24), lastBytes.substr(pf::kStreamHeaderOffset, 24));
        for (const char* plain : { "SQLite format 3", "karte_fields", "EnglishIndex", "unmistakable", "ἀγαπητός",
                 "λόγος", "fellowship", "κοινωνία", "ἀγάπη" })
            EXPECT_FALSE(contains(bytes, plain)) << plain;
        EXPECT_EQ(directoryEntries(dir.path()), (std::set<std::string> { "a.SDB" })) << "no temporary file left";
        EXPECT_EQ(storedColumn(path), english);
        lastBytes = bytes;
    };

    table.insert();
    table.setFieldText("English", "fellowship");
    table.setFieldText("Language", "κοινωνία");
    table.post();
    checkFile("insert", { "and", "fellowship", "unmistakable", "word" });

    ASSERT_TRUE(table.active());
    table.first();
    table.edit();
    table.setFieldText("English", "also");
    table.setFieldText("Language", "ἀγάπη");
    table.post();
    checkFile("edit", { "also", "fellowship", "unmistakable", "word" });

    table.last();
    table.deleteRecord();
    checkFile("delete", { "also", "fellowship", "unmistakable" });
    EXPECT_EQ(storedColumn(path, "Language"), (std::vector<std::string> { "ἀγάπη", "κοινωνία", "ἀγαπητός" }));
}

// A write that cannot reach the disk: the old file stays, and so does what the table shows, also after a later
// write that does succeed (which must not carry the failed change along).
TEST_F(ProtectedSetTest, FailedWriteLeavesFileAndTableAsTheyWere)
{
    struct Obstacle
    {
        const char* name;
        std::function<void(const std::string& path)> put;
        std::function<void(const std::string& path)> remove;
    };
    rlimit savedSize {}, savedFiles {};
    ::getrlimit(RLIMIT_FSIZE, &savedSize);
    ::getrlimit(RLIMIT_NOFILE, &savedFiles);
    // Both are real failures of the system calls, and both stop the superuser too, unlike permissions.
    const std::vector<Obstacle> obstacles = {
        // A full disk: the new file cannot be written.
        { "file size limit",
            [&](const std::string&) {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit small = savedSize;
                small.rlim_cur = 1000;
                ::setrlimit(RLIMIT_FSIZE, &small);
            },
            [&](const std::string&) { ::setrlimit(RLIMIT_FSIZE, &savedSize); } },
        // No new file can be made: the write lock gets the last descriptor, the new file finds none.
        { "descriptor limit",
            [&](const std::string&) {
                int lock = ::open("/dev/null", O_RDONLY);
                int next = ::open("/dev/null", O_RDONLY);
                ::close(lock);
                ::close(next);
                rlimit few = savedFiles;
                few.rlim_cur = static_cast<rlim_t>(next);
                ::setrlimit(RLIMIT_NOFILE, &few);
            },
            [&](const std::string&) { ::setrlimit(RLIMIT_NOFILE, &savedFiles); } },
    };
    struct Operation
    {
        const char* name;
        std::function<void(Table&)> run;
    };
    const std::vector<Operation> operations = {
        { "insert",
            [](Table& table) {
                table.insert();
                table.setFieldText("English", "failed");
                table.setFieldText("Language", "ἀπώλεια");
                table.post();
            } },
        { "edit",
            [](Table& table) {
                table.first();
                table.edit();
                table.setFieldText("English", "failed");
                table.post();
            } },
        { "delete",
            [](Table& table) {
                table.first();
                table.deleteRecord();
            } },
    };
    Session::instance().addPassword("pw");
    for (const Obstacle& obstacle : obstacles) {
        for (const Operation& operation : operations) {
            SCOPED_TRACE(std::string(obstacle.name) + ", " + operation.name);
            std::string path = protectedSet(std::string(operation.name) + "-" + obstacle.name[0] + ".SDB", "pw");
            std::string before = testsupport::readBytes(path);
            std::set<std::string> entries = directoryEntries(dir.path());
            Table table;
            openTable(table, path);

            obstacle.put(path);
            DatabaseError error = errorOf([&] { operation.run(table); });
            obstacle.remove(path);
            EXPECT_EQ(error.code(), status::kIoError) << error.what();
            EXPECT_EQ(testsupport::readBytes(path), before);
            EXPECT_EQ(directoryEntries(dir.path()), entries);
            table.cancel();
            EXPECT_EQ(column(table), kEnglishOrder);

            table.insert();
            table.setFieldText("English", "later");
            table.setFieldText("Language", "ὕστερον");
            table.post();
            Table fresh;
            openTable(fresh, path);
            EXPECT_EQ(column(fresh), (std::vector<std::string> { "and", "later", "unmistakable", "word" }));
        }
    }
}

// Two tables on one protected set, as two instances of the program would have: each write goes onto the cards
// the file holds, and a refresh shows the other's changes.
TEST_F(ProtectedSetTest, TwoTablesOnOneSetSeeEachOthersWrites)
{
    std::string path = protectedSet("a.SDB", "pw");
    Session::instance().addPassword("pw");
    Table first, second;
    openTable(first, path);
    openTable(second, path);

    first.insert();
    first.setFieldText("English", "first");
    first.setFieldText("Language", "πρῶτος");
    first.post();
    second.insert();
    second.setFieldText("English", "second");
    second.setFieldText("Language", "δεύτερος");
    second.post();

    EXPECT_EQ(storedColumn(path), (std::vector<std::string> { "and", "first", "second", "unmistakable", "word" }));
    first.refresh();
    EXPECT_EQ(column(first), (std::vector<std::string> { "and", "first", "second", "unmistakable", "word" }));
}

TEST_F(ProtectedSetTest, ReadOnlyFileOpensForReadingOnly)
{
    std::string path = protectedSet("a.SDB", "pw");
    ::chmod(path.c_str(), 0444);
    Session::instance().addPassword("pw");
    Table table;
    openTable(table, path);
    EXPECT_FALSE(table.canModify());
    EXPECT_EQ(column(table), kEnglishOrder);
}

// The one test that pays for the real key derivation: the default cost is recorded in the file, and the set
// opens with it.
TEST_F(ProtectedSetTest, DefaultKeyDerivationCostIsRecordedAndUsed)
{
    setKeyDerivationCostForNewSets(defaultKeyDerivationCost());
    std::string path = protectedSet("a.SDB", "slow but sure");
    std::string bytes = testsupport::readBytes(path);
    EXPECT_EQ(headerNumber(bytes, pf::kOpsLimitOffset), defaultKeyDerivationCost().opsLimit);
    EXPECT_EQ(headerNumber(bytes, pf::kMemLimitOffset), defaultKeyDerivationCost().memLimit);
    EXPECT_GE(defaultKeyDerivationCost().memLimit, 64u << 20);

    // Reading uses the file's cost, whatever new sets get now.
    setKeyDerivationCostForNewSets(kCheapCost);
    Session::instance().addPassword("slow but sure");
    EXPECT_EQ(storedColumn(path), kEnglishOrder);
}
