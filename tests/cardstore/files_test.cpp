// Files the engine must refuse or protect: bad input, read-only sets, replaced sets and writes that fail half-way.

#include "cardtable.h"
#include "enginetest.h"
#include "failingvfs.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <random>

using namespace cardstore;
using namespace enginetest;
namespace fs = std::filesystem;

namespace {

std::vector<Card> manyCards(int count)
{
    std::vector<Card> cards;
    for (int i = 0; i < count; ++i)
        cards.push_back({ "gloss number " + std::to_string(i), "λέξις ἀριθμός " + std::to_string(i), double(i) });
    return cards;
}

// A card set under a name the engine does not open by default.
void makeCardSetNamed(const std::string& path, const std::vector<Card>& cards)
{
    testsupport::makeCardSet(path + ".SDB", cards);
    fs::rename(path + ".SDB", path);
}

void runSql(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

struct BadFile
{
    const char* name;
    const char* fileName;
    std::function<void(const std::string& path)> make;
    int code;
    std::string message; // "%s" stands for the file's path; empty: any of the damaged-file messages
};

std::vector<BadFile> badFiles()
{
    return {
        { "random bytes", "random.SDB",
            [](const std::string& path) {
                std::mt19937 random(42);
                std::string bytes(8192, '\0');
                for (char& c : bytes)
                    c = static_cast<char>(random());
                testsupport::writeBytes(path, bytes);
            },
            status::kNotACardSet, "The file is not a card set. File: %s" },
        { "truncated card set", "truncated.SDB",
            [](const std::string& path) {
                testsupport::makeCardSet(path, manyCards(400));
                std::string bytes = testsupport::readBytes(path);
                testsupport::writeBytes(path, bytes.substr(0, bytes.size() / 2));
            },
            0, "" },
        { "card set with a page in the middle overwritten", "corrupted.SDB",
            [](const std::string& path) {
                testsupport::makeCardSet(path, manyCards(400));
                std::string bytes = testsupport::readBytes(path);
                std::size_t page = bytes.size() / 2 / 4096 * 4096;
                for (std::size_t i = page; i < page + 4096 && i < bytes.size(); ++i)
                    bytes[i] = static_cast<char>(0xA5 ^ i);
                testsupport::writeBytes(path, bytes);
            },
            0, "" },
        { "empty file", "empty.SDB", [](const std::string& path) { testsupport::writeBytes(path, ""); },
            status::kNotACardSet, "The file is not a card set. The file is empty. File: %s" },
        { "another program's SQLite database", "notes.db",
            [](const std::string& path) {
                runSql(path,
                    "CREATE TABLE notes(id INTEGER PRIMARY KEY, body TEXT); INSERT INTO notes(body) VALUES ('hi');");
            },
            status::kNotACardSet, "The file is not a card set. File: %s" },
        { "another program's database in WAL mode", "wal.db",
            [](const std::string& path) {
                runSql(
                    path, "PRAGMA journal_mode=WAL; CREATE TABLE notes(body TEXT); INSERT INTO notes VALUES ('hi');");
            },
            status::kNotACardSet, "The file is not a card set. File: %s" },
        { "another program's database with a WAL not yet checkpointed", "pending.db",
            [](const std::string& path) {
                const std::string source = path + ".source";
                sqlite3* db = nullptr;
                ASSERT_EQ(sqlite3_open(source.c_str(), &db), SQLITE_OK);
                sqlite3_exec(db,
                    "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; CREATE TABLE notes(body TEXT);"
                    "INSERT INTO notes VALUES ('hi');",
                    nullptr, nullptr, nullptr);
                // What a crash of the other program leaves behind: the database and its log.
                fs::copy_file(source, path);
                fs::copy_file(source + "-wal", path + "-wal");
                sqlite3_close(db);
                fs::remove(source);
            },
            status::kNotACardSet, "The file is not a card set. File: %s" },
        { "a card set of a later version", "later.SDB",
            [](const std::string& path) {
                testsupport::makeCardSet(path, manyCards(3));
                runSql(path, "UPDATE karte_meta SET value = '2' WHERE key = 'version'");
            },
            status::kCorruptFile, "The card set file is damaged. Unknown card set version 2. File: %s" },
        { "a directory", "folder.SDB", [](const std::string& path) { fs::create_directory(path); },
            status::kNotACardSet, "The file is not a card set. It is a directory. File: %s" },
        { "a file without read permission", "secret.SDB",
            [](const std::string& path) {
                testsupport::makeCardSet(path, manyCards(3));
                ::chmod(path.c_str(), 0);
            },
            status::kNoAccess, "Access to the card set is denied. The file cannot be read. File: %s" },
        { "a .DBF name", "cards.DBF", [](const std::string& path) { makeCardSetNamed(path, manyCards(3)); },
            status::kUnsupportedTableType,
            "This table type is not supported. dBASE tables are not offered. Table: %s" },
        { "a .txt name", "cards.txt", [](const std::string& path) { makeCardSetNamed(path, manyCards(3)); },
            status::kUnsupportedTableType, "This table type is not supported. Text tables are not offered. Table: %s" },
        { "a missing file", "missing.SDB", [](const std::string&) {}, status::kTableNotFound,
            "Table does not exist. File: %s" },
    };
}

std::string withPath(std::string message, const std::string& path)
{
    if (auto at = message.find("%s"); at != std::string::npos)
        message.replace(at, 2, path);
    return message;
}

} // namespace

TEST(Files, BadInputGivesAClearErrorAndIsLeftUntouched)
{
    for (const BadFile& bad : badFiles()) {
        SCOPED_TRACE(bad.name);
        testsupport::TempDir dir;
        const std::string path = dir.file(bad.fileName);
        bad.make(path);
        ::chmod(path.c_str(), 0644);
        const std::string before = bytesOf(path);
        const auto entriesBefore = directoryEntries(dir.path());
        if (std::string(bad.fileName) == "secret.SDB")
            ::chmod(path.c_str(), 0);

        Table table;
        table.setTableName(path);
        DatabaseError error = errorOf([&] { table.open(); });
        EXPECT_FALSE(table.active());
        EXPECT_EQ(table.state(), DataSetState::Inactive);
        if (bad.message.empty()) {
            EXPECT_TRUE(error.code() == status::kCorruptFile || error.code() == status::kNotACardSet
                || error.code() == status::kIoError)
                << error.code();
            const std::string text = error.what();
            EXPECT_EQ(text.rfind(statusMessage(error.code()) + ". ", 0), 0u) << text;
            EXPECT_TRUE(text.ends_with("File: " + path)) << text;
        } else {
            EXPECT_EQ(error.code(), bad.code);
            EXPECT_EQ(error.what(), withPath(bad.message, path));
        }

        ::chmod(path.c_str(), 0644);
        EXPECT_TRUE(bytesOf(path) == before);
        EXPECT_EQ(directoryEntries(dir.path()), entriesBefore);
    }
}

TEST(Files, TableTypeChosenByTheCallerOverridesTheExtension)
{
    testsupport::TempDir dir;
    makeCardSetNamed(dir.file("cards.DBF"), manyCards(3));
    Table table;
    table.setTableName(dir.file("cards.DBF"));
    table.setTableType(TableType::Paradox);
    table.open();
    EXPECT_EQ(table.recordCount(), 3);
}

struct ReadOnlyCase
{
    const char* name;
    mode_t fileMode;
    mode_t directoryMode;
    bool readOnlySetting;
};

TEST(Files, ReadOnlySetsOpenForReadingOnly)
{
    const std::vector<ReadOnlyCase> cases = {
        { "file mode 0444", 0444, 0755, false },
        { "directory mode 0555", 0644, 0555, false },
        { "read-only setting", 0644, 0755, true },
    };
    for (const ReadOnlyCase& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const std::string folder = dir.file("sets");
        fs::create_directory(folder);
        const std::string path = folder + "/ro.SDB";
        testsupport::makeCardSet(path, fiveCards());
        ::chmod(path.c_str(), c.fileMode);
        ::chmod(folder.c_str(), c.directoryMode);
        const std::string before = testsupport::readBytes(path);
        const auto entriesBefore = directoryEntries(folder);
        {
            Table table;
            table.setReadOnly(c.readOnlySetting);
            openTable(table, path);
            EXPECT_FALSE(table.canModify());
            EXPECT_EQ(column(table), (std::vector<std::string> { "and", "God", "love", "spirit", "word" }));
            table.refresh();
            const std::vector<std::pair<const char*, std::function<void()>>> writes = {
                { "Edit", [&] { table.edit(); } },
                { "Insert", [&] { table.insert(); } },
                { "Delete", [&] { table.deleteRecord(); } },
                { "append",
                    [&] {
                        table.appendRecords({ { "x", "ξ" } });
                    } },
                { "font", [&] { writeStoredFont(table, "Gentium", 12); } },
            };
            for (const auto& [what, write] : writes) {
                SCOPED_TRACE(what);
                DatabaseError error = errorOf(write);
                EXPECT_STREQ(error.what(), "Cannot modify a read-only dataset");
                EXPECT_EQ(table.state(), DataSetState::Browse);
            }
            EXPECT_EQ(table.recordCount(), 5);
        }
        ::chmod(folder.c_str(), 0755);
        EXPECT_TRUE(bytesOf(path) == before);
        EXPECT_EQ(directoryEntries(folder), entriesBefore);
    }
}

TEST(Files, CreateReplacesASet)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("set.SDB");
    testsupport::makeBuiltInLikeSet(path, fiveCards());
    Table table;
    table.setTableName(path);
    table.fieldDefs() = cardFieldDefs();
    table.indexDefs() = { englishIndexDef() };
    table.createTable();
    table.fieldDefs().clear();
    table.indexDefs().clear();
    table.open();
    EXPECT_EQ(table.recordCount(), 0);
    ASSERT_EQ(table.fieldDefs().size(), 5u);
    const std::vector<FieldDef> expected = cardFieldDefs();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(table.fieldDefs()[i].name, expected[i].name);
        EXPECT_EQ(table.fieldDefs()[i].type, expected[i].type);
        EXPECT_EQ(table.fieldDefs()[i].size, expected[i].size);
        EXPECT_EQ(table.fieldDefs()[i].required, expected[i].required);
    }
    ASSERT_EQ(table.indexDefs().size(), 1u);
    EXPECT_EQ(table.indexDefs()[0].name, "EnglishIndex");
    EXPECT_EQ(table.indexDefs()[0].fields, "English");
    EXPECT_EQ(table.indexDefs()[0].options, indexoption::kPrimary);
    EXPECT_EQ(directoryEntries(dir.path()), std::set<std::string> { "set.SDB" });

    EXPECT_STREQ(errorOf([&] { table.createTable(); }).what(), "Cannot perform this operation on an open dataset");
}

