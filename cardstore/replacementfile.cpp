// Writing a whole file beside its place and renaming it there, for every file the program makes or replaces whole.
#include "filereplace.h"

#include "errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace cardstore {

namespace {

[[noreturn]] void ioFailure(const std::string& path, const std::string& detail)
{
    throw DatabaseError::fromStatus(status::kIoError, { detail, "File: " + path });
}

// Gives the file at path a second name beside it, named as a temporary is, so that the old file can be put back
// should the new one fail to reach the disk after it took the old one's place. Left behind by a writer cut short,
// it is removed as one. Empty where the file system has no hard links.
std::string secondNameOf(const std::string& path)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        std::string name;
        int fd = createTemporaryBeside(path, name);
        if (fd < 0)
            return {};
        ::close(fd);
        ::unlink(name.c_str());
        if (::link(path.c_str(), name.c_str()) == 0)
            return name;
        if (errno != EEXIST)
            return {};
    }
    return {};
}

} // namespace

int syncDirectory(const std::string& directory)
{
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int synced = ::fsync(fd);
    int saved = errno;
    ::close(fd);
    errno = saved;
    return synced;
}

bool writeAllAt(int fd, const void* bytes, std::size_t size, off_t offset)
{
    const auto* data = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        ssize_t wrote = ::pwrite(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote == 0)
            errno = ENOSPC;
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

int createTemporaryBeside(const std::string& path, std::string& temporary)
{
    // mkstemp makes the file readable and writable by its owner alone, whatever the file mode creation mask.
    temporary = directoryOf(path) + "/." + std::filesystem::path(path).filename().string() + ".new-XXXXXX";
    return ::mkstemp(temporary.data());
}

ReplacementFile::ReplacementFile(const std::string& path)
    : path_(path)
{
    fd_ = createTemporaryBeside(path, temporary_);
    if (fd_ < 0) {
        temporary_.clear();
        std::string detail = std::string("Cannot create a new file beside it: ") + std::strerror(errno);
        // A folder that may not be written is a matter of rights, not of a failing disk.
        if (errno == EACCES || errno == EPERM || errno == EROFS)
            throw DatabaseError::fromStatus(status::kNoAccess, { detail, "File: " + path });
        ioFailure(path, detail);
    }
}

ReplacementFile::~ReplacementFile()
{
    discard();
}

void ReplacementFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

void ReplacementFile::fail(const std::string& what)
{
    std::string detail = what + ": " + std::strerror(errno);
    discard();
    ioFailure(path_, detail);
}

void ReplacementFile::write(const void* bytes, std::size_t size)
{
    if (!writeAllAt(fd_, bytes, size, written_))
        fail("Cannot write the new file");
    written_ += static_cast<off_t>(size);
}

std::optional<FileIdentity> ReplacementFile::putInPlace(
    mode_t mode, ModeTiming timing, Placement placement, const std::function<void(const std::string&)>& check)
{
    if (timing == ModeTiming::BeforeRename && ::fchmod(fd_, mode) != 0)
        fail("Cannot set the new file's permissions");
    if (::fsync(fd_) != 0)
        fail("Cannot sync the new file");
    if (check)
        check(temporary_); // whatever it raises, the destructor removes the new file

    struct stat old
    {
    };
    const bool hadOld = ::lstat(path_.c_str(), &old) == 0;
    std::string secondName;
    if (placement == Placement::OnlyWhereNone) {
        if (hadOld) {
            discard();
            return std::nullopt;
        }
        // A hard link puts the file in place only where none is, so one made meanwhile is never replaced.
        if (::link(temporary_.c_str(), path_.c_str()) == 0) {
            ::unlink(temporary_.c_str());
        } else if (errno == EEXIST) {
            discard();
            return std::nullopt;
        } else if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
            // A file system without hard links (a memory stick's) is left the rename.
            fail("Cannot put the new file in place");
        }
    } else {
        if (hadOld)
            secondName = secondNameOf(path_);
        if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
            int saved = errno;
            if (!secondName.empty())
                ::unlink(secondName.c_str());
            errno = saved;
            fail("Cannot put the new file in place");
        }
    }
    temporary_.clear(); // the new file is at path now

    // A sync that fails from here on puts back what was at path. Where the file system has no hard links the old
    // file has no second name to come back from; the new one, written whole, then stays.
    auto undo = [&](const char* what) {
        std::string detail = std::string(what) + ": " + std::strerror(errno);
        if (!secondName.empty())
            ::rename(secondName.c_str(), path_.c_str());
        else if (!hadOld)
            ::unlink(path_.c_str());
        syncDirectory(directoryOf(path_));
        ::close(fd_);
        fd_ = -1;
        ioFailure(path_, detail);
    };
    // Through the descriptor, so the mode goes to the file just renamed whatever happens at path meanwhile.
    if (timing == ModeTiming::AfterRename && ::fchmod(fd_, mode) == 0 && ::fsync(fd_) != 0)
        undo("Cannot sync the new file");
    if (syncDirectory(directoryOf(path_)) != 0)
        undo("Cannot sync the folder");
    if (!secondName.empty())
        ::unlink(secondName.c_str());
    struct stat info
    {
    };
    int examined = ::fstat(fd_, &info);
    ::close(fd_);
    fd_ = -1;
    return examined == 0 ? fileIdentity(info) : fileIdentity(path_);
}

FileIdentity replaceFile(const std::string& path, const unsigned char* bytes, std::size_t size, mode_t mode,
    ModeTiming timing, const std::function<void(const std::string&)>& check)
{
    ReplacementFile file(path);
    file.write(bytes, size);
    return *file.putInPlace(mode, timing, Placement::Replace, check);
}

} // namespace cardstore
