#include "session.h"

#include "definitions.h"
#include "errors.h"
#include "filereplace.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace cardstore {

namespace fs = std::filesystem;

namespace {

std::string executableDirectory()
{
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::string readWholeFile(const std::string& path)
{
    std::string bytes;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    for (char buffer[65536]; fd >= 0;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            int error = errno;
            ::close(fd);
            if (got == 0)
                return bytes;
            errno = error;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    throw DatabaseError::fromStatus(status::kIoError, { std::strerror(errno), "File: " + path });
}

// Failures of the file system are the engine's errors, naming the path and the system's reason.
[[noreturn]] void raiseFileSystemError(int error, const std::string& where)
{
    throw DatabaseError::fromStatus(status::kNoAccess, { std::strerror(error), where });
}

// Whether there is a file of the given type at path, following links: false when there is nothing, or a file of
// another type; the engine's error when the system cannot tell (a loop of links, a folder that may not be
// searched).
bool fileOfTypeAt(const std::string& path, mode_t type)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) == 0)
        return type == 0 || (info.st_mode & S_IFMT) == type;
    if (errno == ENOENT || errno == ENOTDIR)
        return false;
    raiseFileSystemError(errno, "File: " + path);
}

bool anyFileAt(const std::string& path)
{
    return fileOfTypeAt(path, 0);
}

void wipe(std::string& secret)
{
    volatile char* bytes = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i)
        bytes[i] = 0;
    secret.clear();
}

} // namespace

Session& Session::instance()
{
    static Session session;
    return session;
}

std::string Session::userDataDirectory()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (dataHome && dataHome[0] == '/') {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home && *home ? home : "/tmp") / ".local" / "share";
    }
    return (base / "karte32").string();
}

std::string Session::aliasDirectory(const std::string& alias)
{
    if (alias.empty()) {
        std::error_code error;
        fs::path workingDirectory = fs::current_path(error);
        if (error)
            raiseFileSystemError(error.value(), "Directory: the working directory");
        return workingDirectory.string();
    }
    if (alias.front() == '/') {
        if (!fileOfTypeAt(alias, S_IFDIR))
            throw DatabaseError::fromStatus(status::kUnknownDatabase, { "Alias: " + alias });
        return alias;
    }
    if (!sameName(alias, kBuiltInAlias))
        throw DatabaseError::fromStatus(status::kUnknownDatabase, { "Alias: " + alias });
    std::string directory = userDataDirectory();
    std::error_code error;
    fs::create_directories(directory, error);
    if (error)
        throw DatabaseError::fromStatus(status::kNoAccess, { error.message(), "Directory: " + directory });
    seedBuiltInSet(directory);
    return directory;
}

void Session::seedBuiltInSet(const std::string& directory)
{
    if (anyFileAt(findFileIgnoringCase(directory, kBuiltInTable)))
        return;
    for (const std::string& source : pristineDirectories()) {
        std::string pristine = (fs::path(source) / kBuiltInTable).string();
        if (!fileOfTypeAt(pristine, S_IFREG))
            continue;
        std::string bytes = readWholeFile(pristine);
        std::string target = (fs::path(directory) / kBuiltInTable).string();
        // Another instance may be seeding too: under the lock its copy is either in place or not begun.
        DirectoryLock lock(target);
        lock.removeStaleTemporaries(target);
        if (anyFileAt(findFileIgnoringCase(directory, kBuiltInTable)))
            return;
        // Written whole under a temporary name and renamed, so a half-written copy is never taken for the set.
        replaceFile(target, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), newFileMode(),
            ModeTiming::BeforeRename);
        return;
    }
}

void Session::setPristineDirectories(std::vector<std::string> directories)
{
    pristineDirectories_ = std::move(directories);
}

std::vector<std::string> Session::pristineDirectories() const
{
    if (!pristineDirectories_.empty())
        return pristineDirectories_;
    std::string exeDir = executableDirectory();
    if (exeDir.empty())
        return {};
    return { exeDir, (fs::path(exeDir).parent_path() / "share" / "karte").string() };
}

bool Session::isBuiltInSet(const std::string& path) const
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return false;
    std::vector<std::string> copies { findFileIgnoringCase(userDataDirectory(), kBuiltInTable) };
    for (const std::string& directory : pristineDirectories())
        copies.push_back((fs::path(directory) / kBuiltInTable).string());
    for (const std::string& copy : copies) {
        struct stat other
        {
        };
        if (::stat(copy.c_str(), &other) == 0 && other.st_dev == info.st_dev && other.st_ino == info.st_ino)
            return true;
    }
    return false;
}

void Session::addPassword(const std::string& password)
{
    if (password.empty())
        throw DatabaseError::fromStatus(status::kInvalidPassword);
    if (std::find(passwords_.begin(), passwords_.end(), password) == passwords_.end())
        passwords_.push_back(password);
}

void Session::removePassword(const std::string& password)
{
    auto found = std::find(passwords_.begin(), passwords_.end(), password);
    if (found != passwords_.end()) {
        wipe(*found);
        passwords_.erase(found);
    }
}

void Session::removeAllPasswords()
{
    for (std::string& password : passwords_)
        wipe(password);
    passwords_.clear();
}

std::string findFileIgnoringCase(const std::string& directory, const std::string& name)
{
    std::string exact = (fs::path(directory) / name).string();
    // Anything but a plain absence (a loop of links, a folder that may not be searched) is for the open of the
    // exact name to report.
    struct stat info
    {
    };
    if (::stat(exact.c_str(), &info) == 0 || errno != ENOENT)
        return exact;
    std::string match;
    int matches = 0;
    std::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error)) {
        if (sameName(entry->path().filename().string(), name)) {
            match = entry->path().string();
            ++matches;
        }
    }
    return matches == 1 && !error ? match : exact;
}

} // namespace cardstore
