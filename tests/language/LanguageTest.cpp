// The language table and the INI reader under it: what a lookup returns, when
// a file fails to load and what a failed load leaves behind, the reader's
// limits and encodings, and the display-name list of the options page.

#include "language/Language.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <QStringEncoder>

namespace {

const QString kNull = QStringLiteral("<NULL>");

QByteArray Utf16Bytes(const QString& text, QStringConverter::Encoding encoding, bool withBom = true) {
    QStringEncoder encoder(encoding,
                           withBom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder(text);
}

class LanguageTest : public ProgramDirectoryTest {
protected:
    void SetUp() override { FreeLanguageTable(); }
    void TearDown() override { FreeLanguageTable(); }

    int LoadText(const QByteArray& bytes, const QString& name = QStringLiteral("lang.ini")) {
        EXPECT_TRUE(m_programDir.WriteFile(name, bytes));
        return LoadLanguageFile(m_programDir.FilePath(name));
    }
};

TEST_F(LanguageTest, LookupFindsValuesAndAnswersNullForAbsentNames) {
    ASSERT_EQ(LoadText("[CommonInfo]\nLanguage=English\n\n[Strings]\nNEWW=New\nNAME=Name\n"
                       "[MainDlg]\nMYBS=Bicycles\n"),
              0);
    EXPECT_EQ(GetLanguageString("Strings", "NEWW"), "New");
    EXPECT_EQ(GetLanguageString(LanguageKey{"MainDlg", "MYBS"}), "Bicycles");
    EXPECT_EQ(GetLanguageString("NoSuchDlg", "NEWW"), kNull);
    EXPECT_EQ(GetLanguageString("Strings", "MYBS"), kNull);
    // Names are compared with case.
    EXPECT_EQ(GetLanguageString("strings", "NEWW"), kNull);
    EXPECT_EQ(GetLanguageString("Strings", "neww"), kNull);

    FreeLanguageTable();
    EXPECT_EQ(GetLanguageString("Strings", "NEWW"), kNull);
    FreeLanguageTable();  // freeing an empty table is harmless
}

TEST_F(LanguageTest, CaptionForms) {
    ASSERT_EQ(LoadText("[Strings]\nNEWW=New\nNAME=Name\n"), 0);
    EXPECT_EQ(GetLanguageStringWithAccelerator("Strings", "NEWW", "N"), "New(&N)");
    EXPECT_EQ(GetLanguageStringWithColon("Strings", "NAME"), "Name:");
    EXPECT_EQ(GetLanguageStringWithColon("Strings", "GONE"), "<NULL>:");
    EXPECT_EQ(GetLanguageStringWithAccelerator("Gone", "NEWW", "G"), "<NULL>(&G)");
    // The caption buffer holds 1023 characters and its terminator.
    const QString longLetter(2000, u'x');
    const QString caption = GetLanguageStringWithAccelerator("Strings", "NEWW", longLetter);
    EXPECT_EQ(caption.size(), 1023);
    EXPECT_TRUE(caption.startsWith("New(&xxx"));
}

TEST_F(LanguageTest, FilesThatFailToLoad) {
    struct Case {
        const char* what;
        QByteArray text;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"keys but no section", "NEWW=New\n"},
        {"only comments", "; [Strings]\n;NEWW=New\n"},
        {"a section without keys", "[Strings]\nNEWW=New\n[Empty]\n; nothing here\n"},
        {"a key with nothing after =", "[Strings]\nNEWW=New\nSAVE=\nOPEN=Open\n"},
        {"a value of blanks only", "[Strings]\nNEWW= \t \n"},
        {"a value of two quotes", "[Strings]\nNEWW=\"\"\n"},
    };
    for (const Case& c : cases) {
        FreeLanguageTable();
        EXPECT_EQ(LoadText(c.text), 255) << c.what;
    }
    FreeLanguageTable();
    EXPECT_EQ(LoadLanguageFile(m_programDir.FilePath("missing.ini")), 255);
    EXPECT_EQ(LoadLanguageFile(QString()), 255);
}

TEST_F(LanguageTest, FailedLoadLeavesEverySectionAndTheKeysReadBeforeTheFailure) {
    // Sections are read from the last one in the file to the first: C is
    // finished, B fails, A is never reached, yet all three are in the table.
    ASSERT_EQ(LoadText("[A]\na=1\n[B]\nb1=ok\nb2=\n[C]\nc=3\n"), 255);
    EXPECT_EQ(GetLanguageString("C", "c"), "3");
    EXPECT_EQ(GetLanguageString("B", "b1"), kNull);
    EXPECT_EQ(GetLanguageString("A", "a"), kNull);

    // Without freeing, the next file's sections go in front of the old ones.
    ASSERT_EQ(LoadText("[C]\nc=new\n[D]\nd=4\n", QStringLiteral("second.ini")), 0);
    EXPECT_EQ(GetLanguageString("C", "c"), "new");
    EXPECT_EQ(GetLanguageString("D", "d"), "4");
}

TEST_F(LanguageTest, RepeatedSectionsAndKeysReadAsTheirFirstOccurrence) {
    ASSERT_EQ(LoadText("[A]\nk=first\nk=second\n[B]\nx=y\n[A]\nk=third\nm=only in the second block\n"), 0);
    EXPECT_EQ(GetLanguageString("A", "k"), "first");
    EXPECT_EQ(GetLanguageString("A", "m"), kNull);
    EXPECT_EQ(GetLanguageString("B", "x"), "y");
}

TEST_F(LanguageTest, ValuesAreTrimmedUnquotedAndCut) {
    const QByteArray longValue(600, 'v');
    // 509 plain characters and then a bicycle (two UTF-16 characters): a cut at
    // 510 would split the pair, so the whole pair goes.
    const QString pairAtCut = QString(509, u'p') + QStringLiteral("\U0001F6B2") + QStringLiteral("tail");
    ASSERT_EQ(LoadText("; a comment line\n"
                       "[Strings]\n"
                       "  SPAC  =   spaced value \t \n"
                       "QUOT=\"  quoted  \"\n"
                       "HALF=\"half quoted\n"
                       "EQLS=a=b\n"
                       "no equals sign here\n"
                       "  ; indented comment=not a key\n"
                       "LONG=" +
                       longValue +
                       "\n"
                       "PAIR=" +
                       pairAtCut.toUtf8() + "\n"),
              0);
    EXPECT_EQ(GetLanguageString("Strings", "SPAC"), "spaced value");
    EXPECT_EQ(GetLanguageString("Strings", "QUOT"), "  quoted  ");
    EXPECT_EQ(GetLanguageString("Strings", "HALF"), "\"half quoted");
    EXPECT_EQ(GetLanguageString("Strings", "EQLS"), "a=b");
    EXPECT_EQ(GetLanguageString("Strings", "  ; indented comment"), kNull);
    EXPECT_EQ(GetLanguageString("Strings", "LONG"), QString(510, u'v'));
    EXPECT_EQ(GetLanguageString("Strings", "PAIR"), QString(509, u'p'));
}

TEST_F(LanguageTest, SectionNamesBeyondTheListLimit) {
    // 4-character names take 5 places each in the 2047-place list, whose last
    // place closes it: 409 fit, the 410th is missing.
    QByteArray text;
    for (int i = 0; i < 410; ++i) {
        text += QStringLiteral("[S%1]\nk=%2\n").arg(i, 3, 10, QChar(u'0')).arg(i).toUtf8();
    }
    ASSERT_EQ(LoadText(text), 0);
    EXPECT_EQ(GetLanguageString("S000", "k"), "0");
    EXPECT_EQ(GetLanguageString("S408", "k"), "408");
    EXPECT_EQ(GetLanguageString("S409", "k"), kNull);

    // A name that does not fit is cut, and a cut name has no keys.
    FreeLanguageTable();
    EXPECT_EQ(LoadText("[" + QByteArray(2100, 'N') + "]\nk=v\n"), 255);
}

TEST_F(LanguageTest, ReadsUtf8AndUtf16Files) {
    const QString text = QStringLiteral(
        "[CommonInfo]\r\nLanguage=Deutsch\r\n[Strings]\r\n"
        "MYBS=Fahrräder \U0001F6B2\r\nMAIN=Wartung\r\n");
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"UTF-8", text.toUtf8()},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + text.toUtf8()},
        {"UTF-16LE with BOM", Utf16Bytes(text, QStringConverter::Utf16LE)},
        {"UTF-16BE with BOM", Utf16Bytes(text, QStringConverter::Utf16BE)},
        // "Unicode" saved without a mark: told apart from 8-bit text by its
        // zero bytes, which used to load as a table of "<NULL>" captions.
        {"UTF-16LE without BOM", Utf16Bytes(text, QStringConverter::Utf16LE, false)},
        {"UTF-16BE without BOM", Utf16Bytes(text, QStringConverter::Utf16BE, false)},
    };
    for (const Case& c : cases) {
        FreeLanguageTable();
        ASSERT_EQ(LoadText(c.bytes), 0) << c.what;
        EXPECT_EQ(GetLanguageString("CommonInfo", "Language"), "Deutsch") << c.what;
        EXPECT_EQ(GetLanguageString("Strings", "MYBS"), QStringLiteral("Fahrräder \U0001F6B2")) << c.what;
        EXPECT_EQ(GetLanguageString("Strings", "MAIN"), "Wartung") << c.what;
    }
    // Old 8-bit files are not valid UTF-8; their bytes are read as Latin-1.
    FreeLanguageTable();
    ASSERT_EQ(LoadText("[Strings]\nMYBS=Fahrr\xE4"
                       "der\n"),
              0);
    EXPECT_EQ(GetLanguageString("Strings", "MYBS"), QStringLiteral("Fahrräder"));
}

