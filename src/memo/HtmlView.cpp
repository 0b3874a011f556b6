#include "memo/HtmlView.h"

#include "memo/HtmlMarkup.h"
#include "memo/MemoDocument.h"
#include "platform/ModalRun.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr char kBlankAddress[] = "about:blank";
// The view lays out three levels of tables in well under a second for
// pages of a few hundred kilobytes; every further level doubles that.
constexpr MarkupLimits kViewMarkupLimits{};
constexpr QChar kObjectReplacement(0xFFFC);

QSize ImageSizeOf(const QVariant& resource) {
    if (resource.canConvert<QImage>()) {
        const QImage image = resource.value<QImage>();
        if (!image.isNull()) {
            return image.size();
        }
    }
    if (resource.canConvert<QPixmap>()) {
        const QPixmap pixmap = resource.value<QPixmap>();
        if (!pixmap.isNull()) {
            return pixmap.size();
        }
    }
    if (resource.userType() == QMetaType::QByteArray) {
        QImage image;
        if (image.loadFromData(resource.toByteArray())) {
            return image.size();
        }
    }
    return {};
}

// Visits every picture character of the document in order.
template <typename Visit>
void ForEachPicture(const QTextDocument* document, Visit visit) {
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat()) {
                continue;
            }
            // A fragment of several pictures in a row shares one format.
            for (int i = 0; i < fragment.length(); ++i) {
                visit(fragment.position() + i, fragment.charFormat().toImageFormat());
            }
        }
    }
}
// How many tables lie inside one another at the deepest point of document.
int DocumentTableDepth(const QTextDocument* document) {
    int deepest = 0;
    std::vector<std::pair<const QTextFrame*, int>> pending{{document->rootFrame(), 0}};
    while (!pending.empty()) {
        const auto [frame, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (const QTextFrame* child : frame->childFrames()) {
            pending.emplace_back(child, depth + (qobject_cast<const QTextTable*>(child) != nullptr ? 1 : 0));
        }
    }
    return deepest;
}

// The tables around a position of the document.
int TableDepthAt(const QTextCursor& cursor) {
    int depth = 0;
    for (const QTextFrame* frame = cursor.currentFrame(); frame != nullptr; frame = frame->parentFrame()) {
        if (qobject_cast<const QTextTable*>(frame) != nullptr) {
            ++depth;
        }
    }
    return depth;
}
}  // namespace

int HtmlFontSizeForPoints(double points) {
    int best = 1;
    for (int size = 1; size <= 7; ++size) {
        if (std::abs(kHtmlFontSizePoints[size - 1] - points) <
            std::abs(kHtmlFontSizePoints[best - 1] - points)) {
            best = size;
        }
    }
    return best;
}

HtmlView::HtmlView(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setTabChangesFocus(false);
    // Every change of the view's width lays the whole document out again.
    // A scroll bar that came and went with the length of the memo would
    // change it right after each load, doubling the time a long memo takes
    // to show; like the browsers of old, the bar stays.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The size a browser shows unsized text in (HTML size 3), so memos look
    // the same here and in the exported reports.
    m_defaultFont = document()->defaultFont();
    m_defaultFont.setPointSizeF(kHtmlFontSizePoints[2]);
    document()->setDefaultFont(m_defaultFont);
    Navigate(QLatin1String(kBlankAddress));
}

QTextDocument* HtmlView::NewDocument() {
    // The document is filled before the view has it: a document without a
    // page size is not laid out at all, so the markup is read, checked and
    // adjusted first and laid out once, when the view takes it.
    auto* fresh = new QTextDocument(this);
    fresh->setPageSize(QSizeF(0, 0));
    fresh->setDefaultFont(m_defaultFont);
    fresh->setDefaultTextOption(document()->defaultTextOption());
    fresh->setBaseUrl(m_folder.isEmpty() ? QUrl() : QUrl::fromLocalFile(m_folder + QLatin1Char('/')));
    return fresh;
}

