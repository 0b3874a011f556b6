#include "memo/MemoEditor.h"

#include "language/Language.h"
#include "memo/HtmlClipboard.h"
#include "memo/HtmlPictureDlg.h"
#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "platform/BusyCursor.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/Files.h"
#include "units/ProductInfo.h"
#include "units/Units.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QTextCharFormat>
#include <QTimerEvent>
#include <QToolBar>
#include <cerrno>
#include <functional>

namespace {
constexpr int kRefreshIntervalMs = 500;
constexpr int kImageSize = 16;
constexpr int kSeparator = -1;

struct ToolbarButton {
    int command;           // kSeparator for a bar between groups
    bool check;            // shows a pressed state
    const char* shortcut;  // the key that does the same, or nullptr
    LanguageKey tip;
};

// Left to right as they appear; command numbers index the image strips.
const ToolbarButton kToolbarButtons[] = {
    {kMemoCut, false, "Ctrl+X", LanguageKey{"MemoEditor", "CUTT"}},
    {kMemoCopy, false, "Ctrl+C", LanguageKey{"MemoEditor", "COPY"}},
    {kMemoPaste, false, "Ctrl+V", LanguageKey{"MemoEditor", "PAST"}},
    {kSeparator, false, nullptr, {}},
    {kMemoBold, true, "Ctrl+B", LanguageKey{"MemoEditor", "BOLD"}},
    {kMemoItalic, true, "Ctrl+I", LanguageKey{"MemoEditor", "ITAL"}},
    {kMemoUnderline, true, "Ctrl+U", LanguageKey{"MemoEditor", "UNDL"}},
    {kMemoStrikeThrough, true, nullptr, LanguageKey{"MemoEditor", "STRK"}},
    {kSeparator, false, nullptr, {}},
    {kMemoOutdent, false, "Shift+TAB", LanguageKey{"MemoEditor", "OUTD"}},
    {kMemoIndent, false, "TAB", LanguageKey{"MemoEditor", "INDT"}},
    {kSeparator, false, nullptr, {}},
    {kMemoJustifyLeft, false, nullptr, LanguageKey{"MemoEditor", "ALNL"}},
    {kMemoJustifyCenter, false, nullptr, LanguageKey{"MemoEditor", "ALNC"}},
    {kMemoJustifyRight, false, nullptr, LanguageKey{"MemoEditor", "ALNR"}},
    {kSeparator, false, nullptr, {}},
    {kMemoTextColour, false, nullptr, LanguageKey{"MemoEditor", "TCOL"}},
    {kMemoBackgroundColour, false, nullptr, LanguageKey{"MemoEditor", "BCOL"}},
    {kSeparator, false, nullptr, {}},
    {kMemoUndo, false, "Ctrl+Z", LanguageKey{"MemoEditor", "UNDO"}},
    {kMemoRedo, false, "Ctrl+R", LanguageKey{"MemoEditor", "REDO"}},
    {kSeparator, false, nullptr, {}},
    {kMemoInsertPicture, false, nullptr, LanguageKey{"MemoEditor", "PICT"}},
    {kSeparator, false, nullptr, {}},
    {kMemoPrintPreview, false, "Ctrl+P", LanguageKey{"MemoEditor", "PRNT"}},
};

// The view commands behind the plain toolbar buttons.
std::optional<HtmlCommand> ViewCommandFor(int command) {
    switch (command) {
        case kMemoCut:
            return HtmlCommand::Cut;
        case kMemoCopy:
            return HtmlCommand::Copy;
        case kMemoPaste:
            return HtmlCommand::Paste;
        case kMemoBold:
            return HtmlCommand::Bold;
        case kMemoItalic:
            return HtmlCommand::Italic;
        case kMemoUnderline:
            return HtmlCommand::Underline;
        case kMemoStrikeThrough:
            return HtmlCommand::StrikeThrough;
        case kMemoIndent:
            return HtmlCommand::Indent;
        case kMemoOutdent:
            return HtmlCommand::Outdent;
        case kMemoJustifyLeft:
            return HtmlCommand::JustifyLeft;
        case kMemoJustifyCenter:
            return HtmlCommand::JustifyCenter;
        case kMemoJustifyRight:
            return HtmlCommand::JustifyRight;
        case kMemoUndo:
            return HtmlCommand::Undo;
        case kMemoRedo:
            return HtmlCommand::Redo;
        case kMemoPrintPreview:
            return HtmlCommand::PrintPreview;
        default:
            return std::nullopt;
    }
}

// A drop-down list that reports when its list opens and closes, so that the
// caret polling leaves it alone while the user is choosing.
class MemoComboBox : public QComboBox {
public:
    MemoComboBox(QWidget* parent, std::function<void(bool)> onDropDown)
        : QComboBox(parent), m_onDropDown(std::move(onDropDown)) {}

