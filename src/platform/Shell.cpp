#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace {
std::function<bool(const QString&)>& OpenHandler() {
    static std::function<bool(const QString&)> handler;
    return handler;
}

QUrl ToUrl(const QString& pathOrAddress) {
    const QUrl url(pathOrAddress);
    // A Windows-style drive path parses as a URL with a one-letter scheme.
    if (url.isValid() && url.scheme().size() > 1) return url;
    return QUrl::fromLocalFile(QFileInfo(pathOrAddress).absoluteFilePath());
}
}  // namespace

bool ShellOpen(const QString& pathOrAddress) {
    if (pathOrAddress.isEmpty()) return false;
    if (OpenHandler()) return OpenHandler()(pathOrAddress);
    return QDesktopServices::openUrl(ToUrl(pathOrAddress));
}

void SetShellOpenHandlerForTesting(std::function<bool(const QString&)> handler) {
    OpenHandler() = std::move(handler);
}

bool CopyFolder(const QString& from, const QString& to) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path source = from.toStdString();
    if (!fs::is_directory(source, error)) return false;
    fs::create_directories(to.toStdString(), error);
    if (error) return false;
    fs::copy(source, to.toStdString(), fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    return !error;
}

bool DeleteFolder(const QString& path) {
    if (path.isEmpty()) return false;
    std::error_code error;
    std::filesystem::remove_all(path.toStdString(), error);
    return !error;
}
