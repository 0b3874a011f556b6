#pragma once
// Our stand-in for the Windows private-profile reader, used for the language
// files. It answers the same three questions the profile API answers (the
// section names, the key names of a section, one value) with the same buffer
// limits, so a language file reads here as it would read there:
//
// - text: UTF-8 with or without a byte-order mark, UTF-16LE or UTF-16BE with
//   one, or without one when the file holds zero bytes (which 8-bit text
//   never does; where they fall tells the byte order); bytes that are not
//   valid UTF-8 (and have no mark) are read as Latin-1, our nearest match for
//   the old 8-bit code-page files;
// - "[Name]" starts a section; the name is what stands between "[" and the
//   last "]", compared exactly (with case);
// - "key=value" lines: spaces and tabs around key and value are dropped, a
//   value in matching double quotes loses the quotes;
// - lines starting with ";" are comments; lines without "=" and lines before
//   the first section are ignored;
// - a section name that repeats shows up twice in the name list, but keys and
//   values always come from its first block; a repeated key lists twice and
//   reads as its first value.
//
// Limits are in UTF-16 characters and, like the profile buffers, include the
// terminating zeros: a name list holds each name plus one zero and a final
// zero; a value read with room for N characters holds at most N - 1.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class IniFile {
public:
    IniFile() = default;

    // A missing or unreadable file reads as an empty one, as it does for the
    // profile reader: no sections, no keys, empty values.
    static IniFile Read(const QString& path);
    static IniFile Parse(const QByteArray& bytes);

    // Section names in file order, within a buffer of bufferChars characters;
    // the last name that does not fit whole is cut, the ones after it are missing.
    QStringList SectionNames(int bufferChars) const;
    // Key names of the first section called section, in file order, same limit rule.
    QStringList KeyNames(const QString& section, int bufferChars) const;
    // The first value of key in the first section called section, or an empty
    // text; cut to bufferChars - 1 characters.
    QString Value(const QString& section, const QString& key, int bufferChars) const;

private:
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> entries;  // key, value (quotes still on)
    };

    const Section* FindSection(const QString& name) const;

    std::vector<Section> m_sections;
};

// Decodes the bytes of a text file by its byte-order mark (see above).
QString DecodeIniText(const QByteArray& bytes);