    void showPopup() override {
        m_onDropDown(true);
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        m_onDropDown(false);
    }

private:
    std::function<void(bool)> m_onDropDown;
};

QPixmap StripImage(const QPixmap& strip, int index) {
    if (strip.isNull()) {
        return {};
    }
    const qreal ratio = strip.devicePixelRatio();
    const int side = qRound(kImageSize * ratio);
    QPixmap image = strip.copy(index * side, 0, side, side);
    image.setDevicePixelRatio(ratio);
    return image;
}
}  // namespace

std::optional<MemoKeyAction> MatchMemoKey(int key, Qt::KeyboardModifiers modifiers) {
    struct MemoKey {
        int key;
        bool needsControl;
        MemoKeyAction action;
    };
    // Tested in this order. Delete and Tab do not look at Ctrl; Shift+Tab
    // arrives as Backtab.
    static constexpr MemoKey kKeys[] = {
        {Qt::Key_B, true, MemoKeyAction::Bold},         {Qt::Key_I, true, MemoKeyAction::Italic},
        {Qt::Key_U, true, MemoKeyAction::Underline},    {Qt::Key_A, true, MemoKeyAction::SelectAll},
        {Qt::Key_C, true, MemoKeyAction::Copy},         {Qt::Key_V, true, MemoKeyAction::Paste},
        {Qt::Key_X, true, MemoKeyAction::Cut},          {Qt::Key_Delete, false, MemoKeyAction::Delete},
        {Qt::Key_Z, true, MemoKeyAction::Undo},         {Qt::Key_R, true, MemoKeyAction::Redo},
        {Qt::Key_Tab, false, MemoKeyAction::Indent},    {Qt::Key_Backtab, false, MemoKeyAction::Outdent},
        {Qt::Key_P, true, MemoKeyAction::PrintPreview}, {Qt::Key_S, true, MemoKeyAction::Save},
        {Qt::Key_Q, true, MemoKeyAction::ShowText},
    };
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    for (const MemoKey& entry : kKeys) {
        if (entry.key != key || (entry.needsControl && !control)) {
            continue;
        }
        if (entry.action == MemoKeyAction::Indent && modifiers.testFlag(Qt::ShiftModifier)) {
            return MemoKeyAction::Outdent;
        }
        return entry.action;
    }
    return std::nullopt;
}