TEST(Files, CreateThatCannotWriteLeavesNothingBehind)
{
    testsupport::TempDir dir;
    Table table;
    table.fieldDefs() = cardFieldDefs();
    table.indexDefs() = { englishIndexDef() };
    table.setTableName(dir.file("no/such/folder/set.SDB"));
    EXPECT_EQ(errorOf([&] { table.createTable(); }).code(), status::kNoAccess);
    table.setTableName(dir.file("set.SDB"));
    table.indexDefs() = { { "GlossIndex", "Gloss", 0 } };
    EXPECT_STREQ(errorOf([&] { table.createTable(); }).what(), "Field 'Gloss' not found");
    EXPECT_TRUE(directoryEntries(dir.path()).empty());
}

namespace {

struct FailingWrite
{
    const char* name;
    std::function<void(Table&)> write;
};

std::vector<FailingWrite> failingWrites()
{
    return {
        { "post of an insert",
            [](Table& t) {
                t.insert();
                t.setFieldText("English", "grace");
                t.setFieldText("Language", "χάρις");
                t.post();
            } },
        { "post of an edit",
            [](Table& t) {
                moveToText(t, "love");
                t.edit();
                t.setFieldText("English", "charity");
                t.post();
            } },
        { "delete",
            [](Table& t) {
                moveToText(t, "God");
                t.deleteRecord();
            } },
        { "append",
            [](Table& t) {
                t.appendRecords({ { "grace", "χάρις" }, { "peace", "εἰρήνη", "", "", "92" } });
            } },
        { "font", [](Table& t) { writeStoredFont(t, "Gentium", 14); } },
    };
}

} // namespace

