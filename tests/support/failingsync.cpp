#include "failingsync.h"

#include <cerrno>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

namespace {

bool gArmed = false;
int gFailAt = 0;
int gSyncs = 0;
bool gFailed = false;
bool gFailedOnFolder = false;

// -1 with EIO when this is the sync to fail; otherwise 0 and the real call is to be made.
int counted(int fd)
{
    if (!gArmed)
        return 0;
    ++gSyncs;
    if (gFailAt <= 0 || gSyncs != gFailAt)
        return 0;
    struct stat info
    {
    };
    gFailed = true;
    gFailedOnFolder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    errno = EIO;
    return -1;
}

} // namespace

FailingSync::FailingSync(int failAtSync)
{
    failAt(failAtSync);
    gArmed = true;
}

FailingSync::~FailingSync()
{
    gArmed = false;
}

void FailingSync::failAt(int sync)
{
    gFailAt = sync;
    gSyncs = 0;
    gFailed = false;
    gFailedOnFolder = false;
}

int FailingSync::syncs() const
{
    return gSyncs;
}

bool FailingSync::failed() const
{
    return gFailed;
}

bool FailingSync::failedOnFolder() const
{
    return gFailedOnFolder;
}

} // namespace testsupport

extern "C" int fsync(int fd)
{
    if (testsupport::counted(fd) != 0)
        return -1;
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd)
{
    if (testsupport::counted(fd) != 0)
        return -1;
    return static_cast<int>(::syscall(SYS_fdatasync, fd));
}