int FindListEntry(const QStringList& entries, const QString& text) {
    if (text.isEmpty() || entries.isEmpty()) {
        return -1;
    }
    const qsizetype count = entries.size();
    for (qsizetype step = 0; step < count; ++step) {
        const qsizetype index = (1 + step) % count;
        if (entries.at(index).startsWith(text, Qt::CaseInsensitive)) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

MemoEditor::MemoEditor(QWidget* parent)
    : QWidget(parent),
      m_fontNames(new MemoComboBox(this, [this](bool open) { SetRefreshing(!open); })),
      m_fontSizes(new MemoComboBox(this, [this](bool open) { SetRefreshing(!open); })),
      m_toolBar(BuildToolBar()),
      m_view(new HtmlView(this)) {
    setObjectName(QStringLiteral("MemoEditor"));
    // Covers the host until the host places it.
    if (parent != nullptr) {
        setGeometry(parent->rect());
    }

    m_fontNames->setObjectName(QStringLiteral("fontName"));
    m_fontNames->setEditable(false);
    m_fontNames->setMaxVisibleItems(16);
    m_fontNames->addItems(QFontDatabase::families());

    m_fontSizes->setObjectName(QStringLiteral("fontSize"));
    m_fontSizes->setEditable(false);
    for (int size = 1; size <= 7; ++size) {
        m_fontSizes->addItem(QString::number(size));
    }

    m_view->setObjectName(QStringLiteral("htmlView"));
    m_view->Navigate(QStringLiteral("about:blank"));
    m_view->SetEditMode(true);
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);

    connect(m_fontNames, &QComboBox::activated, this, &MemoEditor::OnFontNameChosen);
    connect(m_fontSizes, &QComboBox::activated, this, &MemoEditor::OnFontSizeChosen);
    // The timer keeps the toolbar right whatever changed the text; following
    // the caret's own signals as well makes it answer at once.
    connect(m_view, &QTextEdit::cursorPositionChanged, this, [this] {
        if (m_refresh) {
            RefreshToolbarState();
        }
    });
    connect(m_view, &QTextEdit::currentCharFormatChanged, this, [this] {
        if (m_refresh) {
            RefreshToolbarState();
        }
    });

    LayoutChildren();
    m_refreshTimer.start(kRefreshIntervalMs, this);
    RefreshToolbarState();
}

MemoEditor::~MemoEditor() {
    // The view outlives this destructor's body by a little; nothing it does
    // while it goes may reach the half-destroyed editor.
    m_refreshTimer.stop();
    m_view->removeEventFilter(this);
    m_view->viewport()->removeEventFilter(this);
    m_view->disconnect(this);
}

QToolBar* MemoEditor::BuildToolBar() {
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("memoToolBar"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(kImageSize, kImageSize));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    const QPixmap normal(QStringLiteral(":/memo/toolbar.png"));
    const QPixmap hot(QStringLiteral(":/memo/toolbar_hot.png"));
    m_actions.assign(kMemoCommandCount, nullptr);
    for (const ToolbarButton& button : kToolbarButtons) {
        if (button.command == kSeparator) {
            toolBar->addSeparator();
            continue;
        }
        QIcon icon;
        icon.addPixmap(StripImage(normal, button.command), QIcon::Normal);
        // Pointed-at buttons show the hot image; so do pressed check buttons.
        icon.addPixmap(StripImage(hot, button.command), QIcon::Active);
        icon.addPixmap(StripImage(hot, button.command), QIcon::Normal, QIcon::On);
        auto* action = new QAction(icon, QString(), this);
        QString tip = GetLanguageString(button.tip);
        if (button.shortcut != nullptr) {
            tip += QStringLiteral(" (") + QLatin1String(button.shortcut) + QLatin1Char(')');
        }
        action->setToolTip(tip);
        action->setCheckable(button.check);
        action->setObjectName(QStringLiteral("memoCommand%1").arg(button.command));
        const int command = button.command;
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        toolBar->addAction(action);
        m_actions[command] = action;
    }
    return toolBar;
}

void MemoEditor::LayoutChildren() {
    // The toolbar reaches past the right edge so it never folds its buttons
    // into an overflow menu; the excess is simply clipped.
    m_toolBar->setGeometry(2, 2, width() + 300, 30);
    const int listHeight = m_fontNames->sizeHint().height();
    m_fontNames->setGeometry(2, 30, 224, listHeight);
    m_fontSizes->setGeometry(234, 30, 80, listHeight);
    const int viewTop = std::max(60, 30 + listHeight + 2);
    m_view->setGeometry(1, viewTop, std::max(0, width() - 2), std::max(0, height() - viewTop));
}

void MemoEditor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutChildren();
}