void HtmlView::FillDocument(QTextDocument* target, const QString& markup) {
    target->setHtml(SimplifyMarkup(markup, kViewMarkupLimits));
    if (DocumentTableDepth(target) > kViewMarkupLimits.tables) {
        // Markup that nests deeper than it looked; laying it out would
        // exhaust the stack. Its text is all that can be shown safely.
        target->setPlainText(target->toPlainText());
        return;
    }
    ConvertFontSizeAdjustments(target);
}

void HtmlView::ShowDocument(QTextDocument* fresh) {
    QTextDocument* old = document();
    // The view's first document belongs to Qt, which deletes it as soon as
    // it is replaced; the ones made here are ours to delete.
    const bool ours = old != fresh && old->parent() == this;
    fresh->clearUndoRedoStacks();
    fresh->setModified(false);
    setDocument(fresh);
    if (ours) {
        delete old;
    }
}

bool HtmlView::Navigate(const QString& address) {
    const bool blank = address.isEmpty() || address == QLatin1String(kBlankAddress);
    QString markup;
    bool loaded = true;
    QString folder;
    if (!blank) {
        QFile file(address);
        loaded = file.open(QIODevice::ReadOnly);
        if (loaded) {
            markup = DecodeMemoDocument(file.readAll());
            loaded = file.error() == QFileDevice::NoError;
        }
        folder = QFileInfo(address).absolutePath();
    }
    m_address = blank ? QLatin1String(kBlankAddress) : address;
    m_folder = loaded ? folder : QString();
    // A fresh document also drops the pictures cached for the previous one.
    QTextDocument* fresh = NewDocument();
    if (loaded && !markup.isEmpty()) {
        FillDocument(fresh, markup);
    }
    ShowDocument(fresh);
    // A fresh caret: the old one would carry the previous document's typing
    // format and report it instead of the format of the text it stands in.
    setTextCursor(QTextCursor(document()));
    return loaded;
}

void HtmlView::SetEditMode(bool on) {
    setReadOnly(!on);
}

bool HtmlView::ExecCommand(HtmlCommand command, const QVariant& value) {
    const bool editable = EditMode();
    const bool hasSelection = textCursor().hasSelection();
    switch (command) {
        case HtmlCommand::Copy:
            if (!hasSelection) {
                return false;
            }
            copy();
            return true;
        case HtmlCommand::SelectAll:
            selectAll();
            return true;
        case HtmlCommand::PrintPreview:
            ShowPrintPreview();
            return true;
        default:
            break;
    }
    if (!editable) {
        return false;
    }
    switch (command) {
        case HtmlCommand::Cut:
            if (!hasSelection) {
                return false;
            }
            cut();
            return true;
        case HtmlCommand::Paste:
            if (!canPaste()) {
                return false;
            }
            paste();
            return true;
        case HtmlCommand::Delete: {
            QTextCursor cursor = textCursor();
            if (cursor.hasSelection()) {
                cursor.removeSelectedText();
            } else if (!cursor.atEnd()) {
                cursor.deleteChar();
            } else {
                return false;
            }
            setTextCursor(cursor);
            return true;
        }
        case HtmlCommand::Bold:
        case HtmlCommand::Italic:
        case HtmlCommand::Underline:
        case HtmlCommand::StrikeThrough:
            ToggleCharacterFormat(command);
            return true;
        case HtmlCommand::Indent:
            ChangeIndent(1);
            return true;
        case HtmlCommand::Outdent:
            ChangeIndent(-1);
            return true;
        case HtmlCommand::JustifyLeft:
            setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
            return true;
        case HtmlCommand::JustifyCenter:
            setAlignment(Qt::AlignHCenter);
            return true;
        case HtmlCommand::JustifyRight:
            setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
            return true;
        case HtmlCommand::Undo:
            if (!document()->isUndoAvailable()) {
                return false;
            }
            undo();
            return true;
        case HtmlCommand::Redo:
            if (!document()->isRedoAvailable()) {
                return false;
            }
            redo();
            return true;
        case HtmlCommand::FontName: {
            const QString family = value.toString();
            if (family.isEmpty()) {
                return false;
            }
            QTextCharFormat format;
            format.setFontFamilies(QStringList{family});
            mergeCurrentCharFormat(format);
            return true;
        }
        case HtmlCommand::FontSize: {
            const int size = value.toInt();
            if (size < 1 || size > 7) {
                return false;
            }
            QTextCharFormat format;
            format.setFontPointSize(kHtmlFontSizePoints[size - 1]);
            mergeCurrentCharFormat(format);
            return true;
        }
        case HtmlCommand::ForeColor:
        case HtmlCommand::BackColor: {
            const QColor colour = value.value<QColor>();
            if (!colour.isValid()) {
                return false;
            }
            QTextCharFormat format;
            if (command == HtmlCommand::ForeColor) {
                format.setForeground(colour);
            } else {
                format.setBackground(colour);
            }
            mergeCurrentCharFormat(format);
            return true;
        }
        default:
            return false;
    }
}

