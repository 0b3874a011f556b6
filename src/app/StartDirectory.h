#pragma once
// Which folder Velomarq runs in. The program works in its current directory,
// the program directory, where the shipped files (languages, help, memo
// template, report logo) sit beside the rider's data. Run from a build tree it
// uses the directory it was started in, which `make run` lays out. An
// installed copy cannot write beside its executable, so it runs in the rider's
// data home instead and keeps the shipped files there up to date from the
// installed ones. A folder named on the command line wins over both.

#include <QString>
#include <QStringList>

struct StartDirectory {
    // Absolute; becomes the current directory before the main window starts.
    QString programDirectory;
    // The installed shipped files to refresh the program directory from;
    // empty when the program does not run from an installed location.
    QString sharedFiles;
    // Set when the command line cannot be used. English: no language table
    // is loaded yet.
    QString error;
};

// The installed shipped files next to an executable: the folder at
// relativePath from executableDirectory when it holds the default language
// file, otherwise empty (the program runs from a build tree).
QString FindSharedFiles(const QString& executableDirectory, const QString& relativePath);

// The base folder for the rider's data: $XDG_DATA_HOME when that is an
// absolute path (a relative one is to be ignored), else ~/.local/share.
QString UserDataHome(const QString& xdgDataHome, const QString& home);

// arguments: the command line without the program's own name, after Qt took
// out the options it knows. Relative folders are taken from currentDirectory.
StartDirectory ChooseStartDirectory(const QStringList& arguments, const QString& sharedFiles,
                                    const QString& userDataHome, const QString& currentDirectory);

// Makes the program directory when it is missing and copies every shipped file
// that is missing there or older than the installed one. A copy keeps the
// installed file's time, so it is copied again only when an update brings a
// newer one, and a file the rider changed since stays as it is. The rider's
// bicycle.db, Rides and Maintenance are never touched. False, with an English
// text in error, when the folder cannot be made or a file cannot be copied.
[[nodiscard]] bool PrepareStartDirectory(const StartDirectory& start, QString* error);
