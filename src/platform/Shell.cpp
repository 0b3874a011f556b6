#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {
std::function<bool(const QString&)>& OpenHandler() {
    static std::function<bool(const QString&)> handler;
    return handler;
}

QUrl ToUrl(const QString& pathOrAddress) {
    const QUrl url(pathOrAddress);
    // A Windows-style drive path parses as a URL with a one-letter scheme.
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(QFileInfo(pathOrAddress).absoluteFilePath());
}
}  // namespace

bool ShellOpen(const QString& pathOrAddress) {
    if (pathOrAddress.isEmpty())
        return false;
    if (OpenHandler())
        return OpenHandler()(pathOrAddress);
    return QDesktopServices::openUrl(ToUrl(pathOrAddress));
}

void SetShellOpenHandlerForTesting(std::function<bool(const QString&)> handler) {
    OpenHandler() = std::move(handler);
}
