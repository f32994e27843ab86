// Every file the engine makes or replaces whole goes to the disk through one routine: when any sync on the way
// fails (the new file's, SQLite's while it makes a set, or the folder's after the rename), the file at the path is
// the one that was there before, or none, and nothing is left beside it.
#include "cardtable.h"
#include "failingsync.h"
#include "filereplace.h"
#include "protectedtest.h"

#include <optional>

using namespace cardstore;
using namespace protectedtest;

namespace {

std::optional<std::string> bytesAt(const std::string& path)
{
    if (!std::filesystem::exists(path))
        return std::nullopt;
    return testsupport::readBytes(path);
}

void createSet(const std::string& path)
{
    Table table;
    table.setTableName(path);
    table.fieldDefs() = cardFieldDefs();
    table.indexDefs() = { englishIndexDef() };
    table.createTable();
}

} // namespace

TEST_F(ProtectedSetTest, AFailedSyncLeavesTheOldFileAndNothingBeside)
{
    struct Case
    {
        const char* name;
        std::function<void(const std::string& path)> prepare;
        std::function<void(const std::string& path)> write;
    };
    auto plainSet = [](const std::string& path) { testsupport::makeCardSet(path, kCards); };
    auto sealedSet = [](const std::string& path) {
        testsupport::makeCardSet(path, kCards);
        protectCardSet(path, "pw");
    };
    const std::vector<Case> cases {
        { "a new set made over an old one", plainSet, createSet },
        { "a new set where there was none", [](const std::string&) {}, createSet },
        { "a new set filled before it takes its name", [](const std::string&) {},
            [](const std::string& path) {
                CardFile::create(
                    path, cardFieldDefs(), { englishIndexDef() },
                    [](const std::string& newSet) {
                        Table table;
                        openTable(table, newSet);
                        table.appendRecords({ { "grace", "χάρις" } });
                    },
                    Placement::OnlyWhereNone);
            } },
        { "a post into a protected set", sealedSet,
            [](const std::string& path) {
                Session::instance().addPassword("pw");
                Table table;
                openTable(table, path);
                table.insert();
                table.setFieldText("English", "grace");
                table.setFieldText("Language", "χάρις");
                table.post();
            } },
        { "protecting a set", plainSet, [](const std::string& path) { protectCardSet(path, "pw"); } },
        { "removing the protection", sealedSet, [](const std::string& path) { unprotectCardSet(path, "pw"); } },
        { "changing the password", sealedSet,
            [](const std::string& path) { changeCardSetPassword(path, "pw", "other"); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("set.SDB");
        int fileFailures = 0, folderFailures = 0;
        bool syncsLeft = true;
        for (int failAt = 1; failAt <= 60 && syncsLeft; ++failAt) {
            SCOPED_TRACE("failing sync " + std::to_string(failAt));
            for (const std::string& name : directoryEntries(dir.path()))
                std::filesystem::remove(dir.file(name));
            Session::instance().removeAllPasswords();
            c.prepare(path);
            const std::optional<std::string> before = bytesAt(path);
            const std::set<std::string> entries = directoryEntries(dir.path());
            testsupport::FailingSync disk(failAt);
            try {
                c.write(path);
                syncsLeft = disk.failed();
                // SQLite passes over a failed sync of the folder of a journal, which holds nothing to keep.
                EXPECT_TRUE(!disk.failed() || disk.failedOnFolder()) << "a failed sync of a file went unnoticed";
            } catch (const DatabaseError& error) {
                EXPECT_TRUE(disk.failed()) << error.what();
                ++(disk.failedOnFolder() ? folderFailures : fileFailures);
                EXPECT_EQ(error.code(), status::kIoError) << error.what();
                EXPECT_TRUE(bytesAt(path) == before);
                EXPECT_EQ(directoryEntries(dir.path()), entries);
            }
        }
        EXPECT_FALSE(syncsLeft);
        EXPECT_GE(fileFailures, 1);
        EXPECT_GE(folderFailures, 1);
    }
}
