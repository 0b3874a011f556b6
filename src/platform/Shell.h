#pragma once
// Opening a document or address with the desktop's default handler.

#include <QString>
#include <functional>

// Opens a file path or an address (http:, https:, mailto:, file:). Returns
// false when nothing could open it.
bool ShellOpen(const QString& pathOrAddress);
// Tests replace the real opener to see what would have been opened; an empty
// function restores it.
void SetShellOpenHandlerForTesting(std::function<bool(const QString&)> handler);
