// The editor's keys, mouse rules, toolbar state and lists, driven as a user
// would drive them.

#include "memo/HtmlClipboard.h"
#include "memo/MemoTestSupport.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>
#include <functional>

namespace {

TEST(MemoKeys, MatchesTheEditorsOwnKeysOnly) {
    const auto ctrl = Qt::ControlModifier;
    const auto shift = Qt::ShiftModifier;
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::optional<MemoKeyAction> action;
    } cases[] = {
        {Qt::Key_B, ctrl, MemoKeyAction::Bold},
        {Qt::Key_I, ctrl, MemoKeyAction::Italic},
        {Qt::Key_U, ctrl, MemoKeyAction::Underline},
        {Qt::Key_A, ctrl, MemoKeyAction::SelectAll},
        {Qt::Key_C, ctrl, MemoKeyAction::Copy},
        {Qt::Key_V, ctrl, MemoKeyAction::Paste},
        {Qt::Key_X, ctrl, MemoKeyAction::Cut},
        {Qt::Key_Delete, {}, MemoKeyAction::Delete},
        {Qt::Key_Delete, ctrl | shift, MemoKeyAction::Delete},
        {Qt::Key_Z, ctrl, MemoKeyAction::Undo},
        {Qt::Key_Z, ctrl | shift, MemoKeyAction::Undo},
        {Qt::Key_R, ctrl, MemoKeyAction::Redo},
        {Qt::Key_Tab, {}, MemoKeyAction::Indent},
        {Qt::Key_Tab, ctrl, MemoKeyAction::Indent},
        {Qt::Key_Tab, shift, MemoKeyAction::Outdent},
        {Qt::Key_Backtab, shift, MemoKeyAction::Outdent},
        {Qt::Key_P, ctrl, MemoKeyAction::PrintPreview},
        {Qt::Key_S, ctrl, MemoKeyAction::Save},
        {Qt::Key_Q, ctrl, MemoKeyAction::ShowText},
        {Qt::Key_A, {}, std::nullopt},
        {Qt::Key_S, shift, std::nullopt},
        {Qt::Key_B, {}, std::nullopt},
        {Qt::Key_U, shift, std::nullopt},
        {Qt::Key_Return, {}, std::nullopt},
        {Qt::Key_Escape, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchMemoKey(c.key, c.modifiers), c.action)
            << "key " << c.key << " modifiers " << c.modifiers.toInt();
    }
}

TEST(MemoLists, FindsEntriesFromTheSecondOnWrappingRound) {
    const QStringList entries = {"Arial", "Courier", "arial black", "Times"};
    EXPECT_EQ(FindListEntry(entries, QStringLiteral("ARIAL")), 2);
    EXPECT_EQ(FindListEntry(entries, QStringLiteral("Times")), 3);
    EXPECT_EQ(FindListEntry(entries, QStringLiteral("Arial B")), 2);
    EXPECT_EQ(FindListEntry({"Arial", "Courier"}, QStringLiteral("Ari")), 0);
    EXPECT_EQ(FindListEntry(entries, QStringLiteral("Verdana")), -1);
    EXPECT_EQ(FindListEntry(entries, QString()), -1);
    EXPECT_EQ(FindListEntry({"1", "2", "3"}, QStringLiteral("3")), 2);
}

TEST_F(MemoEditorTest, TabIndentsAndNeverLeavesTheEditor) {
    auto* next = new QLineEdit(m_host.get());
    next->setObjectName(QStringLiteral("afterMemo"));
    next->show();
    ASSERT_TRUE(OpenMemo());
    View()->setFocus();
    Type(QStringLiteral("Climb"));

    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), View());
    EXPECT_EQ(View()->textCursor().block().blockFormat().indent(), 1);
    EXPECT_FALSE(View()->GetBodyText().contains(QLatin1Char('\t')));
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(View()->textCursor().block().blockFormat().indent(), 2);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), View());
    EXPECT_EQ(View()->textCursor().block().blockFormat().indent(), 1);
    ClickToolbar(kMemoOutdent);
    EXPECT_EQ(View()->textCursor().block().blockFormat().indent(), 0);
    ClickToolbar(kMemoIndent);
    EXPECT_EQ(View()->textCursor().block().blockFormat().indent(), 1);
}

