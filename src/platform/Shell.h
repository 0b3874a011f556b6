#pragma once
// The few shell services the program uses: opening a document or address with
// the desktop's default handler, and silent whole-folder copy and delete.

#include <QString>
#include <functional>

// Opens a file path or an address (http:, https:, mailto:, file:). Returns
// false when nothing could open it.
bool ShellOpen(const QString& pathOrAddress);
// Tests replace the real opener to see what would have been opened; an empty
// function restores it.
void SetShellOpenHandlerForTesting(std::function<bool(const QString&)> handler);

// Copies the folder from into to (created if needed), recursively, overwriting
// files. Silent: returns false on any failure and shows nothing.
bool CopyFolder(const QString& from, const QString& to);
// Removes the folder and everything below it. Silent; false on failure.
bool DeleteFolder(const QString& path);