QVariant HtmlView::QueryCommandValue(HtmlCommand command) const {
    const QTextCharFormat format = currentCharFormat();
    const QFont font = format.font().resolve(document()->defaultFont());
    if (command == HtmlCommand::FontName) {
        // A generic or missing family shows as the one actually drawn.
        return QFontDatabase::hasFamily(font.family()) ? font.family() : QFontInfo(font).family();
    }
    if (command == HtmlCommand::FontSize) {
        if (format.hasProperty(QTextFormat::FontPointSize)) {
            return HtmlFontSizeForPoints(format.fontPointSize());
        }
        if (format.hasProperty(QTextFormat::FontSizeAdjustment)) {
            return std::clamp(format.intProperty(QTextFormat::FontSizeAdjustment) + 3, 1, 7);
        }
        return HtmlFontSizeForPoints(font.pointSizeF());
    }
    return {};
}

bool HtmlView::QueryCommandState(HtmlCommand command) const {
    const QTextCharFormat format = currentCharFormat();
    switch (command) {
        case HtmlCommand::Bold:
            return format.fontWeight() >= QFont::DemiBold;
        case HtmlCommand::Italic:
            return format.fontItalic();
        case HtmlCommand::Underline:
            return format.fontUnderline();
        case HtmlCommand::StrikeThrough:
            return format.fontStrikeOut();
        default:
            return false;
    }
}

QString HtmlView::GetDocumentSource() const {
    return document()->toHtml();
}

QString HtmlView::GetBodyText() const {
    QString text = document()->toPlainText();
    text.remove(kObjectReplacement);
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

QStringList HtmlView::GetPictureSources() const {
    QStringList sources;
    ForEachPicture(document(), [&](int, const QTextImageFormat& format) {
        sources.append(ResolveAddress(format.name()));
    });
    return sources;
}

QString HtmlView::ResolveAddress(const QString& name) const {
    return ResolveMemoAddress(m_folder, name);
}

std::optional<int> HtmlView::PicturePositionAt(const QPoint& point) const {
    const QPointF documentPoint =
        QPointF(point) + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const int hit = document()->documentLayout()->hitTest(documentPoint, Qt::FuzzyHit);
    if (hit < 0) {
        return std::nullopt;
    }
    // A point on the right half of a picture lands on the position after it.
    for (const int position : {hit, hit - 1}) {
        if (position < 0) {
            continue;
        }
        QTextCursor cursor(document());
        cursor.setPosition(position);
        if (!cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor) ||
            !cursor.charFormat().isImageFormat()) {
            continue;
        }
        const QTextBlock block = document()->findBlock(position);
        const QTextLayout* layout = block.layout();
        if (layout == nullptr) {
            continue;
        }
        const int inBlock = position - block.position();
        const QTextLine line = layout->lineForTextPosition(inBlock);
        if (!line.isValid()) {
            continue;
        }
        const qreal left = line.cursorToX(inBlock);
        const qreal right = line.cursorToX(inBlock + 1);
        const QRectF area(layout->position() + QPointF(std::min(left, right), line.y()),
                          QSizeF(std::abs(right - left), line.height()));
        if (area.contains(documentPoint)) {
            return position;
        }
    }
    return std::nullopt;
}