TEST(Files, AWriteThatFailsHalfWayLeavesTheFileAsItWas)
{
    for (const FailingWrite& write : failingWrites()) {
        SCOPED_TRACE(write.name);
        testsupport::TempDir dir;
        const std::string path = dir.file("set.SDB");
        testsupport::makeCardSet(path, fiveCards());
        const std::string before = testsupport::readBytes(path);
        const std::vector<std::string> glosses = { "and", "God", "love", "spirit", "word" };

        testsupport::FailingVfs vfs(0);
        int failures = 0;
        bool succeeded = false;
        for (int failAt = 1; failAt <= 60 && !succeeded; ++failAt) {
            SCOPED_TRACE("failing write " + std::to_string(failAt));
            Table table;
            openTable(table, path);
            vfs.failAt(failAt);
            try {
                write.write(table);
                succeeded = true;
                EXPECT_FALSE(vfs.failed());
            } catch (const DatabaseError& error) {
                ++failures;
                EXPECT_TRUE(vfs.failed());
                EXPECT_EQ(error.code(), status::kIoError);
                vfs.failAt(0);
                // The table goes on with the old data, and the file reads as it did.
                table.cancel();
                table.refresh();
                EXPECT_EQ(column(table), glosses);
                EXPECT_EQ(column(table, "FontName"), std::vector<std::string>(5, ""));
                table.close();
                EXPECT_TRUE(bytesOf(path) == before);
                EXPECT_EQ(directoryEntries(dir.path()), std::set<std::string> { "set.SDB" });
            }
        }
        EXPECT_TRUE(succeeded);
        EXPECT_GE(failures, 3); // the journal and the file itself were both hit
        EXPECT_FALSE(bytesOf(path) == before);
    }
}

TEST(Files, ACreateThatFailsHalfWayLeavesTheOldSet)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("set.SDB");
    testsupport::makeCardSet(path, fiveCards());
    const std::string before = testsupport::readBytes(path);
    testsupport::FailingVfs vfs(0);
    for (int failAt = 1; failAt <= 6; ++failAt) {
        SCOPED_TRACE(failAt);
        vfs.failAt(failAt);
        Table table;
        table.setTableName(path);
        table.fieldDefs() = cardFieldDefs();
        table.indexDefs() = { englishIndexDef() };
        EXPECT_EQ(errorOf([&] { table.createTable(); }).code(), status::kIoError);
        vfs.failAt(0);
        EXPECT_TRUE(bytesOf(path) == before);
        EXPECT_EQ(directoryEntries(dir.path()), std::set<std::string> { "set.SDB" });
    }
}
