#pragma once
// The editing surface of a memo: a rich-text view that loads a memo's
// data.htm, resolves its "data.files/..." pictures from the memo folder and
// offers the editing commands and queries the memo editor works with.
// Everything that reads or changes the document goes through these calls.

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTextEdit>
#include <QVariant>
#include <optional>

class QMimeData;
class QTextCursor;
class QTextDocument;

enum class HtmlCommand {
    Cut,
    Copy,
    Paste,
    Delete,
    SelectAll,
    Bold,
    Italic,
    Underline,
    StrikeThrough,
    Indent,
    Outdent,
    JustifyLeft,
    JustifyCenter,
    JustifyRight,
    Undo,
    Redo,
    PrintPreview,
    FontName,   // value: family name (text)
    FontSize,   // value: HTML size 1 to 7
    ForeColor,  // value: QColor
    BackColor,  // value: QColor
};

// A picture element found at a point of the view.
struct HtmlPicture {
    QString address;  // as the view resolves it: a full path for pictures of the memo folder
    int width = 0;    // as shown, in pixels
    int height = 0;
};

// The selection in both forms the clipboard wants.
struct HtmlSelection {
    QString markup;  // the selected fragment only, without a surrounding document
    QString text;
};

// Point sizes used for the seven HTML font sizes; the same sizes a web
// browser shows them in, so a memo looks alike in the editor and in reports.
inline constexpr double kHtmlFontSizePoints[7] = {7.5, 10, 12, 13.5, 18, 24, 36};
// The HTML size (1 to 7) nearest to a point size.
int HtmlFontSizeForPoints(double points);

class HtmlView : public QTextEdit {
    Q_OBJECT
public:
    explicit HtmlView(QWidget* parent = nullptr);

    // Shows "about:blank" (an empty document) or the memo document at the
    // given full path; pictures are then resolved from that file's folder.
    // False when the file could not be read (the view is then empty).
    bool Navigate(const QString& address);
    QString Address() const { return m_address; }

    // Edit mode on makes the document editable; off leaves it to be read.
    void SetEditMode(bool on);
    bool EditMode() const { return !isReadOnly(); }

    // Runs an editing command when it is available in the current state (for
    // example Cut needs a selection and edit mode); false when it was not run.
    bool ExecCommand(HtmlCommand command, const QVariant& value = {});
    // FontName gives the family (text), FontSize the HTML size (int) at the caret.
    QVariant QueryCommandValue(HtmlCommand command) const;
    // Bold, Italic, Underline or StrikeThrough in force at the caret.
    bool QueryCommandState(HtmlCommand command) const;

    // The whole document as markup. Leaves the modified state alone.
    QString GetDocumentSource() const;
    // The text a reader sees, lines separated by "\r\n", without the object
    // placeholders that stand where pictures are.
    QString GetBodyText() const;
    // The address of every picture, in document order, as the view resolves it.
    QStringList GetPictureSources() const;

    // The picture at a point given in the coordinates of the view's viewport.
    std::optional<HtmlPicture> PictureAtPoint(int x, int y) const;
    bool SetPictureAtPoint(int x, int y, const QString& address, int width, int height);

    // Replaces the selection, or inserts at the caret, with markup.
    bool PasteHtml(const QString& markup);
    HtmlSelection GetSelection() const;
    void ClearSelectionText();

    // Reads markup into target as the view shows it, nesting no deeper than
    // the view can lay out. For readers of a memo without a view (reports).
    static void FillDocument(QTextDocument* target, const QString& markup);

    // Reads a picture file again after it was replaced on disk, so that every
    // picture showing it is redrawn from the new file.
    void ReloadPicture(const QString& path);

Q_SIGNALS:
    // After markup was pasted by PasteHtml.
    void HtmlPasted(const QString& markup);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The full path or address an image name of the document resolves to.
    QString ResolveAddress(const QString& name) const;
    // Position of the picture character under a viewport point, if any.
    std::optional<int> PicturePositionAt(const QPoint& point) const;
    QSize PictureSize(const QTextCursor& pictureCursor) const;
    void ToggleCharacterFormat(HtmlCommand command);
    void ChangeIndent(int delta);
    void ShowPrintPreview();
    // Font sizes given as <font size=N> arrive as relative adjustments, which
    // the editor could not write back faithfully; they become point sizes.
    static void ConvertFontSizeAdjustments(QTextDocument* target);
    // A document for this view, not laid out until ShowDocument.
    QTextDocument* NewDocument();
    // Makes fresh the view's document, unmodified and without undo steps.
    void ShowDocument(QTextDocument* fresh);
    // Inserts markup at cursor, simplified where it would nest too deep.
    void InsertMarkup(QTextCursor& cursor, const QString& markup);

    QString m_address;
    QString m_folder;
    QFont m_defaultFont;
};
