// Opening and saving memo documents through the editor: a formatted memo with
// pictures survives a save and a reopen, the file has the stored format, and
// failures never destroy what was saved before.

#include "memo/MemoTestSupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Chooses an entry of a drop-down list with the mouse, as a user would.
void ChooseFromList(QComboBox* list, const QString& text) {
    const int row = list->findText(text);
    ASSERT_GE(row, 0) << text.toStdString();
    list->showPopup();
    QAbstractItemView* items = list->view();
    const QModelIndex index = items->model()->index(row, 0);
    items->scrollTo(index);
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, items->visualRect(index).center());
    ASSERT_FALSE(items->isVisible());
}

TEST_F(MemoEditorTest, FormattedMemoWithPicturesSurvivesSaveAndReopen) {
    const QString lake = WritePicture(QStringLiteral("pictures/lake.png"), Qt::blue);
    const QString pass = WritePicture(QStringLiteral("pictures/pass.png"), Qt::green);
    const QString spare = WritePicture(QStringLiteral("pictures/spare.png"), Qt::gray);
    ASSERT_TRUE(OpenMemo());

    ClickToolbar(kMemoBold);
    Type(QStringLiteral("Strong"));
    ClickToolbar(kMemoBold);
    Type(QStringLiteral(" start, "));
    ClickToolbar(kMemoItalic);
    Type(QStringLiteral("easy"));
    ClickToolbar(kMemoItalic);
    Type(QStringLiteral(" finish in "));
    Type(QStringLiteral("red"));
    Type(QStringLiteral(" kit "));
    AnswerPictureDialog(lake);
    ClickToolbar(kMemoInsertPicture);
    AnswerPictureDialog(spare);
    ClickToolbar(kMemoInsertPicture);
    Key(Qt::Key_Backspace);  // the spare picture goes again
    Key(Qt::Key_Return);
    ClickToolbar(kMemoJustifyCenter);
    Type(QStringLiteral("Summit"));
    AnswerPictureDialog(pass, QSize(200, 100));
    ClickToolbar(kMemoInsertPicture);
    Key(Qt::Key_Return);
    ClickToolbar(kMemoJustifyLeft);
    Type(QStringLiteral("Big and serif"));
    EXPECT_EQ(m_pictureDialogs, 3);

    m_dialogs.AnswerColour(QColor(0xC0, 0x39, 0x2B));
    Select(QStringLiteral("red"));
    ClickToolbar(kMemoTextColour);

    Select(QStringLiteral("Big and serif"));
    ChooseFromList(Editor()->FontSizeList(), QStringLiteral("5"));
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    const QString family = families.last();
    ChooseFromList(Editor()->FontNameList(), family);
    EXPECT_EQ(Editor()->FontSizeList()->currentText(), QStringLiteral("5"));

    const QString memoText = Editor()->GetMemoText();
    EXPECT_EQ(memoText, QStringLiteral("Strong start, easy finish in red kit \r\nSummit\r\nBig and serif"));
    ASSERT_TRUE(Editor()->SaveDocument());

    // The stored bytes: FF FE, the markup, one NUL.
    const QByteArray bytes = ReadAll(MemoDocumentPath(m_folder));
    ASSERT_GE(bytes.size(), 4);
    EXPECT_EQ(bytes.left(2), QByteArray("\xFF\xFE", 2));
    EXPECT_EQ(bytes.right(2), QByteArray(2, '\0'));
    const QString markup = DecodeMemoDocument(bytes);
    EXPECT_EQ(bytes.size(), 2 + 2 * (markup.size() + 1));
    EXPECT_TRUE(markup.contains(QStringLiteral("src=\"data.files/lake.png\""))) << markup.toStdString();
    EXPECT_TRUE(markup.contains(QStringLiteral("src=\"data.files/pass.png\""))) << markup.toStdString();
    EXPECT_FALSE(markup.contains(m_programDir.Path())) << "pictures must be referred to relatively";
    EXPECT_GT(markup.count(QStringLiteral("\r\n")), 0);
    EXPECT_EQ(markup.count(QLatin1Char('\n')), markup.count(QStringLiteral("\r\n")));
    // Only the pictures still shown stay in data.files.
    EXPECT_EQ(QDir(MemoPictureFolderPath(m_folder)).entryList(QDir::Files, QDir::Name),
              QStringList({"lake.png", "pass.png"}));

    Reopen();
    EXPECT_EQ(Editor()->GetMemoText(), memoText);
    EXPECT_TRUE(FormatOf(QStringLiteral("Strong")).font().bold());
    EXPECT_FALSE(FormatOf(QStringLiteral("start")).font().bold());
    EXPECT_TRUE(FormatOf(QStringLiteral("easy")).fontItalic());
    EXPECT_EQ(FormatOf(QStringLiteral("red")).foreground().color(), QColor(0xC0, 0x39, 0x2B));
    EXPECT_EQ(FormatOf(QStringLiteral("kit")).foreground().style(), Qt::NoBrush);
    EXPECT_EQ(View()->document()->find(QStringLiteral("Summit")).block().blockFormat().alignment() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    CaretInto(QStringLiteral("Big and serif"));
    EXPECT_EQ(View()->QueryCommandValue(HtmlCommand::FontSize).toInt(), 5);
    EXPECT_EQ(FormatOf(QStringLiteral("Big and serif")).fontFamilies().toStringList(), QStringList{family});

    // Both pictures, resolved from the memo folder and loaded.
    EXPECT_EQ(View()->GetPictureSources(),
              QStringList({MemoPicturePath(m_folder, QStringLiteral("lake.png")),
                           MemoPicturePath(m_folder, QStringLiteral("pass.png"))}));
    for (const char* name : {"lake.png", "pass.png"}) {
        const QVariant picture = View()->document()->resource(
            QTextDocument::ImageResource, QUrl(QStringLiteral("data.files/") + QLatin1String(name)));
        EXPECT_FALSE(picture.value<QImage>().isNull()) << name;
    }
    EXPECT_EQ(PictureFormat(1).width(), 200);
    EXPECT_EQ(PictureFormat(1).height(), 100);
    EXPECT_FALSE(PictureFormat(0).hasProperty(QTextFormat::ImageWidth));
}

TEST_F(MemoEditorTest, NewDocumentStartsFromTheTemplateAndExistingOnesAreLeftAlone) {
    ASSERT_TRUE(OpenMemo());
    EXPECT_EQ(ReadAll(MemoDocumentPath(m_folder)), m_programDir.ReadFile(QStringLiteral("htmltemplate.dat")));
    EXPECT_TRUE(View()->EditMode());
    EXPECT_TRUE(Editor()->GetMemoText().isEmpty());

    // A record whose memo was only plain text so far.
    const QString other = m_programDir.FilePath(QStringLiteral("Maintenance/3"));
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(StartMemoFromPlainText(other, QStringLiteral("New chain\r\nCleaned the cassette")));
    const QByteArray seeded = ReadAll(MemoDocumentPath(other));
    ASSERT_TRUE(QFile::remove(m_programDir.FilePath(QStringLiteral("htmltemplate.dat"))));
    ASSERT_TRUE(Editor()->OpenDocument(other));
    EXPECT_EQ(Editor()->GetMemoText(), QStringLiteral("New chain\r\nCleaned the cassette"));
    EXPECT_EQ(ReadAll(MemoDocumentPath(other)), seeded);
    EXPECT_EQ(Editor()->Folder(), other);
}

TEST_F(MemoEditorTest, WithoutTemplateANewMemoStartsEmpty) {
    ASSERT_TRUE(QFile::remove(m_programDir.FilePath(QStringLiteral("htmltemplate.dat"))));
    ASSERT_TRUE(OpenMemo());
    EXPECT_EQ(ReadAll(MemoDocumentPath(m_folder)), EncodePlainTextMemo(QString()));
    EXPECT_TRUE(Editor()->HoldsDocument());
    EXPECT_TRUE(View()->EditMode());
    Type(QStringLiteral("Still kept"));
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_TRUE(DecodeMemoDocument(ReadAll(MemoDocumentPath(m_folder))).contains(u"Still kept"));

    // When even the empty document cannot be written there is nothing to save.
    const QString other = m_programDir.FilePath(QStringLiteral("Rides/2"));
    ASSERT_TRUE(QDir().mkpath(other));
    {
        ScopedWriteFailure full;
        EXPECT_FALSE(Editor()->OpenDocument(other));
    }
    EXPECT_FALSE(Editor()->HoldsDocument());
    EXPECT_FALSE(Editor()->SaveDocument());
    EXPECT_EQ(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(MemoEditorTest, FailedSaveKeepsTheOldDocument) {
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("First version"));
    ASSERT_TRUE(Editor()->SaveDocument());
    const QByteArray saved = ReadAll(MemoDocumentPath(m_folder));

    Type(QStringLiteral(", then more"));
    {
        // The disk fills up half-way through the write.
        ScopedWriteFailure full;
        EXPECT_FALSE(Editor()->SaveDocument());
        EXPECT_EQ(ReadAll(MemoDocumentPath(m_folder)), saved);

        // Ctrl+S reports the failure instead of passing it over in silence.
        m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
        Key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(ReadAll(MemoDocumentPath(m_folder)), saved);
    }
    EXPECT_EQ(QDir(m_folder).entryList(QDir::Files), QStringList{QStringLiteral("data.htm")});

    // A "folder" that is a file can neither be opened nor saved into.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/9"), "not a folder"));
    EXPECT_FALSE(Editor()->OpenDocument(m_programDir.FilePath(QStringLiteral("Rides/9"))));
    EXPECT_FALSE(Editor()->SaveDocument());
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/9")), QByteArray("not a folder"));
}

TEST_F(MemoEditorTest, CtrlSSavesTheMemo) {
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("Saved by key"));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(
        DecodeMemoDocument(ReadAll(MemoDocumentPath(m_folder))).contains(QStringLiteral("Saved by key")));
}

TEST_F(MemoEditorTest, NavigatingToBlankReleasesTheDocument) {
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("Gone"));
    View()->Navigate(QStringLiteral("about:blank"));
    EXPECT_TRUE(View()->GetBodyText().isEmpty());
    EXPECT_EQ(View()->Address(), QStringLiteral("about:blank"));
}

