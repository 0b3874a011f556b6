// The memo folder on disk: the bytes of data.htm, starting from plain text,
// safe replacing writes, picture references and the clean-up of data.files.

#include "memo/HtmlMarkup.h"
#include "memo/MemoDocument.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray Utf16Le(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

const QByteArray kBom("\xFF\xFE", 2);
const QByteArray kNul(2, '\0');

TEST(MemoDocumentFormat, DecodesEveryStoredForm) {
    const QString markup = QStringLiteral("<html><body>Col de la Croix \u00e9 \u20ac</body></html>");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-16LE with BOM and NUL", kBom + Utf16Le(markup) + kNul},
        {"UTF-16LE with BOM, no NUL", kBom + Utf16Le(markup)},
        {"UTF-8 with BOM", QByteArray("\xEF\xBB\xBF") + markup.toUtf8()},
        {"UTF-8 without BOM", markup.toUtf8()},
        {"UTF-8 with a stray NUL", markup.toUtf8() + QByteArray(1, '\0')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeMemoDocument(c.bytes), markup) << c.name;
    }
    // A document holding nothing but its NUL is UTF-16, not a UTF-32 mark.
    EXPECT_EQ(DecodeMemoDocument(kBom + kNul), QString());
}

TEST(MemoDocumentFormat, SavedDocumentIsBomMarkupAndOneNul) {
    const QString markup = QStringLiteral("<p>\u00e9t\u00e9</p>");
    const QByteArray bytes = EncodeMemoDocument(markup);
    EXPECT_EQ(bytes, kBom + Utf16Le(markup) + kNul);
    EXPECT_EQ(bytes.size(), 2 + 2 * (markup.size() + 1));
    EXPECT_EQ(DecodeMemoDocument(bytes), markup);
}

TEST(MemoDocumentFormat, PlainTextMemoBecomesTheExactDocument) {
    const QByteArray bytes = EncodePlainTextMemo(QStringLiteral("Headwind all the way\r\nTea at the top"));
    EXPECT_EQ(
        bytes,
        kBom + Utf16Le(QStringLiteral("<html><body>Headwind all the way<br>Tea at the top</body></html>")));
    EXPECT_EQ(EncodePlainTextMemo(QString()), kBom + Utf16Le(QStringLiteral("<html><body></body></html>")));
    // Characters that would read as markup are kept as text.
    EXPECT_EQ(EncodePlainTextMemo(QStringLiteral("<5 km & >2 h")),
              kBom + Utf16Le(QStringLiteral("<html><body>&lt;5 km &amp; &gt;2 h</body></html>")));
}

TEST(MemoDocumentFormat, OnlyAddressesIntoTheMemosOwnPicturesBecomeRelative) {
    const QString folder = QStringLiteral("/home/rider/velomarq/Rides/12");
    const struct {
        const char* written;
        const char* saved;
    } cases[] = {
        // Full paths and file addresses into this memo's pictures.
        {"/home/rider/velomarq/Rides/12/data.files/a.jpg", "data.files/a.jpg"},
        {"file:///home/rider/velomarq/Rides/12/data.files/my%20pic.jpg", "data.files/my pic.jpg"},
        {"/home/rider/velomarq/Rides/12/data.files/a&amp;b.jpg", "data.files/a&amp;b.jpg"},
        {"/home/rider/velomarq/Rides/12/data.files/100%.jpg", "data.files/100%25.jpg"},
        {"/home/rider/velomarq/Rides/12/./data.files/c.jpg", "data.files/c.jpg"},
        // Left as written: relative, elsewhere, another memo's pictures.
        {"data.files/b.jpg", "data.files/b.jpg"},
        {"http://example.org/data.files/c.jpg", "http://example.org/data.files/c.jpg"},
        {"/home/rider/velomarq/Rides/7/data.files/d.jpg", "/home/rider/velomarq/Rides/7/data.files/d.jpg"},
        {"/home/rider/velomarq/Rides/12/data.files", "/home/rider/velomarq/Rides/12/data.files"},
        {"/home/rider/velomarq/Rides/123/data.files/e.jpg",
         "/home/rider/velomarq/Rides/123/data.files/e.jpg"},
    };
    for (const auto& c : cases) {
        const QString markup = QStringLiteral("<p><img src=\"%1\" /> and <a href=\"%1\">link</a></p>")
                                   .arg(QString::fromUtf8(c.written));
        const QString expected = QStringLiteral("<p><img src=\"%1\" /> and <a href=\"%1\">link</a></p>")
                                     .arg(QString::fromUtf8(c.saved));
        EXPECT_EQ(MakePictureSourcesRelative(markup, folder), expected) << c.written;
    }
}

TEST(MemoDocumentFormat, PictureReferencesLeadBackToTheirFile) {
    const QString folder = QStringLiteral("/p/Rides/1");
    for (const QString& name :
         {QStringLiteral("lake view.jpg"), QStringLiteral("a&amp;b.png"), QStringLiteral("100%.png"),
          QStringLiteral("a#b?.png"), QStringLiteral("\"x\".png"), QStringLiteral("<b>.png"),
          QStringLiteral("\u00e9t\u00e9.png")}) {
        const QString reference = PictureReferenceInMarkup(name);
        EXPECT_FALSE(reference.contains(QLatin1Char('"'))) << reference.toStdString();
        EXPECT_EQ(ResolveMemoAddress(folder, DecodeHtmlEntities(reference)),
                  QStringLiteral("/p/Rides/1/data.files/") + name)
            << name.toStdString();
    }
    EXPECT_EQ(PictureReferenceInMarkup(QStringLiteral("lake view.jpg")),
              QStringLiteral("data.files/lake view.jpg"));
}

