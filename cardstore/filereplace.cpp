#include "filereplace.h"

#include "errors.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace cardstore {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ioFailure(const std::string& path, const std::string& detail)
{
    throw DatabaseError::fromStatus(status::kIoError, { detail, "File: " + path });
}

} // namespace

std::string directoryOf(const std::string& path)
{
    std::string directory = fs::path(path).parent_path().string();
    return directory.empty() ? "." : directory;
}

FileIdentity fileIdentity(const struct stat& info)
{
    return { info.st_dev, info.st_ino, info.st_size,
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec };
}

FileIdentity fileIdentity(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? fileIdentity(info) : FileIdentity {};
}

mode_t fileMode(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : newFileMode();
}

mode_t newFileMode()
{
    // Asking umask() for the mask sets it for a moment, under the feet of any other thread creating a file, so
    // the kernel's report of it is read instead where there is one.
    mode_t mask = 0;
    std::ifstream status("/proc/self/status");
    std::string line;
    bool found = false;
    while (!found && std::getline(status, line))
        found = std::sscanf(line.c_str(), "Umask: %o", &mask) == 1;
    if (!found) {
        mask = ::umask(022);
        ::umask(mask);
    }
    return 0666 & ~mask;
}

int createTemporaryBeside(const std::string& path, std::string& temporary)
{
    // mkstemp makes the file readable and writable by its owner alone, whatever the file mode creation mask.
    temporary = directoryOf(path) + "/." + fs::path(path).filename().string() + ".new-XXXXXX";
    return ::mkstemp(temporary.data());
}

FileIdentity replaceFile(const std::string& path, const unsigned char* bytes, std::size_t size, mode_t mode,
    ModeTiming timing, const std::function<void(const std::string&)>& check)
{
    std::string temporary;
    int fd = createTemporaryBeside(path, temporary);
    if (fd < 0)
        ioFailure(path, std::string("Cannot create a new file beside it: ") + std::strerror(errno));
    auto discard = [&] {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.c_str());
    };
    auto failure = [&](const char* what) {
        std::string detail = std::string(what) + ": " + std::strerror(errno);
        discard();
        ioFailure(path, detail);
    };
    for (std::size_t done = 0; done < size;) {
        ssize_t wrote = ::write(fd, bytes + done, size - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote == 0)
            errno = ENOSPC;
        if (wrote <= 0)
            failure("Cannot write the new file");
        done += static_cast<std::size_t>(wrote);
    }
    if (timing == ModeTiming::BeforeRename && ::fchmod(fd, mode) != 0)
        failure("Cannot set the new file's permissions");
    if (::fsync(fd) != 0)
        failure("Cannot sync the new file");
    if (check) {
        try {
            check(temporary);
        } catch (...) {
            discard();
            throw;
        }
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        failure("Cannot put the new file in place");
    // Through the descriptor, so the mode goes to the file just renamed whatever happens at path meanwhile. The
    // set is whole and in place by now: should this fail, it stays readable by its owner alone, the safe side,
    // and the write itself has succeeded, so nothing is raised.
    if (timing == ModeTiming::AfterRename && ::fchmod(fd, mode) == 0)
        ::fsync(fd);
    struct stat info
    {
    };
    int examined = ::fstat(fd, &info);
    ::close(fd);
    fd = -1;
    if (int dir = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return examined == 0 ? fileIdentity(info) : fileIdentity(path);
}

DirectoryLock::DirectoryLock(const std::string& path)
{
    std::string directory = directoryOf(path);
    fd_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        throw DatabaseError::fromStatus(status::kNoAccess, { std::strerror(errno), "Directory: " + directory });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return; // a file system without locks: write unguarded, as SQLite does on one
        if (std::chrono::steady_clock::now() > deadline) {
            ::close(fd_);
            throw DatabaseError::fromStatus(status::kTableLocked, { "File: " + path });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    held_ = true;
}

std::unique_ptr<DirectoryLock> DirectoryLock::tryTake(const std::string& path)
{
    std::unique_ptr<DirectoryLock> lock(new DirectoryLock);
    lock->fd_ = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock->fd_ < 0 || ::flock(lock->fd_, LOCK_EX | LOCK_NB) != 0)
        return nullptr;
    lock->held_ = true;
    return lock;
}

DirectoryLock::~DirectoryLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace cardstore
