#include "pendingfile.h"

#include "interchangeerror.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace interchange {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferBytes = 256 * 1024;

std::string directoryOf(const std::string& path)
{
    std::string directory = fs::path(path).parent_path().string();
    return directory.empty() ? "." : directory;
}

void syncDirectory(const std::string& directory)
{
    if (int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Asking the kernel with umask() would change the mask for a moment under every other thread of the program.
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("Umask:"))
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

} // namespace

PendingFile::PendingFile(const std::string& path, bool overwrite)
    : path_(path)
    , overwrite_(overwrite)
{
    struct stat existing
    {
    };
    bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        throw ExportError(path + " is a directory");
    if (exists && !overwrite)
        throw ExportError(path + " is there already; it is replaced only when you confirm it");
    temporary_ = directoryOf(path) + "/." + fs::path(path).filename().string() + ".new-XXXXXX";
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0)
        throw ExportError("Cannot write beside " + path + ": " + std::strerror(errno));
    // A replaced file keeps its permissions; a new one gets the usual ones for a document.
    ::fchmod(fd_, exists ? existing.st_mode & 07777 : 0666 & ~currentUmask());
    buffer_.reserve(kBufferBytes);
}

PendingFile::~PendingFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

void PendingFile::fail(const std::string& what)
{
    throw ExportError("Cannot write " + path_ + ": " + what + ": " + std::strerror(errno));
}

void PendingFile::write(std::string_view bytes)
{
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferBytes)
        flush();
}

void PendingFile::flush()
{
    for (std::size_t done = 0; done < buffer_.size();) {
        ssize_t wrote = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote == 0)
            errno = ENOSPC;
        if (wrote <= 0)
            fail("writing failed");
        done += static_cast<std::size_t>(wrote);
    }
    buffer_.clear();
}

void PendingFile::commit()
{
    flush();
    if (::fsync(fd_) != 0)
        fail("syncing failed");
    int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        fail("writing failed");
    if (overwrite_) {
        if (::rename(temporary_.c_str(), path_.c_str()) != 0)
            fail("the new file cannot be put in place");
    } else if (::link(temporary_.c_str(), path_.c_str()) == 0) {
        // A hard link puts the file in place only where none is, so one written meanwhile is never replaced.
        ::unlink(temporary_.c_str());
    } else if (errno == EEXIST) {
        throw ExportError(path_ + " has appeared meanwhile; it is replaced only when you confirm it");
    } else if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        // A file system without hard links (a memory stick's) is left the rename.
        fail("the new file cannot be put in place");
    }
    temporary_.clear();
    syncDirectory(directoryOf(path_));
}

} // namespace interchange
