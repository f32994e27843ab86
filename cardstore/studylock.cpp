#include "studylock.h"

#include "errors.h"
#include "filereplace.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cardstore {

namespace {

bool sameFile(int fd, const std::string& path)
{
    struct stat opened
    {
    }, named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

} // namespace

std::string StudyLock::refusal(const std::string& setPath)
{
    return "This card set is being studied in another window or program: close its Study window there, then try "
           "again. File: "
        + setPath;
}

StudyLock::StudyLock(const std::string& setPath)
    : path_(directoryOf(setPath) + "/." + std::filesystem::path(setPath).filename().string() + ".studying")
{
    // The holder removes the file as it lets go, so a lock taken on a file no longer at the path is no lock: try
    // again on the one there now.
    for (;;) {
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0)
            return;
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd_);
            fd_ = -1;
            if (error == EWOULDBLOCK)
                throw DatabaseError(status::kTableLocked, refusal(setPath));
            if (error == EINTR)
                continue;
            return;
        }
        if (sameFile(fd_, path_))
            return;
        ::close(fd_);
    }
}

StudyLock::~StudyLock()
{
    if (fd_ < 0)
        return;
    ::unlink(path_.c_str());
    ::close(fd_);
}

} // namespace cardstore
