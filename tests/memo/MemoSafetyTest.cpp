// Memo folders as years of use leave them: pictures referred to in every way
// markup allows, folders that fail to open, links planted in them, names
// that look like markup, pages that nest far too deep. Whatever the editor
// does, the rider's files stay: each test checks what is on disk afterwards.

#include "memo/MemoTestSupport.h"

#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextFrame>
#include <QTextTable>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Words(const QString& text) {
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// The words a reader of the markup sees, with every tag taken as a break.
QStringList WordsOfMarkup(QString markup) {
    markup.replace(QRegularExpression(QStringLiteral("<[^>]*>")), QStringLiteral(" "));
    return Words(markup);
}

QString Repeat(const QString& text, int times) {
    QString result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

int TableDepth(const QTextDocument* document) {
    int deepest = 0;
    std::vector<std::pair<const QTextFrame*, int>> pending{{document->rootFrame(), 0}};
    while (!pending.empty()) {
        const auto [frame, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (const QTextFrame* child : frame->childFrames()) {
            pending.emplace_back(child, depth + (qobject_cast<const QTextTable*>(child) ? 1 : 0));
        }
    }
    return deepest;
}

class MemoSafetyTest : public MemoEditorTest {
protected:
    QStringList Pictures(const QString& folder) const {
        return QDir(MemoPictureFolderPath(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QStringList Pictures() const { return Pictures(m_folder); }

    void WriteFile(const QString& relative, const QByteArray& bytes = "x") const {
        ASSERT_TRUE(m_programDir.WriteFile(relative, bytes)) << relative.toStdString();
    }

    void Link(const QString& target, const QString& linkRelative) const {
        ASSERT_TRUE(QFile::link(target, m_programDir.FilePath(linkRelative))) << linkRelative.toStdString();
    }
};

TEST_F(MemoSafetyTest, SavingKeepsEveryFileTheMarkupStillRefersTo) {
    // A memo made elsewhere, on Windows among others.
    for (const QString& name :
         {QStringLiteral("photo.jpg"), QStringLiteral("cell.png"), QStringLiteral("full.jpg"),
          QStringLiteral("a&b.png"), QStringLiteral("my pic.png"), QStringLiteral("\u00e9t\u00e9.png"),
          QStringLiteral("gone.png"), QStringLiteral("Thumbs.db")}) {
        WriteFile(QStringLiteral("Rides/1/data.files/") + name);
    }
    WriteFile(QStringLiteral("Rides/1/data.htm"),
              "<html><body><p>Summit <img src=\"data.files/Photo.JPG\"> "
              "<a href=\"data.files/full.jpg\">full size</a></p>"
              "<table><tr><td background=\"data.files/cell.png\">shade</td></tr></table>"
              "<p><img src=\"data.files/a&amp;b.png\"> <img src=\"data.files/my%20pic.png\"> "
              "<img src=\"data.files/%C3%A9t%C3%A9.png\"></p></body></html>");
    const QStringList kept = {QStringLiteral("a&b.png"),   QStringLiteral("cell.png"),
                              QStringLiteral("full.jpg"),  QStringLiteral("my pic.png"),
                              QStringLiteral("photo.jpg"), QStringLiteral("\u00e9t\u00e9.png")};

    ASSERT_TRUE(OpenMemo());
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_EQ(Pictures(), kept);
    // The saved document still refers to all of them.
    Reopen();
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_EQ(Pictures(), kept);
}

TEST_F(MemoSafetyTest, AFailedSaveRemovesNoPicture) {
    const QString lake = WritePicture(QStringLiteral("pictures/lake.png"), Qt::blue);
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("Lake "));
    AnswerPictureDialog(lake);
    ClickToolbar(kMemoInsertPicture);
    ASSERT_TRUE(Editor()->SaveDocument());
    const QByteArray saved = ReadAll(MemoDocumentPath(m_folder));

    // The picture goes from the memo, then the disk fills up.
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    {
        ScopedWriteFailure full;
        EXPECT_FALSE(Editor()->SaveDocument());
    }
    // The old document still shows the picture: it must still be there.
    EXPECT_EQ(ReadAll(MemoDocumentPath(m_folder)), saved);
    EXPECT_EQ(Pictures(), QStringList{QStringLiteral("lake.png")});

    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_EQ(Pictures(), QStringList());
}

TEST_F(MemoSafetyTest, AFailedOpenLeavesNothingToSave) {
    // Ride 1 is open, with a picture.
    const QString one = WritePicture(QStringLiteral("pictures/one.png"), Qt::red);
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("Ride one"));
    AnswerPictureDialog(one);
    ClickToolbar(kMemoInsertPicture);
    ASSERT_TRUE(Editor()->SaveDocument());
    const QByteArray rideOne = ReadAll(MemoDocumentPath(m_folder));

    // Ride 2 has pictures but no document, and none can be started there.
    const QString rideTwo = m_programDir.FilePath(QStringLiteral("Rides/2"));
    WriteFile(QStringLiteral("Rides/2/data.files/two.png"));
    {
        ScopedWriteFailure full;
        EXPECT_FALSE(Editor()->OpenDocument(rideTwo));
    }
    EXPECT_TRUE(Editor()->GetMemoText().isEmpty());  // not ride 1's memo
    EXPECT_FALSE(View()->EditMode());
    EXPECT_FALSE(Editor()->SaveDocument());
    Editor()->RemoveUnusedPictures();
    EXPECT_FALSE(QFileInfo::exists(MemoDocumentPath(rideTwo)));
    EXPECT_EQ(Pictures(rideTwo), QStringList{QStringLiteral("two.png")});

    // Ride 3's document cannot be read (here: it is a folder).
    const QString rideThree = m_programDir.FilePath(QStringLiteral("Rides/3"));
    ASSERT_TRUE(QDir().mkpath(MemoDocumentPath(rideThree)));
    WriteFile(QStringLiteral("Rides/3/data.files/three.png"));
    EXPECT_FALSE(Editor()->OpenDocument(rideThree));
    EXPECT_FALSE(Editor()->SaveDocument());
    Editor()->RemoveUnusedPictures();
    EXPECT_TRUE(QFileInfo(MemoDocumentPath(rideThree)).isDir());
    EXPECT_EQ(Pictures(rideThree), QStringList{QStringLiteral("three.png")});

    EXPECT_EQ(ReadAll(MemoDocumentPath(m_folder)), rideOne);
    EXPECT_EQ(Pictures(), QStringList{QStringLiteral("one.png")});
}

TEST_F(MemoSafetyTest, LinksOutOfTheMemoFolderAreNeverFollowed) {
    WriteFile(QStringLiteral("Elsewhere/precious.jpg"), "precious");
    WriteFile(QStringLiteral("Elsewhere/notes.txt"), "notes");
    const QString elsewhere = m_programDir.FilePath(QStringLiteral("Elsewhere"));

    // data.files itself leads elsewhere.
    Link(elsewhere, QStringLiteral("Rides/1/data.files"));
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("No pictures"));
    ASSERT_TRUE(Editor()->SaveDocument());
    Editor()->RemoveUnusedPictures();
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files, QDir::Name),
              QStringList({QStringLiteral("notes.txt"), QStringLiteral("precious.jpg")}));

    // Links inside a real data.files, to a file and to a folder.
    ASSERT_TRUE(QFile::remove(MemoPictureFolderPath(m_folder)));
    WriteFile(QStringLiteral("Rides/1/data.files/unused.png"));
    Link(QDir(elsewhere).filePath(QStringLiteral("precious.jpg")),
         QStringLiteral("Rides/1/data.files/link.jpg"));
    Link(elsewhere, QStringLiteral("Rides/1/data.files/folder"));
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_FALSE(QFileInfo::exists(MemoPicturePath(m_folder, QStringLiteral("unused.png"))));
    EXPECT_TRUE(QFileInfo(MemoPicturePath(m_folder, QStringLiteral("link.jpg"))).isSymLink());
    EXPECT_TRUE(QFileInfo(MemoPicturePath(m_folder, QStringLiteral("folder"))).isSymLink());
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Elsewhere/precious.jpg")), QByteArray("precious"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Elsewhere/notes.txt")), QByteArray("notes"));
}

