#pragma once
// The editor of one maintenance entry: date, bicycle and cost above the
// entry's formatted memo. It never writes the store: the maintenance page
// stores the edited entry when the editor ends with kEditorSaved, and steps
// to the entry above or below on kEditorPrevious / kEditorNext.

#include "store/store.h"
#include "widgets/RecordEditorFrame.h"

class LinkLabel;
class QLineEdit;

using MaintenanceEditorSetup = RecordEditorSetup<MaintenanceRecord>;

class MaintenanceRecordDlg : public RecordEditor<MaintenanceRecord> {
    Q_OBJECT
public:
    MaintenanceRecordDlg(MaintenanceEditorSetup setup, QWidget* parent);

protected:
    void ShowRecordFields() override;
    bool TakeRecordFields() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildFields();

    QLineEdit* m_cost = nullptr;
    LinkLabel* m_picture = nullptr;
};
