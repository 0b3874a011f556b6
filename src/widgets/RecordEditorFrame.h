#pragma once
// What the ride and maintenance editors share: a resizable modal dialog with
// the record's fields on top, the embedded memo editor below them, and the
// buttons previous, Save, Cancel and next along the bottom. It owns the life
// of the record's memo folder: made (or started from the stored plain text)
// when the editor opens, saved with the record, removed again when a new
// record is cancelled.
//
// A derived editor builds its fields inside FieldArea(), then calls
// OpenMemoFolder; it checks and takes its fields in CommitFields and stores
// the memo's plain text in CommitMemoText. Results: kEditorSaved (the working
// record holds the new values and the memo has been written), kEditorCancelled,
// kEditorPrevious and kEditorNext (nothing stored).

#include "units/RecordFolders.h"

#include <QDialog>
#include <QString>

class MemoEditor;
class QLabel;
class QPushButton;

enum EditorResult : int { kEditorSaved = 0, kEditorCancelled = 1, kEditorPrevious = 2, kEditorNext = 3 };

class RecordEditorFrame : public QDialog {
    Q_OBJECT
public:
    RecordEditorFrame(RecordKind kind, bool newRecord, QWidget* parent);
    ~RecordEditorFrame() override;

    bool IsNewRecord() const { return m_newRecord; }
    QString MemoFolder() const { return m_folder; }
    MemoEditor* Memo() const { return m_memo; }

    // Escape and the close box cancel.
    void reject() override;

protected:
    // The room for the fields above the memo; its size does not change.
    QWidget* FieldArea() const { return m_fieldArea; }

    // Binds the memo to <program directory>/Rides|Maintenance/<number>. A new
    // record's folder is made empty: what a removed record may have left
    // under the number belongs to no record. An existing record's folder is
    // made when missing and, when it has no data.htm yet, the document is
    // started from the record's stored plain text. Folder failures are not
    // shown; the editor carries on and a later save reports what it cannot write.
    void OpenMemoFolder(int number, const QString& storedMemoText);

    // Previous and next are hidden for a new record; for an existing one each
    // is enabled only when a record lies in that direction.
    void SetNeighbours(bool hasPrevious, bool hasNext);

    // Checks the fields and takes them into the working record; false keeps
    // the editor open (the editor has said why).
    virtual bool CommitFields() = 0;
    // Stores the memo's plain text in the working record.
    virtual void CommitMemoText(const QString& text) = 0;

    void resizeEvent(QResizeEvent* event) override;

private:
    void OnSave();
    void OnCancel();
    void LayOut();

    const RecordKind m_kind;
    const bool m_newRecord;
    QString m_folder;
    MemoEditor* m_memo;
    QWidget* m_fieldArea;
    QLabel* m_memoLabel;
    QPushButton* m_previous;
    QPushButton* m_save;
    QPushButton* m_cancel;
    QPushButton* m_next;
};