TEST_F(MemoEditorTest, EditingKeysWorkAndAreConsumed) {
    // A host shortcut on the same keys must not see them while the memo has the focus.
    int hostShortcuts = 0;
    for (const QKeySequence& sequence :
         {QKeySequence(QStringLiteral("Ctrl+S")), QKeySequence(QStringLiteral("Ctrl+Z")),
          QKeySequence(QStringLiteral("Ctrl+A"))}) {
        auto* shortcut = new QShortcut(sequence, m_host.get());
        QObject::connect(shortcut, &QShortcut::activated, m_host.get(), [&] { ++hostShortcuts; });
    }
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("Gravel road"));

    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(View()->textCursor().selectedText(), QStringLiteral("Gravel road"));
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(View()->GetBodyText().isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Gravel road"));
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(View()->GetBodyText(), QStringLiteral("Gravel roadGravel road"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(View()->GetBodyText(), QStringLiteral("Gravel road"));
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(View()->GetBodyText(), QStringLiteral("Gravel roadGravel road"));

    Key(Qt::Key_Home);
    Key(Qt::Key_Delete, Qt::ShiftModifier);  // delete, not cut, whatever is held
    EXPECT_EQ(View()->GetBodyText(), QStringLiteral("ravel roadGravel road"));
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(View()->GetBodyText(), QStringLiteral("avel roadGravel road"));

    Select(QStringLiteral("road"));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("road"));
    EXPECT_EQ(View()->GetBodyText(), QStringLiteral("avel roadGravel road"));

    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFileInfo::exists(MemoDocumentPath(m_folder)));
    EXPECT_EQ(hostShortcuts, 0);
}

TEST_F(MemoEditorTest, CtrlQShowsTheMemoText) {
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("Line one"));
    Key(Qt::Key_Return);
    Type(QStringLiteral("Line two"));
    m_dialogs.AnswerMessage(kButtonOk, QStringLiteral("Line one\r\nLine two"));
    Key(Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(m_dialogs.Asked().size(), 1u);
    EXPECT_EQ(m_dialogs.Asked()[0].title, QStringLiteral("Velomarq"));
    EXPECT_EQ(m_dialogs.Asked()[0].buttons, kButtonOk);
    EXPECT_EQ(View()->GetBodyText(), QStringLiteral("Line one\r\nLine two"));  // no "q" typed
}

TEST_F(MemoEditorTest, RightClickDoesNothing) {
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("Keep this selected"));
    Select(QStringLiteral("this"));
    const QTextCursor before = View()->textCursor();
    const QPoint elsewhere = View()->cursorRect(QTextCursor(View()->document())).center();
    QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, elsewhere);
    QTest::mouseDClick(View()->viewport(), Qt::RightButton, {}, elsewhere);
    // The menu request a window system sends along with a right click, and the one of the menu key.
    QContextMenuEvent mouseMenu(QContextMenuEvent::Mouse, elsewhere,
                                View()->viewport()->mapToGlobal(elsewhere));
    QCoreApplication::sendEvent(View()->viewport(), &mouseMenu);
    QContextMenuEvent keyMenu(QContextMenuEvent::Keyboard, elsewhere, View()->mapToGlobal(elsewhere));
    QCoreApplication::sendEvent(View(), &keyMenu);
    QWidget* popup = QApplication::activePopupWidget();
    EXPECT_EQ(popup, nullptr);
    if (popup != nullptr) {
        popup->close();
    }
    EXPECT_EQ(View()->textCursor().selectionStart(), before.selectionStart());
    EXPECT_EQ(View()->textCursor().selectionEnd(), before.selectionEnd());
}