void MemoEditor::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_refreshTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (m_refresh) {
        RefreshToolbarState();
    }
}

void MemoEditor::SetRefreshing(bool on) {
    m_refresh = on;
}

QAction* MemoEditor::CommandAction(int command) const {
    if (command < 0 || command >= static_cast<int>(m_actions.size())) {
        return nullptr;
    }
    return m_actions[command];
}

void MemoEditor::RefreshToolbarState() {
    static constexpr std::pair<int, HtmlCommand> kCheckButtons[] = {
        {kMemoBold, HtmlCommand::Bold},
        {kMemoItalic, HtmlCommand::Italic},
        {kMemoUnderline, HtmlCommand::Underline},
        {kMemoStrikeThrough, HtmlCommand::StrikeThrough},
    };
    for (const auto& [command, state] : kCheckButtons) {
        m_actions[command]->setChecked(m_view->QueryCommandState(state));
    }

    const auto select = [](QComboBox* list, const QString& text) {
        QStringList entries;
        entries.reserve(list->count());
        for (int i = 0; i < list->count(); ++i) {
            entries.append(list->itemText(i));
        }
        const int index = FindListEntry(entries, text);
        if (list->currentIndex() != index) {
            list->setCurrentIndex(index);
        }
    };
    select(m_fontNames, m_view->QueryCommandValue(HtmlCommand::FontName).toString());
    select(m_fontSizes, QString::number(m_view->QueryCommandValue(HtmlCommand::FontSize).toInt()));
}

void MemoEditor::RunCommand(int command) {
    // Several commands open a modal dialog, during which the host may close.
    const QPointer<MemoEditor> self(this);
    switch (command) {
        case kMemoTextColour:
        case kMemoBackgroundColour:
            ChooseColour(command);
            break;
        case kMemoInsertPicture:
            InsertPicture();
            break;
        case kMemoCopy:
            if (!m_view->ExecCommand(HtmlCommand::Copy)) {
                CopySelectionAsHtml(false);
            }
            break;
        case kMemoCut:
            if (!m_view->ExecCommand(HtmlCommand::Cut)) {
                CopySelectionAsHtml(true);
            }
            break;
        default:
            if (const auto viewCommand = ViewCommandFor(command)) {
                m_view->ExecCommand(*viewCommand);
            }
            break;
    }
    if (self != nullptr) {
        RefreshToolbarState();
    }
}

void MemoEditor::ChooseColour(int command) {
    const bool text = command == kMemoTextColour;
    const QTextCharFormat format = m_view->currentCharFormat();
    QColor initial = text ? format.foreground().color() : format.background().color();
    if (!initial.isValid() || (text && format.foreground().style() == Qt::NoBrush)) {
        initial = text ? QColor(Qt::black) : QColor(Qt::white);
    }
    const QPointer<MemoEditor> self(this);
    const std::optional<QColor> colour = AppDialogs().ChooseColour(this, initial);
    if (self != nullptr && colour && colour->isValid()) {
        m_view->ExecCommand(text ? HtmlCommand::ForeColor : HtmlCommand::BackColor, *colour);
    }
}

void MemoEditor::OnFontNameChosen(int index) {
    if (index < 0) {
        return;
    }
    m_view->ExecCommand(HtmlCommand::FontName, m_fontNames->itemText(index));
    m_view->setFocus();
}

void MemoEditor::OnFontSizeChosen(int index) {
    if (index < 0) {
        return;
    }
    const int size = m_fontSizes->itemText(index).toInt();
    if (size != 0) {
        m_view->ExecCommand(HtmlCommand::FontSize, size);
    }
    m_view->setFocus();
}