QSize HtmlView::PictureSize(const QTextCursor& pictureCursor) const {
    const QTextImageFormat format = pictureCursor.charFormat().toImageFormat();
    const QSize natural =
        ImageSizeOf(document()->resource(QTextDocument::ImageResource, QUrl(format.name())));
    double width = format.width();
    double height = format.height();
    // Like the layout: a missing side follows the other one in proportion.
    if (width <= 0 && height <= 0) {
        return natural;
    }
    if (width <= 0) {
        width = natural.height() > 0 ? height * natural.width() / natural.height() : 0;
    } else if (height <= 0) {
        height = natural.width() > 0 ? width * natural.height() / natural.width() : 0;
    }
    return QSize(qRound(width), qRound(height));
}

std::optional<HtmlPicture> HtmlView::PictureAtPoint(int x, int y) const {
    const std::optional<int> position = PicturePositionAt(QPoint(x, y));
    if (!position) {
        return std::nullopt;
    }
    QTextCursor cursor(document());
    cursor.setPosition(*position);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    const QSize size = PictureSize(cursor);
    return HtmlPicture{ResolveAddress(cursor.charFormat().toImageFormat().name()), size.width(),
                       size.height()};
}

bool HtmlView::SetPictureAtPoint(int x, int y, const QString& address, int width, int height) {
    const std::optional<int> position = PicturePositionAt(QPoint(x, y));
    if (!position || !EditMode()) {
        return false;
    }
    QTextCursor cursor(document());
    cursor.setPosition(*position);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    QTextImageFormat format = cursor.charFormat().toImageFormat();
    format.setName(address);
    format.setWidth(width);
    format.setHeight(height);
    cursor.setCharFormat(format);
    return true;
}

bool HtmlView::PasteHtml(const QString& markup) {
    if (!EditMode()) {
        return false;
    }
    QTextCursor cursor = textCursor();
    InsertMarkup(cursor, markup);
    setTextCursor(cursor);
    Q_EMIT HtmlPasted(markup);
    return true;
}

void HtmlView::InsertMarkup(QTextCursor& cursor, const QString& markup) {
    // Pasted web pages nest like any other; inside a table cell every level
    // of the page comes on top of the ones it lands in.
    const int enclosing = TableDepthAt(cursor);
    const QString simplified = SimplifyMarkup(markup, kViewMarkupLimits, enclosing);
    {
        // Read once where it cannot be laid out, to see what it really builds.
        QTextDocument trial(this);
        trial.setPageSize(QSizeF(0, 0));
        trial.setBaseUrl(document()->baseUrl());
        trial.setHtml(simplified);
        if (enclosing + DocumentTableDepth(&trial) > kViewMarkupLimits.tables) {
            cursor.insertText(trial.toPlainText());
            return;
        }
    }
    cursor.insertHtml(simplified);
}

void HtmlView::insertFromMimeData(const QMimeData* source) {
    // Pasting and dropping rich text take the same road as PasteHtml.
    if (source == nullptr || isReadOnly() || !acceptRichText() || !source->hasHtml()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    InsertMarkup(cursor, source->html());
    setTextCursor(cursor);
    ensureCursorVisible();
}

HtmlSelection HtmlView::GetSelection() const {
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        return {};
    }
    QString text = cursor.selectedText();
    text.remove(kObjectReplacement);
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    text.replace(QChar::LineSeparator, QLatin1String("\r\n"));

    QString markup = cursor.selection().toHtml();
    static const QLatin1String kStart("<!--StartFragment-->");
    static const QLatin1String kEnd("<!--EndFragment-->");
    const qsizetype start = markup.indexOf(kStart);
    const qsizetype end = markup.lastIndexOf(kEnd);
    if (start >= 0 && end > start) {
        markup = markup.mid(start + kStart.size(), end - start - kStart.size());
    }
    return {markup, text};
}