TEST_F(MemoEditorTest, DoubleClickOpensThePictureDialogOnlyOnAPicture) {
    const QString picture = WritePicture(QStringLiteral("pictures/bridge.png"), Qt::darkCyan, QSize(80, 60));
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("Bridge "));
    AnswerPictureDialog(picture);
    ClickToolbar(kMemoInsertPicture);
    Type(QStringLiteral(" crossing"));
    ASSERT_EQ(m_pictureDialogs, 1);

    // On text: a word is selected as usual, no dialog.
    CancelPictureDialog();
    QTextCursor word = View()->document()->find(QStringLiteral("crossing"));
    word.setPosition(word.selectionStart() + 2);
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, View()->cursorRect(word).center());
    EXPECT_EQ(m_pictureDialogs, 1);
    EXPECT_EQ(View()->textCursor().selectedText(), QStringLiteral("crossing"));

    // On the picture: the dialog, in modify mode, with the picture's address and size.
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, PicturePoint(0));
    EXPECT_EQ(m_pictureDialogs, 2);
    EXPECT_EQ(m_shownRequest.mode, PictureMode::Modify);
    EXPECT_EQ(m_shownRequest.filePath, MemoPicturePath(m_folder, QStringLiteral("bridge.png")));
    EXPECT_EQ(m_shownRequest.sizeMode, 0);
    EXPECT_EQ(m_shownRequest.width, 80);
    EXPECT_EQ(m_shownRequest.height, 60);
    EXPECT_FALSE(PictureFormat(0).hasProperty(QTextFormat::ImageWidth));  // cancelled: unchanged
}

TEST_F(MemoEditorTest, CtrlBIAndUToggleBoldItalicAndUnderlineWhileTyping) {
    // A host shortcut on the same keys must not take them from the memo.
    int hostShortcuts = 0;
    for (const char* keys : {"Ctrl+B", "Ctrl+I", "Ctrl+U"}) {
        auto* shortcut = new QShortcut(QKeySequence(QLatin1String(keys)), m_host.get());
        QObject::connect(shortcut, &QShortcut::activated, m_host.get(), [&] { ++hostShortcuts; });
    }
    ASSERT_TRUE(OpenMemo());
    Key(Qt::Key_B, Qt::ControlModifier);
    Type(QStringLiteral("Strong"));
    Key(Qt::Key_B, Qt::ControlModifier);
    Type(QStringLiteral(" and "));
    Key(Qt::Key_I, Qt::ControlModifier);
    Type(QStringLiteral("slanted"));
    EXPECT_TRUE(Editor()->CommandAction(kMemoItalic)->isChecked());
    Key(Qt::Key_I, Qt::ControlModifier);
    Type(QStringLiteral(" then "));
    Key(Qt::Key_U, Qt::ControlModifier);
    Key(Qt::Key_B, Qt::ControlModifier);
    Type(QStringLiteral("both"));
    Key(Qt::Key_U, Qt::ControlModifier);
    Key(Qt::Key_B, Qt::ControlModifier);
    Type(QStringLiteral(" plain"));

    EXPECT_EQ(Editor()->GetMemoText(), QStringLiteral("Strong and slanted then both plain"));
    EXPECT_TRUE(FormatOf(QStringLiteral("Strong")).font().bold());
    EXPECT_FALSE(FormatOf(QStringLiteral("and")).font().bold());
    EXPECT_TRUE(FormatOf(QStringLiteral("slanted")).fontItalic());
    EXPECT_FALSE(FormatOf(QStringLiteral("then")).fontItalic());
    EXPECT_TRUE(FormatOf(QStringLiteral("both")).fontUnderline());
    EXPECT_TRUE(FormatOf(QStringLiteral("both")).font().bold());
    EXPECT_FALSE(FormatOf(QStringLiteral("plain")).fontUnderline());
    EXPECT_FALSE(FormatOf(QStringLiteral("plain")).font().bold());
    // A selection is toggled as a whole.
    Select(QStringLiteral("plain"));
    Key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(FormatOf(QStringLiteral("plain")).fontItalic());
    EXPECT_EQ(hostShortcuts, 0);
    EXPECT_EQ(m_pictureDialogs, 0);
}

TEST_F(MemoEditorTest, ToolbarMarksFollowTheCaret) {
    ASSERT_TRUE(OpenMemo());
    ClickToolbar(kMemoBold);
    EXPECT_TRUE(Editor()->CommandAction(kMemoBold)->isChecked());
    Type(QStringLiteral("Fast"));
    ClickToolbar(kMemoBold);
    ClickToolbar(kMemoUnderline);
    Type(QStringLiteral(" descent"));
    ClickToolbar(kMemoUnderline);
    Type(QStringLiteral(" home"));

    const struct {
        const char* word;
        bool bold, italic, underline, strike;
    } cases[] = {
        {"Fast", true, false, false, false},
        {"descent", false, false, true, false},
        {"home", false, false, false, false},
    };
    for (const auto& c : cases) {
        CaretInto(QLatin1String(c.word));
        EXPECT_EQ(Editor()->CommandAction(kMemoBold)->isChecked(), c.bold) << c.word;
        EXPECT_EQ(Editor()->CommandAction(kMemoItalic)->isChecked(), c.italic) << c.word;
        EXPECT_EQ(Editor()->CommandAction(kMemoUnderline)->isChecked(), c.underline) << c.word;
        EXPECT_EQ(Editor()->CommandAction(kMemoStrikeThrough)->isChecked(), c.strike) << c.word;
    }
    Select(QStringLiteral("home"));
    ClickToolbar(kMemoStrikeThrough);
    EXPECT_TRUE(FormatOf(QStringLiteral("home")).fontStrikeOut());
    EXPECT_TRUE(Editor()->CommandAction(kMemoStrikeThrough)->isChecked());
}