bool MemoEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view) {
        if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const std::optional<MemoKeyAction> action = MatchMemoKey(key->key(), key->modifiers());
            if (!action) {
                return false;
            }
            // Claiming the override keeps host shortcuts from taking our keys.
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                PerformKeyAction(*action);
            }
            return true;
        }
        if (event->type() == QEvent::ContextMenu) {
            return true;
        }
        return false;
    }
    if (watched == m_view->viewport()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::RightButton) {
                    return true;
                }
                if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
                    const QPoint point = mouse->position().toPoint();
                    // Double-clicks on text still select a word as usual.
                    if (m_view->PictureAtPoint(point.x(), point.y())) {
                        EditPictureAt(point.x(), point.y());
                        return true;
                    }
                }
                return false;
            }
            case QEvent::MouseButtonRelease:
                return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
            case QEvent::ContextMenu:
                return true;
            default:
                return false;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MemoEditor::PerformKeyAction(MemoKeyAction action) {
    // Keys that do exactly what a toolbar button does run through the same path.
    struct KeyCommand {
        MemoKeyAction action;
        int command;
    };
    static constexpr KeyCommand kKeyCommands[] = {
        {MemoKeyAction::Bold, kMemoBold},
        {MemoKeyAction::Italic, kMemoItalic},
        {MemoKeyAction::Underline, kMemoUnderline},
        {MemoKeyAction::Copy, kMemoCopy},
        {MemoKeyAction::Paste, kMemoPaste},
        {MemoKeyAction::Cut, kMemoCut},
        {MemoKeyAction::Undo, kMemoUndo},
        {MemoKeyAction::Redo, kMemoRedo},
        {MemoKeyAction::Indent, kMemoIndent},
        {MemoKeyAction::Outdent, kMemoOutdent},
        {MemoKeyAction::PrintPreview, kMemoPrintPreview},
    };
    for (const KeyCommand& entry : kKeyCommands) {
        if (entry.action == action) {
            RunCommand(entry.command);
            return;
        }
    }
    switch (action) {
        case MemoKeyAction::SelectAll:
            m_view->ExecCommand(HtmlCommand::SelectAll);
            break;
        case MemoKeyAction::Delete:
            m_view->ExecCommand(HtmlCommand::Delete);
            break;
        case MemoKeyAction::Save:
            // A save the user asked for must not fail unnoticed.
            if (!SaveDocument()) {
                ShowFailure(this, GetLanguageString("ErrorStrings", "STDB"),
                            SystemFailureReason(m_documentError));
            }
            break;
        case MemoKeyAction::ShowText:
            AppDialogs().MessageBox(this, GetMemoText(), QLatin1String(kProductName), MessageIcon::None,
                                    kButtonOk, kButtonOk);
            break;
        default:
            break;  // handled by the table above
    }
}

bool MemoEditor::OpenDocument(const QString& folder) {
    const BusyCursor busy;
    m_folder = folder;
    m_holdsDocument = false;
    const QString path = MemoDocumentPath(folder);
    m_view->SetEditMode(false);
    // Whatever happens below, the view must not go on showing the memo of
    // the folder before: a save would write it into this one.
    const auto fail = [this] {
        m_view->Navigate(QStringLiteral("about:blank"));
        m_view->SetEditMode(false);
        RefreshToolbarState();
        return false;
    };
    {
        QFile document(path);
        if (!document.open(QIODevice::ReadOnly)) {
            // Only a missing document is started from the template; one that
            // exists but cannot be read is the user's memo and stays untouched.
            if (QFileInfo::exists(path)) {
                m_documentError = errno;
                return fail();
            }
            // Without a usable template a new memo starts empty rather than
            // not at all: a missing shipped file must not cost the rider memos.
            if (!CopyFileReplacing(ProgramPath(QStringLiteral("htmltemplate.dat")), path) &&
                !WriteFileReplacing(path, EncodePlainTextMemo(QString()))) {
                m_documentError = LastFileError();
                return fail();
            }
        }
    }
    if (!m_view->Navigate(path)) {
        m_documentError = 0;
        return fail();
    }
    m_holdsDocument = true;
    m_view->SetEditMode(true);
    RefreshToolbarState();
    return true;
}

