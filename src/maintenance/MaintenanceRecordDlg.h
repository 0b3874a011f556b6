#pragma once
// The editor of one maintenance entry: date, bicycle and cost above the
// entry's formatted memo. It never writes the store: the maintenance page
// stores the edited entry when the editor ends with kEditorSaved, and steps
// to the entry above or below on kEditorPrevious / kEditorNext.

#include "store/store.h"
#include "widgets/RecordEditorFrame.h"

#include <QDateTime>
#include <QString>

class LinkLabel;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;

struct MaintenanceEditorSetup {
    bool newEntry = true;
    BicycleList bicycles;         // the page's list: fills the bicycle choice
    int preselectedBicycle = -1;  // position in the bicycle choice, -1 for none
    bool hasPrevious = false;     // existing entries: a row above / below in the list
    bool hasNext = false;
    int newEntryNumber = 0;   // new entries: the number the store will give it
    MaintenanceRecord entry;  // existing entries: a copy of the list's record
};

class MaintenanceRecordDlg : public RecordEditorFrame {
    Q_OBJECT
public:
    MaintenanceRecordDlg(MaintenanceEditorSetup setup, QWidget* parent);

    // The working record: after kEditorSaved, the entry as edited.
    const MaintenanceRecord& Entry() const { return m_entry; }

protected:
    bool CommitFields() override;
    void CommitMemoText(const QString& text) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildFields();
    void ShowEntry();

    MaintenanceEditorSetup m_setup;
    MaintenanceRecord m_entry;
    QDateTimeEdit* m_date = nullptr;
    QComboBox* m_bicycle = nullptr;
    QLineEdit* m_cost = nullptr;
    LinkLabel* m_picture = nullptr;
    // What an existing entry's fields showed when the editor opened.
    QString m_shownCost;
    QDateTime m_shownDate;
};
