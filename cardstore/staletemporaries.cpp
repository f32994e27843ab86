// Removing what writers of a card set that were cut short (killed, power lost) left beside it.
#include "filereplace.h"

#include "session.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cardstore {

namespace {

bool allOf(std::string_view text, bool (*suits)(char))
{
    for (char c : text)
        if (!suits(c))
            return false;
    return !text.empty();
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isTemplateCharacter(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether name is the temporary of a writer of the set called setName: ".NAME.new-XXXXXX" as mkstemp fills it in,
// or the journal SQLite keeps beside one while a new set is made in it. The copies made while seeding the built-in
// set were named ".NAME.seed-PID" before they were made like the others: one of those is stale once its process
// is gone.
bool isStaleTemporaryOf(std::string_view name, const std::string& setName)
{
    std::string prefix = "." + setName + ".";
    if (!name.starts_with(prefix))
        return false;
    name.remove_prefix(prefix.size());
    if (name.starts_with("new-")) {
        name.remove_prefix(4);
        if (name.ends_with("-journal"))
            name.remove_suffix(8);
        return name.size() == 6 && allOf(name, isTemplateCharacter);
    }
    if (name.starts_with("seed-") && setName == Session::kBuiltInTable) {
        name.remove_prefix(5);
        if (!allOf(name, isDigit) || name.size() > 9)
            return false;
        pid_t pid = static_cast<pid_t>(std::stol(std::string(name)));
        return pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
    }
    return false;
}

// The stale temporaries of path by name, among the regular files of this user.
std::vector<std::string> staleTemporaries(const std::string& path)
{
    std::vector<std::string> found;
    std::string setName = std::filesystem::path(path).filename().string();
    if (setName.empty())
        return found;
    int dirFd = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return found;
    DIR* directory = ::fdopendir(dirFd);
    if (!directory) {
        ::close(dirFd);
        return found;
    }
    while (const dirent* entry = ::readdir(directory)) {
        if (!isStaleTemporaryOf(entry->d_name, setName))
            continue;
        struct stat info
        {
        };
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)
            && info.st_uid == ::geteuid())
            found.push_back(directoryOf(path) + "/" + entry->d_name);
    }
    ::closedir(directory);
    return found;
}

void removeFiles(const std::vector<std::string>& paths)
{
    // One that cannot be removed (a directory we may no longer write) stays for a later try; the set itself does
    // not depend on it.
    for (const std::string& path : paths)
        ::unlink(path.c_str());
}

} // namespace

void DirectoryLock::removeStaleTemporaries(const std::string& path) const
{
    if (held_)
        removeFiles(staleTemporaries(path));
}

void removeStaleTemporaries(const std::string& path)
{
    // Listing the directory is all an open costs when nothing was left behind, the usual case.
    if (staleTemporaries(path).empty())
        return;
    if (auto lock = DirectoryLock::tryTake(path))
        lock->removeStaleTemporaries(path);
}

} // namespace cardstore
