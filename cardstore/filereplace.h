#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace cardstore {

// Which file is at a path, to notice another program replacing it.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The directory of the file at path, "." for a bare name.
std::string directoryOf(const std::string& path);

// The identity of the file at path; size -1 when there is none.
FileIdentity fileIdentity(const std::string& path);
FileIdentity fileIdentity(const struct stat& info);
// The permission bits of the file at path, those of a new file when there is none.
mode_t fileMode(const std::string& path);
// The permission bits a new file gets: read and write for whom the file mode creation mask allows.
mode_t newFileMode();
// Writes all size bytes at offset, again where the system takes fewer or is interrupted: true, or false with errno
// set (ENOSPC where it takes none).
bool writeAllAt(int fd, const void* bytes, std::size_t size, off_t offset);
// Syncs the folder itself, so that a name just made, renamed or removed in it is on the disk: 0, or -1 with errno
// set.
int syncDirectory(const std::string& directory);

// When the new file of a ReplacementFile gets its mode. Until then it is readable by its owner alone.
enum class ModeTiming {
    // Bytes anyone the mode admits may read (a sealed set, a new set, an export): given once they are written,
    // before the rename, so that the file at path never has another mode.
    BeforeRename,
    // Plain text that came out of a protected set: given only to the renamed file. A write cut short (killed,
    // power lost) then leaves at most a temporary its owner alone can read, which the next open removes.
    AfterRename,
};

// Where the new file of a ReplacementFile goes.
enum class Placement {
    Replace, // over the file at path, or where there is none
    OnlyWhereNone, // only where no file is: one that is there, or appears meanwhile, is never replaced
};

// A new file written beside path that takes path's place in one step once it is complete: the one way the program
// makes or replaces a whole file (a new card set, a sealed protected set, the seeded built-in set, an export), so
// that no half-written file is ever seen under its name. Until putInPlace, path is untouched. A failure at any step,
// a failed sync of the new file or of its folder included, leaves path as it was (the old file, or none) with
// nothing left beside it, and raises an I/O error naming path. Unless put in place, the new file is removed when
// the object goes.
//
// The new file is named ".NAME.new-XXXXXX", as stale temporaries are recognised: a caller writing beside a card set
// holds the set's DirectoryLock for as long as the object lives, so that no open takes the file for one left behind.
class ReplacementFile
{
public:
    explicit ReplacementFile(const std::string& path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Where the new file is, for a writer that opens it by name (SQLite making a card set in it).
    const std::string& temporaryPath() const { return temporary_; }
    void write(const void* bytes, std::size_t size);
    // Syncs the new file, lets check look at it, puts it at path as placement says and syncs the folder; the new
    // file gets mode as timing says. Returns its identity, or nullopt when placement found a file at path (the new
    // one is removed and nothing is raised: the caller says why in its own words).
    std::optional<FileIdentity> putInPlace(mode_t mode, ModeTiming timing, Placement placement,
        const std::function<void(const std::string& temporary)>& check = {});

private:
    [[noreturn]] void fail(const std::string& what);
    void discard();

    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    off_t written_ = 0;
};

// Puts bytes in place of the file at path through a ReplacementFile. The caller holds the DirectoryLock of path.
FileIdentity replaceFile(const std::string& path, const unsigned char* bytes, std::size_t size, mode_t mode,
    ModeTiming timing, const std::function<void(const std::string& temporary)>& check = {});

// Creates the new file that is to take path's place, ".NAME.new-XXXXXX" beside it, readable by its owner alone;
// sets temporary to its name and returns its descriptor, or -1 with errno set.
int createTemporaryBeside(const std::string& path, std::string& temporary);

// Writers of files replaced this way (this program's instances and its tools) take turns per directory: a write
// reads what another has written, applies its change and renames the result in place, which must not interleave.
// Waits up to five seconds, then raises the table-locked error.
class DirectoryLock
{
public:
    explicit DirectoryLock(const std::string& path);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    // The lock if nobody holds it now, else null. Never waits.
    static std::unique_ptr<DirectoryLock> tryTake(const std::string& path);
    // Removes the temporaries a writer cut short left beside path (see removeStaleTemporaries). Nothing on a
    // file system without locks, where a writer could be at work unseen.
    void removeStaleTemporaries(const std::string& path) const;

private:
    DirectoryLock() = default;
    int fd_ = -1;
    bool held_ = false;
};

// Removes what writers of path that were cut short left beside it: files named as createTemporaryBeside names
// them for path, with SQLite's journal of one, and the copies of an interrupted seeding of the built-in set whose
// process is gone. Only regular files of this user, and only when the directory's lock can be taken at once:
// every writer holds it for as long as its temporary exists, so none of these belongs to a live one. Anything
// else, and whatever cannot be removed, is left alone.
void removeStaleTemporaries(const std::string& path);

} // namespace cardstore
