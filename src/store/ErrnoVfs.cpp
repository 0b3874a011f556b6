#include "store/ErrnoVfs.h"

#include <sqlite3.h>

#include <cerrno>
#include <mutex>

namespace store::detail {
namespace {

thread_local int t_lastIoErrno = 0;

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs = {};

// The layer's file: its own header followed by the real file of the VFS
// below, which SQLite allocates together (szOsFile covers both).
struct LayerFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<LayerFile*>(file)->real;
}

// Notes errno when the operation failed. Read at once: nothing of SQLite's
// has run since the system call that set it.
int Noted(int result) {
    if ((result & 0xff) != SQLITE_OK) {
        t_lastIoErrno = errno;
    }
    return result;
}

int Close(sqlite3_file* file) {
    return Real(file)->pMethods->xClose(Real(file));
}
int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    // A short read past the end is how SQLite finds the file's end; not a failure.
    return Real(file)->pMethods->xRead(Real(file), buffer, amount, offset);
}
int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    return Noted(Real(file)->pMethods->xWrite(Real(file), buffer, amount, offset));
}
int Truncate(sqlite3_file* file, sqlite3_int64 size) {
    return Noted(Real(file)->pMethods->xTruncate(Real(file), size));
}
int Sync(sqlite3_file* file, int flags) {
    return Noted(Real(file)->pMethods->xSync(Real(file), flags));
}
int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    return Real(file)->pMethods->xFileSize(Real(file), size);
}
int Lock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xLock(Real(file), level);
}
int Unlock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xUnlock(Real(file), level);
}
int CheckReservedLock(sqlite3_file* file, int* result) {
    return Real(file)->pMethods->xCheckReservedLock(Real(file), result);
}
int FileControl(sqlite3_file* file, int op, void* argument) {
    return Real(file)->pMethods->xFileControl(Real(file), op, argument);
}
int SectorSize(sqlite3_file* file) {
    return Real(file)->pMethods->xSectorSize(Real(file));
}
int DeviceCharacteristics(sqlite3_file* file) {
    return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}
int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory) {
    return Real(file)->pMethods->xShmMap(Real(file), region, size, extend, memory);
}
int ShmLock(sqlite3_file* file, int offset, int count, int flags) {
    return Real(file)->pMethods->xShmLock(Real(file), offset, count, flags);
}
void ShmBarrier(sqlite3_file* file) {
    Real(file)->pMethods->xShmBarrier(Real(file));
}
int ShmUnmap(sqlite3_file* file, int deleteFlag) {
    return Real(file)->pMethods->xShmUnmap(Real(file), deleteFlag);
}
int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** pages) {
    return Real(file)->pMethods->xFetch(Real(file), offset, amount, pages);
}
int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
    return Real(file)->pMethods->xUnfetch(Real(file), offset, page);
}

// One table per version of the real file's methods, so that SQLite never
// calls a method the real file does not have.
sqlite3_io_methods MethodsOfVersion(int version) {
    sqlite3_io_methods methods = {};
    methods.iVersion = version;
    methods.xClose = Close;
    methods.xRead = Read;
    methods.xWrite = Write;
    methods.xTruncate = Truncate;
    methods.xSync = Sync;
    methods.xFileSize = FileSize;
    methods.xLock = Lock;
    methods.xUnlock = Unlock;
    methods.xCheckReservedLock = CheckReservedLock;
    methods.xFileControl = FileControl;
    methods.xSectorSize = SectorSize;
    methods.xDeviceCharacteristics = DeviceCharacteristics;
    if (version >= 2) {
        methods.xShmMap = ShmMap;
        methods.xShmLock = ShmLock;
        methods.xShmBarrier = ShmBarrier;
        methods.xShmUnmap = ShmUnmap;
    }
    if (version >= 3) {
        methods.xFetch = Fetch;
        methods.xUnfetch = Unfetch;
    }
    return methods;
}

const sqlite3_io_methods* MethodsFor(int version) {
    static const sqlite3_io_methods kVersions[] = {MethodsOfVersion(1), MethodsOfVersion(2),
                                                   MethodsOfVersion(3)};
    return &kVersions[version < 1 ? 0 : version > 3 ? 2 : version - 1];
}

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* layer = reinterpret_cast<LayerFile*>(file);
    layer->real = reinterpret_cast<sqlite3_file*>(layer + 1);
    layer->base.pMethods = nullptr;
    const int result = Noted(g_real->xOpen(g_real, name, layer->real, flags, outFlags));
    if (layer->real->pMethods) {
        // Even a failed open may leave a file SQLite will close.
        layer->base.pMethods = MethodsFor(layer->real->pMethods->iVersion);
    }
    return result;
}

int Delete(sqlite3_vfs*, const char* name, int syncDirectory) {
    return g_real->xDelete(g_real, name, syncDirectory);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* result) {
    return g_real->xAccess(g_real, name, flags, result);
}
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return g_real->xFullPathname(g_real, name, size, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) {
    return g_real->xDlOpen(g_real, name);
}
void DlError(sqlite3_vfs*, int size, char* out) {
    g_real->xDlError(g_real, size, out);
}
void (*DlSym(sqlite3_vfs*, void* library, const char* symbol))(void) {
    return g_real->xDlSym(g_real, library, symbol);
}
void DlClose(sqlite3_vfs*, void* library) {
    g_real->xDlClose(g_real, library);
}
int Randomness(sqlite3_vfs*, int size, char* out) {
    return g_real->xRandomness(g_real, size, out);
}
int Sleep(sqlite3_vfs*, int microseconds) {
    return g_real->xSleep(g_real, microseconds);
}
int CurrentTime(sqlite3_vfs*, double* now) {
    return g_real->xCurrentTime(g_real, now);
}
int GetLastError(sqlite3_vfs*, int size, char* out) {
    return g_real->xGetLastError(g_real, size, out);
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    return g_real->xCurrentTimeInt64(g_real, now);
}

}  // namespace

void InstallErrnoVfs() {
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
        if (!real || real->iVersion < 2) {
            return;  // nothing this layer knows how to sit on: SQLite works as it is
        }
        g_real = real;
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = static_cast<int>(sizeof(LayerFile)) + real->szOsFile;
        g_vfs.mxPathname = real->mxPathname;
        g_vfs.zName = "velomarq";
        g_vfs.xOpen = Open;
        g_vfs.xDelete = Delete;
        g_vfs.xAccess = Access;
        g_vfs.xFullPathname = FullPathname;
        g_vfs.xDlOpen = DlOpen;
        g_vfs.xDlError = DlError;
        g_vfs.xDlSym = DlSym;
        g_vfs.xDlClose = DlClose;
        g_vfs.xRandomness = Randomness;
        g_vfs.xSleep = Sleep;
        g_vfs.xCurrentTime = CurrentTime;
        g_vfs.xGetLastError = GetLastError;
        g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
        sqlite3_vfs_register(&g_vfs, 1);
    });
}

int TakeLastIoErrno() {
    const int error = t_lastIoErrno;
    t_lastIoErrno = 0;
    return error;
}

}  // namespace store::detail
