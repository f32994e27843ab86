#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// The identity of the file at path; size -1 when there is none.
FileIdentity fileIdentity(const std::string& path);
FileIdentity fileIdentity(const struct stat& info);
// The permission bits of the file at path, 0644 when there is none.
mode_t fileMode(const std::string& path);

// Puts bytes in place of the file at path in one step: writes them to a new file beside it with the given mode,
// syncs it, lets check look at it, renames it over path and syncs the directory. Until the rename the old file is
// untouched, and a failure removes the new one and raises an I/O error naming path. Returns the new file's
// identity.
FileIdentity replaceFile(const std::string& path, const unsigned char* bytes, std::size_t size, mode_t mode,
    const std::function<void(const std::string& temporary)>& check = {});

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

private:
    int fd_ = -1;
};

} // namespace cardstore
