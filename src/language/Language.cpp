#include "language/Language.h"

#include "language/IniReader.h"

#include <vector>

namespace {

constexpr int kLoadFailed = 255;
// Buffer sizes of the profile reads, in characters with their terminators.
constexpr int kNameListChars = 2047;
constexpr int kValueChars = 511;        // values hold at most 510 characters
constexpr int kDisplayNameChars = 127;  // display names hold at most 126
// The caption forms build into a 1024-character buffer, terminator included.
constexpr qsizetype kCaptionChars = 1023;
constexpr int kLanguageSlots = 16;

const QString kMissingText = QStringLiteral("<NULL>");

struct KeyEntry {
    QString name;
    QString value;
};

struct SectionEntry {
    QString name;
    std::vector<KeyEntry> keys;  // reverse of file order, like the sections
};

// The process's table. Sections are kept in lookup order: each load puts the
// sections of its file in front, last section of the file first, and a lookup
// takes the first entry whose name matches. A repeated section name therefore
// finds the entry of its last block, whose keys (read by name) are those of
// its first block.
std::vector<SectionEntry>& Table() {
    static std::vector<SectionEntry> table;
    return table;
}

QString CutCaption(QString text) {
    if (text.size() > kCaptionChars) {
        qsizetype length = kCaptionChars;
        if (text[length - 1].isHighSurrogate()) {
            --length;
        }
        text.truncate(length);
    }
    return text;
}

}  // namespace

int LoadLanguageFile(const QString& path) {
    if (path.isEmpty()) {
        return kLoadFailed;
    }
    const IniFile ini = IniFile::Read(path);
    const QStringList sectionNames = ini.SectionNames(kNameListChars);
    if (sectionNames.isEmpty()) {
        return kLoadFailed;
    }

    // Every section goes into the table before any key is read, so a failure
    // further down leaves all of them (and the keys finished so far) behind;
    // callers free the table before loading again.
    std::vector<SectionEntry>& table = Table();
    std::vector<SectionEntry> fresh;
    fresh.reserve(sectionNames.size());
    for (auto it = sectionNames.crbegin(); it != sectionNames.crend(); ++it) {
        fresh.push_back({*it, {}});
    }
    table.insert(table.begin(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));

    for (qsizetype i = 0; i < sectionNames.size(); ++i) {
        SectionEntry& section = table[static_cast<size_t>(i)];
        const QStringList keyNames = ini.KeyNames(section.name, kNameListChars);
        if (keyNames.isEmpty()) {
            return kLoadFailed;
        }
        std::vector<KeyEntry> keys;
        keys.reserve(static_cast<size_t>(keyNames.size()));
        for (const QString& keyName : keyNames) {
            QString value = ini.Value(section.name, keyName, kValueChars);
            if (value.isEmpty()) {
                return kLoadFailed;
            }
            keys.push_back({keyName, std::move(value)});
        }
        section.keys.assign(std::make_move_iterator(keys.rbegin()), std::make_move_iterator(keys.rend()));
    }
    return 0;
}

void FreeLanguageTable() {
    std::vector<SectionEntry>().swap(Table());
}

QString GetLanguageString(const QString& section, const QString& key) {
    for (const SectionEntry& entry : Table()) {
        if (entry.name != section) {
            continue;
        }
        for (const KeyEntry& keyEntry : entry.keys) {
            if (keyEntry.name == key) {
                return keyEntry.value;
            }
        }
        // Only the first section of that name is searched.
        return kMissingText;
    }
    return kMissingText;
}

QString GetLanguageString(const LanguageKey& key) {
    return GetLanguageString(QString::fromLatin1(key.section), QString::fromLatin1(key.key));
}

QString GetLanguageStringWithColon(const QString& section, const QString& key) {
    return CutCaption(GetLanguageString(section, key) + u':');
}

QString GetLanguageStringWithAccelerator(const QString& section, const QString& key, const QString& letter) {
    return CutCaption(GetLanguageString(section, key) + QStringLiteral("(&") + letter + u')');
}

QString LanguageFilePath(const QString& programDirectory, int number) {
    return programDirectory + QStringLiteral("/languages/vmq_%1.ini").arg(number, 2, 10, QChar(u'0'));
}

QList<LanguageChoice> GetLanguageChoices(const QString& programDirectory) {
    QList<LanguageChoice> choices;
    for (int number = 0; number < kLanguageSlots; ++number) {
        const IniFile ini = IniFile::Read(LanguageFilePath(programDirectory, number));
        const QString name =
            ini.Value(QStringLiteral("CommonInfo"), QStringLiteral("Language"), kDisplayNameChars);
        if (!name.isEmpty()) {
            choices.append({number, name});
        }
    }
    return choices;
}

QStringList GetLanguageDisplayNames(const QString& programDirectory) {
    QStringList names;
    for (const LanguageChoice& choice : GetLanguageChoices(programDirectory)) {
        names.append(choice.name);
    }
    return names;
}