TEST_F(MemoEditorTest, MarkupFromOtherEditorsKeepsItsFormatting) {
    // Written elsewhere: UTF-8 without a mark, upper-case tags, HTML font sizes.
    ASSERT_TRUE(m_programDir.WriteFile(
        QStringLiteral("Rides/1/data.htm"),
        QStringLiteral("<HTML><BODY><P align=center><STRONG>Col</STRONG> du <FONT size=5 color=#ff0000>Gali"
                       "\u00e9r</FONT> <FONT size=1>tiny</FONT></P></BODY></HTML>")
            .toUtf8()));
    ASSERT_TRUE(OpenMemo());
    EXPECT_EQ(Editor()->GetMemoText(), QStringLiteral("Col du Gali\u00e9r tiny"));
    CaretInto(QStringLiteral("Gali"));
    EXPECT_EQ(View()->QueryCommandValue(HtmlCommand::FontSize).toInt(), 5);
    ASSERT_TRUE(Editor()->SaveDocument());

    Reopen();
    EXPECT_TRUE(FormatOf(QStringLiteral("Col")).font().bold());
    EXPECT_EQ(FormatOf(QStringLiteral("Gali")).foreground().color(), QColor(Qt::red));
    CaretInto(QStringLiteral("Gali"));
    EXPECT_EQ(View()->QueryCommandValue(HtmlCommand::FontSize).toInt(), 5);
    CaretInto(QStringLiteral("tiny"));
    EXPECT_EQ(View()->QueryCommandValue(HtmlCommand::FontSize).toInt(), 1);
    EXPECT_EQ(View()->document()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
}

TEST_F(MemoEditorTest, PicturesReferredToWithEscapesAreKeptOnSave) {
    // Other editors write "%20" and UTF-8 escapes into picture addresses; the
    // view shows those pictures, so saving must not delete their files.
    WritePicture(QStringLiteral("Rides/1/data.files/col de l'\u00e9t\u00e9.png"), Qt::blue);
    WritePicture(QStringLiteral("Rides/1/data.files/my pic.png"), Qt::green);
    WritePicture(QStringLiteral("Rides/1/data.files/gone.png"), Qt::gray);
    ASSERT_TRUE(
        m_programDir.WriteFile(QStringLiteral("Rides/1/data.htm"),
                               "<html><body>Climb<img src=\"data.files/col%20de%20l'%C3%A9t%C3%A9.png\">"
                               "<img src=\"data.files/my%20pic.png\"></body></html>"));
    ASSERT_TRUE(OpenMemo());
    for (int n = 0; n < 2; ++n) {
        const QVariant shown =
            View()->document()->resource(QTextDocument::ImageResource, QUrl(PictureFormat(n).name()));
        EXPECT_FALSE(shown.value<QImage>().isNull()) << n;
    }
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_EQ(QDir(MemoPictureFolderPath(m_folder)).entryList(QDir::Files, QDir::Name),
              QStringList({QStringLiteral("col de l'\u00e9t\u00e9.png"), QStringLiteral("my pic.png")}));
}

}  // namespace
