#pragma once
// The language table: every text the user sees is looked up here by section
// and key. A language file is read once, whole; lookups never touch the file.
//
// Always call the lookups with literal section and key names, e.g.
//   GetLanguageString("MainDlg", "MYBS")
// (or build a LanguageKey{"Strings", "SUNDS"} for tables of keys, or to choose
// between keys): a test scans the sources for these forms, checks that
// languages/vmq_00.ini has each key, and fails on a lookup by section and key
// that names either any other way.

#include <QList>
#include <QString>
#include <QStringList>

struct LanguageKey {
    const char* section;
    const char* key;
};

// Reads the file into the table. 0 on success, 255 on any failure (missing or
// unreadable file, no sections, a section without keys, a key with an empty
// value). A failure leaves what was already built in the table.
int LoadLanguageFile(const QString& path);

// Empties the table. Safe on an empty table.
void FreeLanguageTable();

// Owns the language table for a stretch of the program: the table is emptied
// when it goes, after everything made later that may still look texts up.
class LanguageTableSession {
public:
    LanguageTableSession() = default;
    ~LanguageTableSession() { FreeLanguageTable(); }
    LanguageTableSession(const LanguageTableSession&) = delete;
    LanguageTableSession& operator=(const LanguageTableSession&) = delete;
};

// The value of key in section, or "<NULL>" when either is absent.
QString GetLanguageString(const QString& section, const QString& key);
QString GetLanguageString(const LanguageKey& key);

// Field labels: the value followed by ":".
QString GetLanguageStringWithColon(const QString& section, const QString& key);

// Buttons: the value followed by the accelerator letter, "Save" + "S" -> "Save(&S)".
QString GetLanguageStringWithAccelerator(const QString& section, const QString& key, const QString& letter);

// The display names (CommonInfo/Language, at most 126 characters) of
// languages/vmq_00.ini to vmq_15.ini under programDirectory, in number order,
// skipping files that are missing or have no name. Read straight from the
// files; the table is not touched.
QStringList GetLanguageDisplayNames(const QString& programDirectory);

// The same list with the file number of each name. Positions and file numbers
// agree only while the files are numbered without gaps from 00; this lets a
// caller that needs the file behind a choice find it anyway.
struct LanguageChoice {
    int number;
    QString name;
};
QList<LanguageChoice> GetLanguageChoices(const QString& programDirectory);

// Path of language file number n under the program directory: languages/vmq_NN.ini.
QString LanguageFilePath(const QString& programDirectory, int number);
