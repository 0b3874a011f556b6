// Every (section, key) the program looks up must be in the English language
// file, which every other translation starts from. The sources are scanned for
// the literal lookups; a key added to the code without its text fails here.

#include "language/Language.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <set>

namespace {
using KeyRef = std::pair<QString, QString>;

std::set<KeyRef> LookedUpKeys(int* filesScanned) {
    static const QRegularExpression lookup(QString::fromLatin1(
        R"re((?:GetLanguageString(?:WithColon|WithAccelerator)?\s*\(|LanguageKey\s*\{)\s*"([^"]+)"\s*,\s*"([^"]+)")re"));
    std::set<KeyRef> keys;
    QDirIterator files(SourcePath(QStringLiteral("src")), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        ++*filesScanned;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = lookup.globalMatch(text); match.hasNext();) {
            const auto m = match.next();
            keys.emplace(m.captured(1), m.captured(2));
        }
    }
    return keys;
}
}  // namespace

TEST(LanguageKeys, EveryKeyLookedUpIsInTheEnglishFile) {
    ProgramDirectory programDirectory;  // empties the table afterwards
    int filesScanned = 0;
    const std::set<KeyRef> keys = LookedUpKeys(&filesScanned);
    ASSERT_GT(filesScanned, 10);
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
    auto keysOf = [](const QString& path) {
        std::set<KeyRef> keys;
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
                keys.emplace(section, line.left(eq).trimmed());
            }
        }
        return keys;
    };
    const std::set<KeyRef> english = keysOf(SourcePath(QStringLiteral("languages/vmq_00.ini")));
    ASSERT_FALSE(english.empty());
    int checked = 0;
    for (int n = 1; n < 16; ++n) {
        const QString path =
            SourcePath(QStringLiteral("languages/vmq_%1.ini").arg(n, 2, 10, QLatin1Char('0')));
        if (!QFile::exists(path))
            continue;
        ++checked;
        const std::set<KeyRef> translated = keysOf(path);
        for (const KeyRef& key : english) {
            if (key.first == QLatin1String("CommonInfo"))
                continue;
            EXPECT_TRUE(translated.count(key)) << path.toStdString() << " lacks " << key.first.toStdString()
                                               << "/" << key.second.toStdString();
        }
    }
    if (checked == 0) {
        GTEST_SKIP() << "no translation ships yet; only the English file was looked at";
    }
}
