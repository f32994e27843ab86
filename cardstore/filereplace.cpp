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