QString MemoEditor::SavedMarkup() const {
    QString markup = MakePictureSourcesRelative(m_view->GetDocumentSource(), m_folder);
    // Our files end their lines with CR LF, like the reports they end up in.
    markup.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    markup.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return markup;
}

bool MemoEditor::SaveDocument() {
    if (!m_holdsDocument || m_folder.isEmpty()) {
        return false;
    }
    const BusyCursor busy;
    const QStringList sources = m_view->GetPictureSources();
    const QString markup = SavedMarkup();
    if (!WriteFileReplacing(MemoDocumentPath(m_folder), EncodeMemoDocument(markup))) {
        m_documentError = LastFileError();
        return false;
    }
    // Only now: had the write failed, the old document, which may still
    // show these pictures, would have stayed.
    RemoveUnusedPictureFiles(m_folder, MemoReferences(markup, sources));
    m_view->document()->setModified(false);
    return true;
}

bool MemoEditor::IsModified() const {
    return m_holdsDocument && m_view->document()->isModified();
}

QString MemoEditor::GetMemoText() const {
    return m_view->GetBodyText();
}

void MemoEditor::RemoveUnusedPictures() {
    if (!m_holdsDocument || m_folder.isEmpty()) {
        return;
    }
    RemoveUnusedPictureFiles(m_folder, MemoReferences(SavedMarkup(), m_view->GetPictureSources()));
}

void MemoEditor::InsertPicture() {
    if (!m_view->EditMode()) {
        return;
    }
    PictureRequest request;
    request.mode = PictureMode::New;
    if (!RunPictureDialog(this, request)) {
        return;
    }
    if (CopyChosenPicture(request.filePath).isEmpty()) {
        return;
    }
    m_view->PasteHtml(BuildPictureMarkup(GetFileNamePart(request.filePath), request.sizeMode, request.width,
                                         request.height));
    m_view->setFocus();
}

QString MemoEditor::CopyChosenPicture(const QString& path) {
    {
        QFile chosen(path);
        if (!chosen.open(QIODevice::ReadOnly)) {
            ShowFailure(this, GetLanguageString("ErrorStrings", "LDPT"), SystemFailureReason(errno));
            return {};
        }
    }
    const QString copied = CopyPictureIntoMemo(m_folder, path);
    if (copied.isEmpty()) {
        ShowFileFailure(this, GetLanguageString("ErrorStrings", "CPPT"));
        return {};
    }
    // A file of the same name may have been replaced: show the new one everywhere.
    m_view->ReloadPicture(copied);
    return copied;
}

void MemoEditor::EditPictureAt(int x, int y) {
    if (!m_view->EditMode()) {
        return;
    }
    const std::optional<HtmlPicture> picture = m_view->PictureAtPoint(x, y);
    if (!picture) {
        return;
    }
    PictureRequest request;
    request.mode = PictureMode::Modify;
    request.filePath = picture->address;
    request.sizeMode = 0;
    request.width = picture->width;
    request.height = picture->height;
    if (!RunPictureDialog(this, request)) {
        return;
    }
    QString address = picture->address;
    if (request.filePath != picture->address) {
        // Pointing the picture at a file that was not copied would show a
        // broken picture, so a failed copy changes nothing.
        address = CopyChosenPicture(request.filePath);
        if (address.isEmpty()) {
            return;
        }
    }
    m_view->SetPictureAtPoint(x, y, address, request.width, request.height);
}

bool MemoEditor::CopySelectionAsHtml(bool clear) {
    const HtmlSelection selection = m_view->GetSelection();
    if (clear) {
        m_view->ClearSelectionText();
    }
    if (selection.markup.isEmpty() && selection.text.isEmpty()) {
        return false;
    }
    PutHtmlOnClipboard(selection.markup, selection.text);
    return true;
}