TEST_F(MemoSafetyTest, LinksPlantedBesideTheDocumentCannotRedirectItsSaving) {
    // Names a careless temporary file might take, all leading to a file
    // outside the memo folder. The document is written beside them, under a
    // name of its own, and then moved into place.
    WriteFile(QStringLiteral("Elsewhere/target.txt"), "precious");
    const QString target = m_programDir.FilePath(QStringLiteral("Elsewhere/target.txt"));
    ASSERT_TRUE(OpenMemo());
    const QStringList planted = {QStringLiteral("data.htm.tmp"), QStringLiteral("data.htm~"),
                                 QStringLiteral("data.htm.new"), QStringLiteral(".data.htm.swp"),
                                 QStringLiteral("data.htm.bak"), QStringLiteral("data.tmp")};
    for (const QString& name : planted) {
        Link(target, QStringLiteral("Rides/1/") + name);
    }
    Type(QStringLiteral("Written where it belongs"));
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Elsewhere/target.txt")), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(MemoDocumentPath(m_folder)).isSymLink());
    EXPECT_TRUE(DecodeMemoDocument(ReadAll(MemoDocumentPath(m_folder)))
                    .contains(QStringLiteral("Written where it belongs")));
    for (const QString& name : planted) {
        EXPECT_TRUE(QFileInfo(QDir(m_folder).filePath(name)).isSymLink()) << name.toStdString();
    }
}

