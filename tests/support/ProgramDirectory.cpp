#include "support/ProgramDirectory.h"

#include "language/Language.h"
#include "store/store.h"
#include "units/Units.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

QString SourcePath(const QString& relative) {
    return QDir(QStringLiteral(VELOMARQ_SOURCE_DIR)).filePath(relative);
}

ProgramDirectory::ProgramDirectory() : m_previousDirectory(QDir::currentPath()) {
    if (!m_dir.isValid()) {
        ADD_FAILURE() << "cannot make a temporary directory";
        return;
    }
    QDir::setCurrent(m_dir.path());
    SetProgramDirectory(m_dir.path());
}

ProgramDirectory::~ProgramDirectory() {
    DB_CloseDatabase();
    FreeLanguageTable();
    SetDistanceUnit(0);
    SetWeekStart(1);
    QDir::setCurrent(m_previousDirectory);
}

void ProgramDirectory::InstallShippedFiles() const {
    namespace fs = std::filesystem;
    const fs::path source = VELOMARQ_SOURCE_DIR;
    const fs::path target = m_dir.path().toStdString();
    const auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    fs::create_directories(target / "languages");
    for (const auto& entry : fs::directory_iterator(source / "languages")) {
        if (entry.path().extension() == ".ini") {
            fs::copy_file(entry.path(), target / "languages" / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
        }
    }
    fs::copy(source / "dist" / "help", target / "help", options);
    fs::copy_file(source / "dist" / "htmltemplate.dat", target / "htmltemplate.dat",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(source / "dist" / "logo.dat", target / "logo.dat", fs::copy_options::overwrite_existing);
}

void ProgramDirectory::RemoveTranslations() const {
    for (int n = 1; n < 16; ++n) {
        QFile::remove(m_dir.filePath(QStringLiteral("languages/vmq_%1.ini").arg(n, 2, 10, QLatin1Char('0'))));
    }
}

bool ProgramDirectory::WriteFile(const QString& relative, const QByteArray& bytes) const {
    const QString path = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(bytes) == bytes.size();
}

QByteArray ProgramDirectory::ReadFile(const QString& relative) const {
    QFile file(m_dir.filePath(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}
