#include "store/FailureKind.h"

#include <sqlite3.h>

#include <cerrno>

namespace store {

FailureKind ClassifySystemError(int error) {
    switch (error) {
        case 0:
            return FailureKind::None;
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return FailureKind::DiskFull;
        case EROFS:
            return FailureKind::ReadOnly;
        case EACCES:
        case EPERM:
            return FailureKind::NoPermission;
        case EIO:
            return FailureKind::IoError;
        case ENOENT:
        case ENOTDIR:
            return FailureKind::Missing;
        case ENOMEM:
            return FailureKind::OutOfMemory;
        case EBUSY:
        case ETXTBSY:
            return FailureKind::InUse;
        default:
            return FailureKind::Other;
    }
}

FailureKind ClassifyStoreFailure(StoreFailure failure) {
    switch (failure.sqliteCode & 0xff) {
        case SQLITE_OK:
            return ClassifySystemError(failure.systemError);
        case SQLITE_FULL:
            return FailureKind::DiskFull;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return FailureKind::InUse;
        case SQLITE_READONLY:
            return FailureKind::ReadOnly;
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return FailureKind::NoPermission;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return FailureKind::Damaged;
        case SQLITE_NOMEM:
            return FailureKind::OutOfMemory;
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN: {
            const FailureKind system = ClassifySystemError(failure.systemError);
            if (system != FailureKind::None && system != FailureKind::Other) {
                return system;
            }
            return (failure.sqliteCode & 0xff) == SQLITE_IOERR ? FailureKind::IoError : FailureKind::Other;
        }
        default:
            return FailureKind::Other;
    }
}

}  // namespace store