TEST_F(MemoSafetyTest, PictureNamesThatLookLikeMarkupAreFoundAgain) {
    const QString entity = WritePicture(QStringLiteral("pictures/a&amp;b.png"), Qt::red);
    const QString percent = WritePicture(QStringLiteral("pictures/100%.png"), Qt::green);
    const QString hash = WritePicture(QStringLiteral("pictures/lap #2.png"), Qt::blue);
    ASSERT_TRUE(OpenMemo());
    for (const QString& picture : {entity, percent, hash}) {
        AnswerPictureDialog(picture);
        ClickToolbar(kMemoInsertPicture);
    }
    ASSERT_TRUE(Editor()->SaveDocument());

    Reopen();
    const QStringList expected = {MemoPicturePath(m_folder, QStringLiteral("a&amp;b.png")),
                                  MemoPicturePath(m_folder, QStringLiteral("100%.png")),
                                  MemoPicturePath(m_folder, QStringLiteral("lap #2.png"))};
    EXPECT_EQ(View()->GetPictureSources(), expected);
    for (int n = 0; n < 3; ++n) {
        const QVariant shown =
            View()->document()->resource(QTextDocument::ImageResource, QUrl(PictureFormat(n).name()));
        EXPECT_FALSE(shown.value<QImage>().isNull()) << n;
    }
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_EQ(Pictures(), QStringList({QStringLiteral("100%.png"), QStringLiteral("a&amp;b.png"),
                                       QStringLiteral("lap #2.png")}));
}

TEST_F(MemoSafetyTest, AddressesIntoAnotherMemoFolderStayAsWritten) {
    const QString shared = WritePicture(QStringLiteral("Rides/7/data.files/shared.png"), Qt::red);
    const QString own = WritePicture(QStringLiteral("Rides/1/data.files/own.png"), Qt::green);
    WriteFile(QStringLiteral("Rides/1/data.htm"),
              (QStringLiteral("<html><body><img src=\"%1\"><img src=\"%2\"></body></html>").arg(shared, own))
                  .toUtf8());
    ASSERT_TRUE(OpenMemo());
    ASSERT_TRUE(Editor()->SaveDocument());

    const QString markup = DecodeMemoDocument(ReadAll(MemoDocumentPath(m_folder)));
    EXPECT_TRUE(markup.contains(QStringLiteral("src=\"%1\"").arg(shared))) << markup.toStdString();
    EXPECT_TRUE(markup.contains(QStringLiteral("src=\"data.files/own.png\""))) << markup.toStdString();
    Reopen();
    EXPECT_EQ(View()->GetPictureSources(), QStringList({shared, own}));
    for (int n = 0; n < 2; ++n) {
        const QVariant shown =
            View()->document()->resource(QTextDocument::ImageResource, QUrl(PictureFormat(n).name()));
        EXPECT_FALSE(shown.value<QImage>().isNull()) << n;
    }
}

TEST_F(MemoSafetyTest, SavingAnUnchangedMemoAgainWritesTheSameBytes) {
    WriteFile(
        QStringLiteral("Rides/1/data.htm"),
        "<HTML><BODY><P align=center><STRONG>Col</STRONG> du <FONT size=5 color=#ff0000>Galibier</FONT>"
        "</P><table border=1><tr><td>2642 m</td><td><i>steep</i></td></tr></table><ul><li>one<li>two</ul>"
        "</BODY></HTML>");
    ASSERT_TRUE(OpenMemo());
    ASSERT_TRUE(Editor()->SaveDocument());
    const QByteArray first = ReadAll(MemoDocumentPath(m_folder));
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_EQ(ReadAll(MemoDocumentPath(m_folder)), first);
    Reopen();
    ASSERT_TRUE(Editor()->SaveDocument());
    EXPECT_EQ(ReadAll(MemoDocumentPath(m_folder)), first);
}