TEST_F(MemoEditorTest, SizeListAppliesAndKeepsShowingTheSize) {
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("small print"));
    Select(QStringLiteral("small"));
    QComboBox* sizes = Editor()->FontSizeList();
    ASSERT_EQ(sizes->count(), 7);
    EXPECT_EQ(sizes->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(sizes->itemText(6), QStringLiteral("7"));
    ChooseListEntry(sizes, 0);
    EXPECT_EQ(FormatOf(QStringLiteral("small")).fontPointSize(), kHtmlFontSizePoints[0]);
    CaretInto(QStringLiteral("small"));
    Editor()->RefreshToolbarState();
    EXPECT_EQ(sizes->currentText(), QStringLiteral("1"));
    CaretInto(QStringLiteral("print"));
    EXPECT_EQ(sizes->currentText(), QStringLiteral("3"));
    EXPECT_EQ(QApplication::focusWidget(), View());
}

TEST_F(MemoEditorTest, OpenListIsLeftAloneWhileTheCaretMoves) {
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("normal big"));
    Select(QStringLiteral("big"));
    ChooseListEntry(Editor()->FontSizeList(), 6);
    CaretInto(QStringLiteral("normal"));
    QComboBox* sizes = Editor()->FontSizeList();
    ASSERT_EQ(sizes->currentText(), QStringLiteral("3"));

    sizes->showPopup();
    CaretInto(QStringLiteral("big"));
    EXPECT_EQ(sizes->currentText(), QStringLiteral("3"));
    sizes->hidePopup();
    CaretInto(QStringLiteral("normal"));
    CaretInto(QStringLiteral("big"));
    EXPECT_EQ(sizes->currentText(), QStringLiteral("7"));
}

TEST_F(MemoEditorTest, ColourChooserSetsOrLeavesTheColour) {
    ASSERT_TRUE(OpenMemo());
    Type(QStringLiteral("warning"));
    Select(QStringLiteral("warning"));
    m_dialogs.AnswerColour(std::nullopt);
    ClickToolbar(kMemoTextColour);
    EXPECT_EQ(FormatOf(QStringLiteral("warning")).foreground().style(), Qt::NoBrush);
    m_dialogs.AnswerColour(QColor(Qt::yellow));
    ClickToolbar(kMemoBackgroundColour);
    EXPECT_EQ(FormatOf(QStringLiteral("warning")).background().color(), QColor(Qt::yellow));
}

TEST_F(MemoEditorTest, CopyFallbackPutsTheHtmlBlockOnTheClipboard) {
    ASSERT_TRUE(OpenMemo());
    ClickToolbar(kMemoBold);
    Type(QStringLiteral("x"));
    Select(QStringLiteral("x"));
    ASSERT_TRUE(Editor()->CopySelectionAsHtml(false));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), QStringLiteral("x"));
    EXPECT_TRUE(data->html().contains(QStringLiteral("font-weight:700"))) << data->html().toStdString();
    const QByteArray block = data->data(QLatin1String(kHtmlFormatMimeType));
    EXPECT_TRUE(block.startsWith("Version:0.9\r\nStartHTML:00000097\r\n"));
    EXPECT_TRUE(block.contains(data->html().toUtf8()));
    EXPECT_EQ(View()->GetBodyText(), QStringLiteral("x"));

    // Cut empties the selection; with nothing selected nothing is placed.
    ASSERT_TRUE(Editor()->CopySelectionAsHtml(true));
    EXPECT_TRUE(View()->GetBodyText().isEmpty());
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    EXPECT_FALSE(Editor()->CopySelectionAsHtml(true));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

