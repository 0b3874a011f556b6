#pragma once
// A fresh, empty program directory for one test: a temporary folder made the
// current directory (and the recorded program directory) for the test's
// lifetime, removed afterwards. Tests never share a bicycle.db. When it goes
// it also closes the store's connection, empties the language table and puts
// the distance unit and week start back to their defaults, so no test leaves
// its settings to the next.

#include <gtest/gtest.h>
#include <QString>
#include <QTemporaryDir>

class ProgramDirectory {
public:
    ProgramDirectory();
    ~ProgramDirectory();
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;

    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString& relative) const { return m_dir.filePath(relative); }

    // Copies the shipped files of the source tree (languages/, help/,
    // htmltemplate.dat, logo.dat) into the directory.
    void InstallShippedFiles() const;
    // Removes the shipped translations (languages/vmq_01.ini ... vmq_15.ini),
    // for tests that lay out the numbered language files themselves.
    void RemoveTranslations() const;
    // Writes a file (folders made as needed); returns false on failure.
    bool WriteFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray ReadFile(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QString m_previousDirectory;
};

// Fixture form: a fresh program directory per test.
class ProgramDirectoryTest : public ::testing::Test {
protected:
    ProgramDirectory m_programDir;
};

// Path to a file of the source tree, e.g. SourcePath("languages/vmq_00.ini").
QString SourcePath(const QString& relative);
