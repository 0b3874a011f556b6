// The memo folder on disk: the bytes of data.htm, starting from plain text,
// safe replacing writes, picture references and the clean-up of data.files.

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

TEST(MemoDocumentFormat, PictureAddressesBecomeRelative) {
    const QString folder = QStringLiteral("/home/rider/velomarq/Rides/12");
    const QString markup = QStringLiteral(
        "<img src=\"/home/rider/velomarq/Rides/12/data.files/a.jpg\" /><img src=\"data.files/b.jpg\" />"
        "<img src=\"http://example.org/c.jpg\" /><img "
        "src=\"/home/rider/velomarq/Rides/12/data.files/a&amp;b.jpg\" />");
    const QStringList sources = {
        folder + QStringLiteral("/data.files/a.jpg"), folder + QStringLiteral("/data.files/b.jpg"),
        QStringLiteral("http://example.org/c.jpg"), folder + QStringLiteral("/data.files/a&b.jpg")};
    EXPECT_EQ(
        MakePictureSourcesRelative(markup, sources),
        QStringLiteral("<img src=\"data.files/a.jpg\" /><img src=\"data.files/b.jpg\" />"
                       "<img src=\"http://example.org/c.jpg\" /><img src=\"data.files/a&amp;b.jpg\" />"));
}

TEST(MemoDocumentFormat, PictureInUseIsASubstringTestAfterTheFirstCharacter) {
    const QStringList sources = {QStringLiteral("/p/Rides/1/data.files/11.jpg"), QStringLiteral("x.png")};
    const struct {
        const char* name;
        bool inUse;
    } cases[] = {
        {"11.jpg", true},  {"1.jpg", true},   // inside 11.jpg: kept, never wrongly deleted
        {"2.jpg", false},  {"x.png", false},  // only at the very start of an address
        {"11.JPG", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPictureFileInUse(QString::fromLatin1(c.name), sources), c.inUse) << c.name;
    }
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
    RemoveUnusedPictureFiles(m_folder, {MemoPicturePath(m_folder, QStringLiteral("kept.jpg")),
                                        MemoPicturePath(m_folder, QStringLiteral("11.jpg"))});
    const QDir pictures(MemoPictureFolderPath(m_folder));
    EXPECT_EQ(pictures.entryList(QDir::Files, QDir::Name), QStringList({"1.jpg", "kept.jpg"}));
    EXPECT_TRUE(pictures.exists(QStringLiteral("sub.jpg")));  // folders are not pictures

    // No picture folder: nothing to do, and none is made.
    const QString empty = m_programDir.FilePath(QStringLiteral("Rides/8"));
    ASSERT_TRUE(QDir().mkpath(empty));
    RemoveUnusedPictureFiles(empty, {});
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
