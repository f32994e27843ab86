#include "failingvfs.h"

#include <sqlite3.h>

#include <cstring>

namespace testsupport {

namespace {

sqlite3_vfs* gBase = nullptr;
sqlite3_vfs gShim;
int gFailAt = 0;
int gWrites = 0;
bool gFailed = false;

struct ShimFile
{
    sqlite3_file base; // must be first: SQLite sees this as the file
    sqlite3_file* real;
};

sqlite3_io_methods gMethods;

sqlite3_file* realOf(sqlite3_file* file)
{
    return reinterpret_cast<ShimFile*>(file)->real;
}

int shimClose(sqlite3_file* file)
{
    sqlite3_file* real = realOf(file);
    int rc = real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
    sqlite3_free(real);
    return rc;
}
int shimRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
{
    return realOf(f)->pMethods->xRead(realOf(f), buffer, amount, offset);
}
int shimWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
{
    ++gWrites;
    if (gFailAt > 0 && gWrites >= gFailAt) {
        gFailed = true;
        return SQLITE_IOERR_WRITE;
    }
    return realOf(f)->pMethods->xWrite(realOf(f), buffer, amount, offset);
}
int shimTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int shimSync(sqlite3_file* f, int flags)
{
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}
int shimFileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int shimLock(sqlite3_file* f, int level)
{
    return realOf(f)->pMethods->xLock(realOf(f), level);
}
int shimUnlock(sqlite3_file* f, int level)
{
    return realOf(f)->pMethods->xUnlock(realOf(f), level);
}
int shimCheckReservedLock(sqlite3_file* f, int* out)
{
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int shimFileControl(sqlite3_file* f, int op, void* arg)
{
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int shimSectorSize(sqlite3_file* f)
{
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int shimDeviceCharacteristics(sqlite3_file* f)
{
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}

int shimOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->real = static_cast<sqlite3_file*>(sqlite3_malloc(gBase->szOsFile));
    if (!shim->real)
        return SQLITE_NOMEM;
    std::memset(shim->real, 0, static_cast<std::size_t>(gBase->szOsFile));
    int rc = gBase->xOpen(gBase, name, shim->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        sqlite3_free(shim->real);
        shim->real = nullptr;
        file->pMethods = nullptr;
        return rc;
    }
    file->pMethods = &gMethods;
    return SQLITE_OK;
}
int shimDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    return gBase->xDelete(gBase, name, syncDir);
}
int shimAccess(sqlite3_vfs*, const char* name, int flags, int* out)
{
    return gBase->xAccess(gBase, name, flags, out);
}
int shimFullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return gBase->xFullPathname(gBase, name, size, out);
}
int shimRandomness(sqlite3_vfs*, int size, char* out)
{
    return gBase->xRandomness(gBase, size, out);
}
int shimSleep(sqlite3_vfs*, int micros)
{
    return gBase->xSleep(gBase, micros);
}
int shimCurrentTime(sqlite3_vfs*, double* out)
{
    return gBase->xCurrentTime(gBase, out);
}
int shimGetLastError(sqlite3_vfs*, int size, char* out)
{
    return gBase->xGetLastError ? gBase->xGetLastError(gBase, size, out) : 0;
}
int shimCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out)
{
    return gBase->xCurrentTimeInt64(gBase, out);
}

} // namespace

FailingVfs::FailingVfs(int failAtWrite)
{
    sqlite3_initialize();
    gBase = sqlite3_vfs_find(nullptr);
    std::memset(&gMethods, 0, sizeof gMethods);
    gMethods.iVersion = 1;
    gMethods.xClose = shimClose;
    gMethods.xRead = shimRead;
    gMethods.xWrite = shimWrite;
    gMethods.xTruncate = shimTruncate;
    gMethods.xSync = shimSync;
    gMethods.xFileSize = shimFileSize;
    gMethods.xLock = shimLock;
    gMethods.xUnlock = shimUnlock;
    gMethods.xCheckReservedLock = shimCheckReservedLock;
    gMethods.xFileControl = shimFileControl;
    gMethods.xSectorSize = shimSectorSize;
    gMethods.xDeviceCharacteristics = shimDeviceCharacteristics;
    std::memset(&gShim, 0, sizeof gShim);
    gShim.iVersion = 2;
    gShim.szOsFile = sizeof(ShimFile);
    gShim.mxPathname = gBase->mxPathname;
    gShim.zName = "karte-failing-vfs";
    gShim.xOpen = shimOpen;
    gShim.xDelete = shimDelete;
    gShim.xAccess = shimAccess;
    gShim.xFullPathname = shimFullPathname;
    gShim.xRandomness = shimRandomness;
    gShim.xSleep = shimSleep;
    gShim.xCurrentTime = shimCurrentTime;
    gShim.xGetLastError = shimGetLastError;
    gShim.xCurrentTimeInt64 = shimCurrentTimeInt64;
    gFailAt = failAtWrite;
    gWrites = 0;
    gFailed = false;
    sqlite3_vfs_register(&gShim, 1);
}

FailingVfs::~FailingVfs()
{
    sqlite3_vfs_unregister(&gShim);
    sqlite3_vfs_register(gBase, 1);
}

void FailingVfs::failAt(int write)
{
    gFailAt = write;
    gWrites = 0;
    gFailed = false;
}

int FailingVfs::writes() const
{
    return gWrites;
}

bool FailingVfs::failed() const
{
    return gFailed;
}

} // namespace testsupport