TEST_F(LanguageTest, DisplayNamesListTheFilesPresentInNumberOrder) {
    const QString dir = m_programDir.Path();
    ASSERT_TRUE(m_programDir.WriteFile("languages/vmq_00.ini", "[CommonInfo]\nLanguage=English\n"));
    ASSERT_TRUE(m_programDir.WriteFile(
        "languages/vmq_01.ini", Utf16Bytes("[CommonInfo]\nLanguage=Deutsch\n", QStringConverter::Utf16LE)));
    ASSERT_TRUE(m_programDir.WriteFile("languages/vmq_03.ini",
                                       "[CommonInfo]\nLanguage=" + QByteArray(200, 'L') + "\n"));
    // A file without a name is no choice.
    ASSERT_TRUE(m_programDir.WriteFile("languages/vmq_04.ini", "[CommonInfo]\nLanguage=\n"));

    const QStringList names = GetLanguageDisplayNames(dir);
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[0], "English");
    EXPECT_EQ(names[1], "Deutsch");
    EXPECT_EQ(names[2], QString(126, u'L'));

    const QList<LanguageChoice> choices = GetLanguageChoices(dir);
    ASSERT_EQ(choices.size(), 3);
    EXPECT_EQ(choices[2].number, 3);

    EXPECT_EQ(LanguageFilePath(dir, 3), dir + "/languages/vmq_03.ini");
    // Reading the names leaves the table alone.
    EXPECT_EQ(GetLanguageString("CommonInfo", "Language"), kNull);
}

}  // namespace
