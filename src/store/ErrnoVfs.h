#pragma once
// SQLite reports an I/O failure by its own code only: by the time the error
// reaches the store, the errno of the write that failed has been overwritten
// by the clean-up that followed, so a full disk and a broken one look alike.
// This file layer sits between SQLite and the system's and notes the errno of
// each failed open, write, truncate or sync as it happens. Installed as the
// default for every connection the program opens.

namespace store::detail {

// Installs the layer once; later calls do nothing.
void InstallErrnoVfs();

// The errno of the last failed file operation under SQLite on this thread,
// and forgets it; 0 when there was none since the last call.
int TakeLastIoErrno();

}  // namespace store::detail
