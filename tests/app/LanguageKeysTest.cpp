// Every (section, key) the program looks up must be in the English language
// file, which every other translation starts from. The sources are scanned for
// the literal lookups; a key added to the code without its text fails here.

#include "language/Language.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>
#include <set>
#include <vector>

namespace {
using KeyRef = std::pair<QString, QString>;

// The arguments of the call whose "(" is at open, split at its own commas.
QStringList CallArguments(const QString& text, qsizetype open) {
    QStringList arguments;
    QString current;
    int depth = 0;
    bool quoted = false;
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            quoted = c != u'"' || text[i - 1] == u'\\';
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'(' || c == u'{' || c == u'[') {
            ++depth;
        } else if (c == u')' || c == u'}' || c == u']') {
            if (depth-- == 0) {
                break;
            }
        } else if (c == u',' && depth == 0) {
            arguments << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    arguments << current.trimmed();
    return arguments;
}

struct Lookups {
    std::set<KeyRef> keys;
    // Lookups by section and key that name either other than literally,
    // where the scan cannot see the key: "file: call".
    QStringList hidden;
};

Lookups ScanLookups(int* filesScanned) {
    static const QRegularExpression lookup(QString::fromLatin1(
        R"re((?:GetLanguageString(?:WithColon|WithAccelerator)?\s*\(|LanguageKey\s*\{)\s*"([^"]+)"\s*,\s*"([^"]+)")re"));
    static const QRegularExpression call(
        QStringLiteral(R"(GetLanguageString(?:WithColon|WithAccelerator)?\s*\()"));
    static const QRegularExpression literal(QStringLiteral(R"(^"[^"]+"$)"));
    Lookups found;
    const QString languageFolder = SourcePath(QStringLiteral("src/language/"));
    QDirIterator files(SourcePath(QStringLiteral("src")), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        ++*filesScanned;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = lookup.globalMatch(text); match.hasNext();) {
            const auto m = match.next();
            found.keys.emplace(m.captured(1), m.captured(2));
        }
        // The lookups themselves pass their names on.
        if (path.startsWith(languageFolder))
            continue;
        for (auto match = call.globalMatch(text); match.hasNext();) {
            const auto m = match.next();
            const QStringList arguments = CallArguments(text, m.capturedEnd() - 1);
            if (arguments.size() >= 2 &&
                !(literal.match(arguments[0]).hasMatch() && literal.match(arguments[1]).hasMatch())) {
                found.hidden << QFileInfo(path).fileName() + QStringLiteral(": ") + m.captured() +
                                    arguments.join(QStringLiteral(", ")) + u')';
            }
        }
    }
    return found;
}

// The values of an INI file by (section, key), as the reader trims them.
std::map<KeyRef, QString> ValuesOf(const QString& path) {
    std::map<KeyRef, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    QString section;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
        } else if (const int eq = line.indexOf(QLatin1Char('='));
                   eq > 0 && !line.startsWith(QLatin1Char(';'))) {
            values.emplace(KeyRef{section, line.left(eq).trimmed()}, line.mid(eq + 1).trimmed());
        }
    }
    return values;
}

// The (section, key) pairs of an INI file in file order.
std::vector<KeyRef> KeysInOrder(const QString& path) {
    std::vector<KeyRef> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    QString section;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
        } else if (const int eq = line.indexOf(QLatin1Char('='));
                   eq > 0 && !line.startsWith(QLatin1Char(';'))) {
            keys.emplace_back(section, line.left(eq).trimmed());
        }
    }
    return keys;
}

// The accelerator letters of a caption: each "&x" but "&&", which shows "&".
QString AcceleratorLetters(const QString& text) {
    QString letters;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'&') {
            if (text[i + 1] != u'&')
                letters += text[i + 1].toUpper();
            ++i;
        }
    }
    return letters;
}

// The shipped translations vmq_01.ini ... vmq_15.ini that exist.
QStringList TranslationPaths() {
    QStringList paths;
    for (int n = 1; n < 16; ++n) {
        const QString path =
            SourcePath(QStringLiteral("languages/vmq_%1.ini").arg(n, 2, 10, QLatin1Char('0')));
        if (QFile::exists(path))
            paths << path;
    }
    return paths;
}

// Every "%" piece of a text as the formatter cuts it (flags, width, precision,
// length, then one character), so a stray "%" counts too: "50 % de" holds "% d".
std::string Conversions(const QString& text) {
    static const QRegularExpression piece(QStringLiteral(R"(%[-+ #0]*[0-9*]*(?:\.[0-9*]*)?[hlLqjzt]*.?)"));
    QStringList pieces;
    for (auto match = piece.globalMatch(text); match.hasNext();)
        pieces << match.next().captured();
    return pieces.join(QLatin1Char('|')).toStdString();
}
}  // namespace

