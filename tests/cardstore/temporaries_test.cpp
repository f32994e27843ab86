// The new files writers make beside a card set: readable by their owner alone while they may hold the cards in
// plain text, and removed when a writer cut short left them behind, but never anything that is not ours.
#include "cardfile.h"
#include "cardtable.h"
#include "filereplace.h"
#include "protectedtest.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace cardstore;
using namespace protectedtest;

namespace {

mode_t modeOf(const std::string& path)
{
    struct stat info
    {
    };
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Runs body in a child process that may write files of at most 4 KiB: a writer dies of SIGXFSZ in the middle of
// its new file, as one killed there would. Returns the child's wait status.
int runCutShort(const std::function<void()>& body)
{
    pid_t child = ::fork();
    if (child == 0) {
        struct rlimit limit
        {
            4096, 4096
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL); // other tests ignore it, to see the write fail instead
        try {
            body();
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

// Replaces the process with karte-protect reading input on standard input.
void execTool(const testsupport::TempDir& dir, const std::vector<std::string>& arguments, const std::string& input)
{
    testsupport::writeBytes(dir.file("stdin"), input);
    int in = ::open(dir.file("stdin").c_str(), O_RDONLY);
    int out = ::open(dir.file("output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    std::vector<char*> argv { const_cast<char*>(KARTE_PROTECT_TOOL) };
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(KARTE_PROTECT_TOOL, argv.data());
}

std::vector<std::string> temporariesOf(const std::string& directory, const std::string& setName)
{
    std::vector<std::string> found;
    for (const std::string& name : directoryEntries(directory))
        if (name.starts_with("." + setName + ".new-"))
            found.push_back(directory + "/" + name);
    return found;
}

} // namespace

TEST_F(ProtectedSetTest, WriterCutShortLeavesOnlyItsOwnersFileAndTheNextOpenRemovesIt)
{
    testsupport::TempDir pristine(false);
    testsupport::makeBuiltInLikeSet(pristine.file(Session::kBuiltInTable), kCards);
    Session::instance().setPristineDirectories({ pristine.path() });
    const std::string dataDirectory = Session::userDataDirectory();
    enum Start { Plain, Protected, Nothing };
    struct Case
    {
        const char* name;
        Start start;
        std::function<void(const std::string& path)> write;
    };
    const std::vector<Case> cases = {
        { "unprotect", Protected,
            [&](const std::string& path) {
                execTool(dir, { "unprotect", path }, "pw\n");
            } },
        { "protect", Plain,
            [&](const std::string& path) {
                execTool(dir, { "--cost", "1:8", "protect", path }, "pw\n");
            } },
        { "change the password", Protected,
            [&](const std::string& path) {
                execTool(dir, { "--cost", "1:8", "change", path }, "pw\nnew\n");
            } },
        { "seal after an edit", Protected,
            [&](const std::string& path) {
                Session::instance().addPassword("pw");
                Table table;
                openTable(table, path);
                table.first();
                table.edit();
                table.setFieldText("English", "changed");
                table.post();
            } },
        { "make a new set in its place", Plain,
            [&](const std::string& path) { CardFile::create(path, cardFieldDefs(), { englishIndexDef() }); } },
        { "seed the built-in set", Nothing,
            [&](const std::string&) { Session::instance().aliasDirectory(Session::kBuiltInAlias); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool seeding = c.start == Nothing;
        std::string directory = seeding ? dataDirectory : dir.path();
        std::string path = seeding ? dataDirectory + "/" + Session::kBuiltInTable : dir.file("set.SDB");
        if (!seeding) {
            testsupport::makeCardSet(path, kCards);
            if (c.start == Protected)
                protectCardSet(path, "pw");
            ::chmod(path.c_str(), 0640);
        }
        std::string before = testsupport::readBytes(path);

        int status = runCutShort([&] { c.write(path); });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ)
            << "status " << status << ": " << testsupport::readBytes(dir.file("output"));
        EXPECT_EQ(testsupport::readBytes(path), before);
        std::vector<std::string> left = temporariesOf(directory, std::filesystem::path(path).filename().string());
        EXPECT_FALSE(left.empty());
        for (const std::string& temporary : left)
            EXPECT_EQ(modeOf(temporary), 0600u) << temporary;

        Session::instance().addPassword("pw");
        if (seeding) {
            Session::instance().aliasDirectory(Session::kBuiltInAlias);
            EXPECT_EQ(testsupport::readBytes(path), testsupport::readBytes(pristine.file(Session::kBuiltInTable)));
        } else {
            storedColumn(path);
            EXPECT_EQ(modeOf(path), 0640u);
        }
        EXPECT_EQ(
            temporariesOf(directory, std::filesystem::path(path).filename().string()), std::vector<std::string> {});
        Session::instance().removeAllPasswords();
        std::filesystem::remove(path);
    }
    Session::instance().setPristineDirectories({});
}

// Whole writes give the set the mode the file had, whether the new file got it before or after its rename.
TEST_F(ProtectedSetTest, CommandsKeepTheModeOfTheSet)
{
    std::string path = dir.file("set.SDB");
    testsupport::makeCardSet(path, kCards);
    ::chmod(path.c_str(), 0640);
    protectCardSet(path, "pw");
    EXPECT_EQ(modeOf(path), 0640u);
    changeCardSetPassword(path, "pw", "new");
    EXPECT_EQ(modeOf(path), 0640u);
    unprotectCardSet(path, "new");
    EXPECT_EQ(modeOf(path), 0640u);
}

TEST(Temporaries, OnlyOurOwnStaleTemporariesAreRemoved)
{
    testsupport::TempDir dir;
    testsupport::makeCardSet(dir.file("a.SDB"), kCards);
    testsupport::makeCardSet(dir.file(Session::kBuiltInTable), kCards);
    pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    enum Kind { File, Directory, Link, OthersFile };
    struct Entry
    {
        std::string name;
        Kind kind;
        bool removed;
    };
    const std::vector<Entry> entries = {
        { ".a.SDB.new-Ab12Cd", File, true },
        { ".a.SDB.new-Ab12Cd-journal", File, true },
        { ".a.SDB.new-Ab12C", File, false },
        { ".a.SDB.new-Ab_2Cd", File, false },
        { ".a.SDB.new-Ab12Cd.bak", File, false },
        { ".b.SDB.new-Ab12Cd", File, false },
        { "a.SDB.new-Ab12Cd", File, false },
        { ".a.SDB.seed-" + std::to_string(gone), File, false },
        { ".a.SDB.new-Dir123", Directory, false },
        { ".a.SDB.new-Lnk123", Link, false },
        { ".a.SDB.new-Usr123", OthersFile, false },
        { ".cardsfrq.db.seed-" + std::to_string(gone), File, true },
        { ".cardsfrq.db.seed-" + std::to_string(::getpid()), File, false },
    };
    auto make = [&] {
        for (const Entry& entry : entries) {
            std::string path = dir.file(entry.name);
            if (entry.kind == Directory)
                std::filesystem::create_directory(path);
            else if (entry.kind == Link)
                std::filesystem::create_symlink(dir.file("a.SDB"), path);
            else
                testsupport::writeBytes(path, "left behind");
            if (entry.kind == OthersFile && (::geteuid() != 0 || ::chown(path.c_str(), 65534, 65534) != 0))
                std::filesystem::remove(path); // only the superuser can make one
        }
    };
    make();
    const std::set<std::string> everything = directoryEntries(dir.path());
    {
        // A writer at work holds the directory's lock: what looks stale may be its file.
        DirectoryLock writer(dir.file("a.SDB"));
        storedColumn(dir.file("a.SDB"));
        storedColumn(dir.file(Session::kBuiltInTable));
        EXPECT_EQ(directoryEntries(dir.path()), everything);
    }
    storedColumn(dir.file("a.SDB"));
    storedColumn(dir.file(Session::kBuiltInTable));
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.name);
        bool present
            = std::filesystem::symlink_status(dir.file(entry.name)).type() != std::filesystem::file_type::not_found;
        EXPECT_EQ(present, !entry.removed && everything.count(entry.name));
    }
}

// A new set and the seeded built-in set get the mode the user's file mode creation mask gives, as any new file
// does; a set made in place of another keeps the mode of the one it replaces.
TEST(Temporaries, NewSetsTakeTheirModeFromTheMask)
{
    testsupport::TempDir pristine(false);
    testsupport::makeBuiltInLikeSet(pristine.file(Session::kBuiltInTable), kCards);
    Session::instance().setPristineDirectories({ pristine.path() });
    const mode_t savedMask = ::umask(022);
    for (mode_t mask : { 077, 027, 022, 002 }) {
        SCOPED_TRACE("umask " + std::to_string(mask));
        testsupport::TempDir dir;
        ::umask(mask);
        testsupport::makeCardSet(dir.file("new.SDB"), kCards);
        Session::instance().aliasDirectory(Session::kBuiltInAlias);
        testsupport::makeCardSet(dir.file("old.SDB"), {});
        ::chmod(dir.file("old.SDB").c_str(), 0604);
        testsupport::makeCardSet(dir.file("old.SDB"), kCards);
        ::umask(022);
        EXPECT_EQ(modeOf(dir.file("new.SDB")), 0666 & ~mask);
        EXPECT_EQ(modeOf(Session::userDataDirectory() + "/" + Session::kBuiltInTable), 0666 & ~mask);
        EXPECT_EQ(modeOf(dir.file("old.SDB")), 0604u);
    }
    ::umask(savedMask);
    Session::instance().setPristineDirectories({});
}