TEST_F(MemoSafetyTest, OpeningAndSavingShowTheBusyCursorAndPutItBack) {
    WriteFile(
        QStringLiteral("Rides/1/data.htm"),
        (QStringLiteral("<html><body>") + Repeat(QStringLiteral("<p>A long day in the saddle.</p>"), 20000) +
         QStringLiteral("</body></html>"))
            .toUtf8());
    std::vector<Qt::CursorShape> seen;
    const auto look = [&seen] {
        const QCursor* cursor = QApplication::overrideCursor();
        seen.push_back(cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
    };
    QObject::connect(View(), &QTextEdit::textChanged, View(), look);
    ASSERT_TRUE(OpenMemo());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    seen.clear();
    {
        // Seen while the file is written; the failed save puts it back too.
        ScopedWriteFailure full([&look](const QString&) {
            look();
            return true;
        });
        EXPECT_FALSE(Editor()->SaveDocument());
    }
    EXPECT_EQ(seen, std::vector<Qt::CursorShape>{Qt::WaitCursor});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    ASSERT_TRUE(QDir().mkpath(m_programDir.FilePath(QStringLiteral("Rides/2/data.htm"))));
    EXPECT_FALSE(Editor()->OpenDocument(m_programDir.FilePath(QStringLiteral("Rides/2"))));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MemoSafetyTest, DeeplyNestedMemosOpenWithAllTheirText) {
    struct Case {
        const char* what;
        QString markup;
    };
    const Case cases[] = {
        // About 32 KB: enough to overflow the stack of the layout.
        {"tables", Repeat(QStringLiteral("<table><tr><td>lap "), 1800) + QStringLiteral("finish") +
                       Repeat(QStringLiteral("</td></tr></table>"), 1800)},
        {"blocks", Repeat(QStringLiteral("<div><blockquote>km "), 10000)},
        {"layout page",
         QStringLiteral("<table width=\"100%\"><tr><td><table width=\"90%\"><tr><td>menu</td><td>"
                        "<table><tr><td><table><tr><td><table border=0><tr><td>name</td><td>what"
                        "</td></tr><tr><td>other</td><td>more</td></tr></table></td></tr></table>"
                        "</td></tr></table></td></tr></table></td></tr></table><p>footer</p>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(QStringLiteral("Rides/1/data.htm"), c.markup.toUtf8());
        ASSERT_TRUE(OpenMemo());
        EXPECT_LE(TableDepth(View()->document()), 3);
        EXPECT_EQ(Words(Editor()->GetMemoText()), WordsOfMarkup(c.markup));
        // Saved and opened again, nothing more is lost.
        ASSERT_TRUE(Editor()->SaveDocument());
        ASSERT_TRUE(OpenMemo());
        EXPECT_EQ(Words(Editor()->GetMemoText()), WordsOfMarkup(c.markup));
    }
}

TEST_F(MemoSafetyTest, PastedDeepMarkupIsFlattenedWithAllItsText) {
    const QString deep = Repeat(QStringLiteral("<table><tr><td>cell "), 1500) + QStringLiteral("end") +
                         Repeat(QStringLiteral("</td></tr></table>"), 1500);
    ASSERT_TRUE(OpenMemo());
    ASSERT_TRUE(View()->PasteHtml(deep));
    EXPECT_LE(TableDepth(View()->document()), 3);
    EXPECT_EQ(Words(Editor()->GetMemoText()), WordsOfMarkup(deep));

    // From the clipboard, with the key.
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    auto* data = new QMimeData;
    data->setHtml(deep);
    data->setText(QStringLiteral("plain"));
    QGuiApplication::clipboard()->setMimeData(data);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_LE(TableDepth(View()->document()), 3);
    EXPECT_EQ(Words(Editor()->GetMemoText()), WordsOfMarkup(deep));

    // Into a cell two tables down, a page of three tables keeps only one.
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    View()->PasteHtml(
        QStringLiteral("<table><tr><td><table><tr><td>inner</td><td>x</td></tr></table></td>"
                       "<td>y</td></tr></table>"));
    QTextCursor afterInner = View()->document()->find(QStringLiteral("inner"));
    afterInner.clearSelection();
    View()->setTextCursor(afterInner);
    ASSERT_EQ(TableDepth(View()->document()), 2);
    View()->PasteHtml(
        QStringLiteral("<table><tr><td>a</td><td><table><tr><td>b</td><td><table><tr><td>c</td>"
                       "<td>d</td></tr></table></td></tr></table></td></tr></table>"));
    EXPECT_EQ(TableDepth(View()->document()), 3);
    const QStringList words = Words(Editor()->GetMemoText());
    for (const char* word : {"a", "b", "c", "d", "inner", "x", "y"}) {
        EXPECT_TRUE(words.contains(QLatin1String(word))) << word;
    }
}

}  // namespace