TEST(LanguageKeys, EveryKeyLookedUpIsInTheEnglishFile) {
    ProgramDirectory programDirectory;  // empties the table afterwards
    int filesScanned = 0;
    const Lookups lookups = ScanLookups(&filesScanned);
    const std::set<KeyRef>& keys = lookups.keys;
    ASSERT_GT(filesScanned, 10);
    // A key the scan cannot read is a key nobody checks: name both literally,
    // or build a LanguageKey{"Section", "KEYS"} and pass that.
    EXPECT_TRUE(lookups.hidden.isEmpty())
        << "lookups without literal names: " << lookups.hidden.join(QStringLiteral("; ")).toStdString();
    // The scan must find the main window's captions, or it is looking in the wrong place.
    ASSERT_TRUE(keys.count({QStringLiteral("MainDlg"), QStringLiteral("MYBS")}));

    ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
    QStringList missing;
    for (const auto& [section, key] : keys) {
        if (GetLanguageString(section, key) == QLatin1String("<NULL>"))
            missing << section + QLatin1Char('/') + key;
    }
    EXPECT_TRUE(missing.isEmpty()) << "missing from languages/vmq_00.ini: "
                                   << missing.join(QStringLiteral(", ")).toStdString();
}

TEST(LanguageKeys, EveryShippedTranslationHasTheEnglishKeys) {
    // A translation that lacks a key shows "<NULL>" in its place.
    const std::map<KeyRef, QString> english = ValuesOf(SourcePath(QStringLiteral("languages/vmq_00.ini")));
    ASSERT_FALSE(english.empty());
    const QStringList paths = TranslationPaths();
    for (const QString& path : paths) {
        const std::map<KeyRef, QString> translated = ValuesOf(path);
        for (const auto& [key, value] : english) {
            if (key.first == QLatin1String("CommonInfo"))
                continue;
            EXPECT_TRUE(translated.count(key)) << path.toStdString() << " lacks " << key.first.toStdString()
                                               << "/" << key.second.toStdString();
        }
    }
    if (paths.isEmpty()) {
        GTEST_SKIP() << "no translation ships yet; only the English file was looked at";
    }
}

TEST(LanguageKeys, EveryShippedTranslationLoadsAndKeepsTheEnglishConversions) {
    // The texts are filled positionally, so a translation must keep the English
    // conversions in their order; an empty value makes the whole file fail to load.
    const std::map<KeyRef, QString> english = ValuesOf(SourcePath(QStringLiteral("languages/vmq_00.ini")));
    ASSERT_EQ(Conversions(QStringLiteral("%d in %d:%02d, %.2f %s, 5 %% or 50 % de")),
              "%d|%d|%02d|%.2f|%s|%%|% d");
    const QStringList paths = TranslationPaths();
    for (const QString& path : paths) {
        {
            LanguageTableSession table;
            EXPECT_EQ(LoadLanguageFile(path), 0) << path.toStdString();
        }
        for (const auto& [key, value] : ValuesOf(path)) {
            const std::string where =
                path.toStdString() + " " + key.first.toStdString() + "/" + key.second.toStdString();
            EXPECT_FALSE(value.isEmpty()) << where;
            const auto found = english.find(key);
            if (found != english.end()) {
                EXPECT_EQ(Conversions(value), Conversions(found->second)) << where;
            }
        }
    }
    if (paths.isEmpty()) {
        GTEST_SKIP() << "no translation ships yet";
    }
}

TEST(LanguageKeys, EveryShippedTranslationFollowsTheEnglishFileAndItsAccelerators) {
    // Translators work through the files side by side; the same order keeps
    // a missing or misplaced key easy to see. A caption keeps as many
    // accelerator marks as the English one, and a letter serves one caption
    // of its window only.
    const QString englishPath = SourcePath(QStringLiteral("languages/vmq_00.ini"));
    const std::vector<KeyRef> englishOrder = KeysInOrder(englishPath);
    const std::map<KeyRef, QString> english = ValuesOf(englishPath);
    ASSERT_EQ(AcceleratorLetters(QStringLiteral("Save(&S) && close, &Apply")), QStringLiteral("SA"));
    const QStringList paths = TranslationPaths();
    for (const QString& path : paths) {
        EXPECT_EQ(KeysInOrder(path), englishOrder)
            << path.toStdString() << " is not in the order of vmq_00.ini";
        std::map<QString, std::map<QChar, QString>> lettersBySection;
        for (const auto& [key, value] : ValuesOf(path)) {
            const std::string where =
                path.toStdString() + " " + key.first.toStdString() + "/" + key.second.toStdString();
            const QString letters = AcceleratorLetters(value);
            const auto found = english.find(key);
            if (found != english.end()) {
                EXPECT_EQ(letters.size(), AcceleratorLetters(found->second).size()) << where;
            }
            for (const QChar letter : letters) {
                const auto [taken, added] = lettersBySection[key.first].emplace(letter, key.second);
                EXPECT_TRUE(added) << where << " takes &" << QString(letter).toStdString() << " of "
                                   << taken->second.toStdString();
            }
        }
    }
    if (paths.isEmpty()) {
        GTEST_SKIP() << "no translation ships yet";
    }
}