TEST_F(MemoEditorTest, ToolbarHasItsButtonsSeparatorsAndTips) {
    const QList<QAction*> actions = Editor()->ToolBar()->actions();
    QStringList shape;
    for (QAction* action : actions) {
        shape << (action->isSeparator() ? QStringLiteral("|") : action->objectName().mid(11));
    }
    EXPECT_EQ(shape.join(QLatin1Char(' ')),
              QStringLiteral("0 1 2 | 3 4 5 6 | 10 9 | 11 12 13 | 7 8 | 14 15 | 16 | 17"));
    EXPECT_EQ(Editor()->CommandAction(kMemoCut)->toolTip(),
              GetLanguageString("MemoEditor", "CUTT") + QStringLiteral(" (Ctrl+X)"));
    EXPECT_EQ(Editor()->CommandAction(kMemoBold)->toolTip(),
              GetLanguageString("MemoEditor", "BOLD") + QStringLiteral(" (Ctrl+B)"));
    EXPECT_EQ(Editor()->CommandAction(kMemoStrikeThrough)->toolTip(),
              GetLanguageString("MemoEditor", "STRK"));
    EXPECT_EQ(Editor()->CommandAction(kMemoInsertPicture)->toolTip(),
              GetLanguageString("MemoEditor", "PICT"));
    for (int command : {kMemoBold, kMemoItalic, kMemoUnderline, kMemoStrikeThrough}) {
        EXPECT_TRUE(Editor()->CommandAction(command)->isCheckable()) << command;
    }
    for (int command = 0; command < kMemoCommandCount; ++command) {
        QAction* action = Editor()->CommandAction(command);
        ASSERT_NE(action, nullptr) << command;
        EXPECT_TRUE(action->isEnabled()) << command;
        EXPECT_FALSE(action->icon().pixmap(16, 16).isNull()) << command;
        EXPECT_FALSE(action->toolTip().contains(QStringLiteral("<NULL>"))) << command;
    }
    EXPECT_EQ(Editor()->FontNameList()->count(), QFontDatabase::families().size());
}

TEST_F(MemoEditorTest, MarksAreRightAsSoonAsADocumentOpens) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/1/data.htm"),
                                       EncodeMemoDocument(QStringLiteral("<p><b>Bold</b> start</p>"))));
    ASSERT_TRUE(OpenMemo());
    EXPECT_EQ(View()->textCursor().position(), 0);
    EXPECT_TRUE(Editor()->CommandAction(kMemoBold)->isChecked());
}
// Stands in for a colour chooser that is open while something else closes
// the editor's host.
class ColourChooserThatOutlivesTheEditor : public Dialogs {
public:
    explicit ColourChooserThatOutlivesTheEditor(std::function<void()> whileOpen) : m_whileOpen(whileOpen) {}
    int MessageBox(QWidget*, const QString&, const QString&, MessageIcon, int, int) override { return 0; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString GetOpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString BrowseForFolder(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QColor> ChooseColour(QWidget*, const QColor&) override {
        m_whileOpen();
        return QColor(Qt::red);
    }

private:
    std::function<void()> m_whileOpen;
};

TEST_F(MemoEditorTest, HostMayCloseWhileADialogOfTheEditorIsOpen) {
    const QString hill = WritePicture(QStringLiteral("pictures/hill.png"), Qt::darkGreen);
    // The picture dialog.
    ASSERT_TRUE(OpenMemo());
    m_pictureDriver.emplace([this, hill](HtmlPictureDlg& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("filePath"))->setText(hill);
        m_host.reset();
    });
    Editor()->InsertPicture();
    EXPECT_FALSE(QFileInfo::exists(MemoPictureFolderPath(m_folder)));
    m_pictureDriver.reset();

    // The colour chooser.
    Reopen();
    ColourChooserThatOutlivesTheEditor chooser([this] { m_host.reset(); });
    SetAppDialogs(&chooser);
    Editor()->RunCommand(kMemoTextColour);
    SetAppDialogs(&m_dialogs);

    // The print preview.
    Reopen();
    QTimer::singleShot(0, [this] { m_host.reset(); });
    Editor()->RunCommand(kMemoPrintPreview);
    EXPECT_EQ(m_host, nullptr);
}
}  // namespace