void HtmlView::ClearSelectionText() {
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection() && EditMode()) {
        cursor.removeSelectedText();
        setTextCursor(cursor);
    }
}

void HtmlView::ReloadPicture(const QString& path) {
    const QImage image(path);
    if (image.isNull()) {
        return;
    }
    // Explicit resources win over the cache that still holds the old file.
    document()->addResource(QTextDocument::ImageResource, QUrl::fromLocalFile(path), image);
    document()->markContentsDirty(0, document()->characterCount());
    viewport()->update();
}

QVariant HtmlView::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::ImageResource) {
        return QTextEdit::loadResource(type, name);
    }
    QString path;
    if (name.isLocalFile()) {
        path = name.toLocalFile();
        // A "#" or "?" in a file name reads as fragment or query; put them back.
        if (name.hasQuery()) {
            path += QLatin1Char('?') + name.query(QUrl::FullyDecoded);
        }
        if (name.hasFragment()) {
            path += QLatin1Char('#') + name.fragment(QUrl::FullyDecoded);
        }
    } else if (name.isRelative()) {
        path = ResolveAddress(name.toString());
    }
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) {
        return QTextEdit::loadResource(type, name);
    }
    QImage image(path);
    if (image.isNull()) {
        return {};
    }
    return image;
}

void HtmlView::ToggleCharacterFormat(HtmlCommand command) {
    const bool on = !QueryCommandState(command);
    QTextCharFormat format;
    switch (command) {
        case HtmlCommand::Bold:
            format.setFontWeight(on ? QFont::Bold : QFont::Normal);
            break;
        case HtmlCommand::Italic:
            format.setFontItalic(on);
            break;
        case HtmlCommand::Underline:
            format.setFontUnderline(on);
            break;
        default:
            format.setFontStrikeOut(on);
            break;
    }
    mergeCurrentCharFormat(format);
}

void HtmlView::ChangeIndent(int delta) {
    QTextCursor cursor = textCursor();
    const int first = document()->findBlock(cursor.selectionStart()).blockNumber();
    const int last = document()->findBlock(cursor.selectionEnd()).blockNumber();
    cursor.beginEditBlock();
    for (int number = first; number <= last; ++number) {
        const QTextBlock block = document()->findBlockByNumber(number);
        QTextBlockFormat format = block.blockFormat();
        const int indent = std::max(0, format.indent() + delta);
        if (indent == format.indent()) {
            continue;
        }
        format.setIndent(indent);
        QTextCursor blockCursor(block);
        blockCursor.setBlockFormat(format);
    }
    cursor.endEditBlock();
}

void HtmlView::ShowPrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    GuardedModal preview(new QPrintPreviewDialog(&printer, this));
    connect(&*preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { document()->print(target); });
    preview.Exec();
}

void HtmlView::ConvertFontSizeAdjustments(QTextDocument* target) {
    struct Range {
        int position;
        int length;
        int size;
    };
    std::vector<Range> ranges;
    for (QTextBlock block = target->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (fragment.isValid() && format.hasProperty(QTextFormat::FontSizeAdjustment) &&
                !format.hasProperty(QTextFormat::FontPointSize)) {
                const int size = std::clamp(format.intProperty(QTextFormat::FontSizeAdjustment) + 3, 1, 7);
                ranges.push_back({fragment.position(), fragment.length(), size});
            }
        }
    }
    for (const Range& range : ranges) {
        QTextCursor cursor(target);
        cursor.setPosition(range.position);
        cursor.setPosition(range.position + range.length, QTextCursor::KeepAnchor);
        QTextCharFormat format = cursor.charFormat();
        format.clearProperty(QTextFormat::FontSizeAdjustment);
        format.setFontPointSize(kHtmlFontSizePoints[range.size - 1]);
        cursor.setCharFormat(format);
    }
}