TEST(MemoDocumentFormat, AFileIsInUseWhereverTheMarkupNamesIt) {
    const struct {
        const char* markup;
        const char* file;
        bool inUse;
    } cases[] = {
        {"<img src=\"data.files/1.jpg\">", "1.jpg", true},
        {"<img src=\"data.files/11.jpg\">", "1.jpg", true},  // a substring: kept, never wrongly deleted
        {"<img src=\"data.files/2.jpg\">", "1.jpg", false},
        {"<table background=\"data.files/bg.png\">", "bg.png", true},
        {"<a href=\"data.files/full.jpg\">big</a>", "full.jpg", true},
        {"<p style=\"background-image: url('data.files/s.gif')\">", "s.gif", true},
        {"<style>body { background: url(data.files/page.png) }</style>", "page.png", true},
        {"<!--[if vml]><v:imagedata src=\"data.files/image001.png\"><![endif]-->", "image001.png", true},
        {"<img src=\"data.files/Photo.JPG\">", "photo.jpg", true},  // made on Windows
        {"<img src=\"DATA.FILES/\u00c9T\u00c9.PNG\">", "\u00e9t\u00e9.png", true},
        {"<img src=\"data.files/e\u0301te\u0301.png\">", "\u00e9t\u00e9.png", true},  // decomposed
        {"<img src=\"data.files/a&amp;b.png\">", "a&b.png", true},
        {"<img src=\"data.files/a&amp;amp;b.png\">", "a&amp;b.png", true},
        {"<img src=\"data.files/&#112;&#x69;c.png\">", "pic.png", true},
        {"<img src=\"data.files/&eacute;t&eacute;.png\">", "\u00e9t\u00e9.png", true},
        {"<img src=\"data.files/my%20pic.png\">", "my pic.png", true},
        {"<img src=\"data.files/%C3%A9t%C3%A9.png\">", "\u00e9t\u00e9.png", true},
        {"<img src=\"data.files/%E9t%E9.png\">", "\u00e9t\u00e9.png", true},  // Windows code page
        {"<img src=\"data.files/a&#37;20b.png\">", "a b.png", true},
        {"<p>lake.jpg was lost</p>", "lake.jpg", false},  // text is no reference
        {"<p>data.files/x.png</p><img src=\"data.files/y.png\">", "x.png", false},
    };
    for (const auto& c : cases) {
        const MemoReferences references{QString::fromUtf8(c.markup)};
        EXPECT_EQ(references.Uses(QString::fromUtf8(c.file)), c.inUse) << c.markup << " / " << c.file;
    }
    // The view's own addresses count too.
    EXPECT_TRUE(MemoReferences(QString(), {QStringLiteral("/p/Rides/1/data.files/seen.png")})
                    .Uses(QStringLiteral("seen.png")));
}

class MemoFolderTest : public ProgramDirectoryTest {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(m_folder)); }
    QString m_folder = m_programDir.FilePath(QStringLiteral("Rides/7"));
};

TEST_F(MemoFolderTest, StartingFromPlainTextWritesDataHtm) {
    ASSERT_TRUE(StartMemoFromPlainText(m_folder, QStringLiteral("one\r\ntwo")));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/7/data.htm")),
              kBom + Utf16Le(QStringLiteral("<html><body>one<br>two</body></html>")));
    EXPECT_FALSE(
        StartMemoFromPlainText(m_programDir.FilePath(QStringLiteral("Rides/missing")), QStringLiteral("x")));
}

TEST_F(MemoFolderTest, UnusedPicturesAreDeletedAndOthersKept) {
    for (const char* name : {"kept.jpg", "1.jpg", "gone.png"}) {
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/7/data.files/") + QLatin1String(name), "x"));
    }
    ASSERT_TRUE(QDir().mkpath(MemoPicturePath(m_folder, QStringLiteral("sub.jpg"))));
    RemoveUnusedPictureFiles(m_folder, MemoReferences(QStringLiteral("<img src=\"data.files/kept.jpg\">"
                                                                     "<img src=\"data.files/11.jpg\">")));
    const QDir pictures(MemoPictureFolderPath(m_folder));
    EXPECT_EQ(pictures.entryList(QDir::Files, QDir::Name), QStringList({"1.jpg", "kept.jpg"}));
    EXPECT_TRUE(pictures.exists(QStringLiteral("sub.jpg")));  // folders are not pictures

    // No picture folder: nothing to do, and none is made.
    const QString empty = m_programDir.FilePath(QStringLiteral("Rides/8"));
    ASSERT_TRUE(QDir().mkpath(empty));
    RemoveUnusedPictureFiles(empty, MemoReferences());
    EXPECT_FALSE(QFileInfo::exists(MemoPictureFolderPath(empty)));
}

TEST_F(MemoFolderTest, CopyingAPictureInReplacesOneOfTheSameName) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("pictures/a/top.jpg"), "first"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("pictures/b/top.jpg"), "second"));
    const QString target = MemoPicturePath(m_folder, QStringLiteral("top.jpg"));
    EXPECT_EQ(CopyPictureIntoMemo(m_folder, m_programDir.FilePath(QStringLiteral("pictures/a/top.jpg"))),
              target);
    EXPECT_EQ(CopyPictureIntoMemo(m_folder, m_programDir.FilePath(QStringLiteral("pictures/b/top.jpg"))),
              target);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/7/data.files/top.jpg")), QByteArray("second"));
    // Choosing the copy that is already in the folder leaves it whole.
    EXPECT_EQ(CopyPictureIntoMemo(m_folder, target), target);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/7/data.files/top.jpg")), QByteArray("second"));
    EXPECT_TRUE(
        CopyPictureIntoMemo(m_folder, m_programDir.FilePath(QStringLiteral("pictures/none.jpg"))).isEmpty());
}

}  // namespace
