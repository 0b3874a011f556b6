#pragma once
// Why an operation on the log failed, in the few kinds a rider can act on:
// free some space, close the other program, pick a folder that can be written.
// SQLite's result codes and the system's errno values both map onto them, so
// the store and the file operations report their failures the same way.

#include "store/store.h"

namespace store {

enum class FailureKind {
    None,          // nothing is known beyond the failure itself
    DiskFull,      // no space left, or a file size limit reached
    InUse,         // another program holds the database
    ReadOnly,      // the disk or the file is read-only
    NoPermission,  // the system refuses access
    IoError,       // the disk reported an error
    Damaged,       // the file is damaged or no database
    Missing,       // the file or folder does not exist
    OutOfMemory,
    Other,  // known, but none of the above: its words are the system's or SQLite's
};

// The kind of an errno value; None for 0.
FailureKind ClassifySystemError(int error);
// The kind of a store failure: the system error under an I/O failure first
// (a full disk shows as an I/O error when not a single byte could be written),
// then SQLite's result code.
FailureKind ClassifyStoreFailure(StoreFailure failure);

}  // namespace store
