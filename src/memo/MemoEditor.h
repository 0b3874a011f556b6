#pragma once
// The formatted-memo control of the ride and maintenance editors: a toolbar,
// a font-name list, a font-size list and the HtmlView below them, bound to one
// memo folder (<folder>/data.htm with its pictures in <folder>/data.files).
// Hosts make it as a child, then call OpenDocument, GetMemoText and
// SaveDocument; they own the folder's creation and removal.

#include <QBasicTimer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

class HtmlView;
class QAction;
class QComboBox;
class QToolBar;

// What a key press in the memo does instead of reaching the view.
enum class MemoKeyAction {
    Bold,
    Italic,
    Underline,
    SelectAll,
    Copy,
    Paste,
    Cut,
    Delete,
    Undo,
    Redo,
    Indent,
    Outdent,
    PrintPreview,
    Save,
    ShowText,
};

// The editor's own keys: Ctrl+B/I/U (bold, italic, underline, as in every
// rich-text editor), Ctrl+A/C/V/X/Z/R/P/S/Q, Delete with any modifiers and
// Tab (Shift+Tab outdents). Keys without a match go to the view.
std::optional<MemoKeyAction> MatchMemoKey(int key, Qt::KeyboardModifiers modifiers);

// Index of the first entry that starts with text (ignoring case), searching
// from the second entry on and wrapping round to the first; -1 when none does.
int FindListEntry(const QStringList& entries, const QString& text);

// Toolbar command numbers; each is also the index of its image in the strips.
enum MemoCommand : int {
    kMemoCut = 0,
    kMemoCopy = 1,
    kMemoPaste = 2,
    kMemoBold = 3,
    kMemoItalic = 4,
    kMemoUnderline = 5,
    kMemoStrikeThrough = 6,
    kMemoTextColour = 7,
    kMemoBackgroundColour = 8,
    kMemoIndent = 9,
    kMemoOutdent = 10,
    kMemoJustifyLeft = 11,
    kMemoJustifyCenter = 12,
    kMemoJustifyRight = 13,
    kMemoUndo = 14,
    kMemoRedo = 15,
    kMemoInsertPicture = 16,
    kMemoPrintPreview = 17,
    kMemoCommandCount = 18,
};

class MemoEditor : public QWidget {
    Q_OBJECT
public:
    // A complete editor covering parent (the host places it afterwards), its
    // view showing an empty, editable document until OpenDocument.
    explicit MemoEditor(QWidget* parent);
    ~MemoEditor() override;

    // Binds the editor to a memo folder and shows its data.htm, first copying
    // htmltemplate.dat of the program directory there when the folder has no
    // document. False when no document could be shown: the editor then holds
    // none (an empty, read-only view) and saves nothing until the next
    // successful open, so it can never write one memo into another's folder.
    bool OpenDocument(const QString& folder);
    // True while the editor holds a document it read: only then is there
    // anything to save, and is GetMemoText the memo's text.
    bool HoldsDocument() const { return m_holdsDocument; }
    // Whether the held document was changed since it was opened or saved.
    bool IsModified() const;
    // Why the last OpenDocument or SaveDocument failed (an errno value, 0 when unknown).
    int LastDocumentError() const { return m_documentError; }
    // Writes the document to <folder>/data.htm (pictures referred to as
    // "data.files/<name>"), then removes the pictures it no longer refers
    // to. False when no document is held or the file could not be written;
    // the old file and every picture are then left as they were.
    [[nodiscard]] bool SaveDocument();
    // The plain text of the memo, for the record's Memo column.
    QString GetMemoText() const;

    // Deletes the files of data.files that the document no longer refers to.
    // Does nothing while no document is held.
    void RemoveUnusedPictures();
    // Asks for a picture, copies it into data.files and inserts it at the caret.
    void InsertPicture();
    // Lets the user change the file or size of the picture at a viewport point.
    void EditPictureAt(int x, int y);
    // Puts the selection on the clipboard as "HTML Format" and plain text;
    // with clear, removes it from the document too. False when nothing was selected.
    bool CopySelectionAsHtml(bool clear);
    // Runs a toolbar command (MemoCommand).
    void RunCommand(int command);
    // Brings the toolbar's pressed marks and the two lists in line with the caret.
    void RefreshToolbarState();

    HtmlView* View() const { return m_view; }
    QString Folder() const { return m_folder; }
    QAction* CommandAction(int command) const;
    QToolBar* ToolBar() const { return m_toolBar; }
    QComboBox* FontNameList() const { return m_fontNames; }
    QComboBox* FontSizeList() const { return m_fontSizes; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QToolBar* BuildToolBar();
    void LayoutChildren();
    void PerformKeyAction(MemoKeyAction action);
    void ChooseColour(int command);
    // Copies a picture the user chose into data.files and shows the copy
    // wherever the memo uses that name; the copy's path, or empty after
    // telling the user why not.
    QString CopyChosenPicture(const QString& path);
    void OnFontNameChosen(int index);
    void OnFontSizeChosen(int index);
    void SetRefreshing(bool on);
    // The markup as it will be saved, with picture addresses made relative.
    QString SavedMarkup() const;

    bool m_refresh = true;            // false while a list is dropped down
    std::vector<QAction*> m_actions;  // by command number
    // Made in this order, which is also their order for the Tab key.
    QComboBox* const m_fontNames;
    QComboBox* const m_fontSizes;
    QToolBar* const m_toolBar;
    HtmlView* const m_view;
    QBasicTimer m_refreshTimer;
    QString m_folder;
    // Set only while the view shows the document of m_folder. Saving without
    // it would replace the folder's memo with whatever the view holds.
    bool m_holdsDocument = false;
    int m_documentError = 0;
};
