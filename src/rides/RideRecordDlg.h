#pragma once
// The editor of one ride: date, bicycle, riding time, distance and maximum
// speed above the ride's formatted memo. It never writes the store: the ride
// list page stores the edited ride when the editor ends with kEditorSaved,
// and steps to the ride above or below on kEditorPrevious / kEditorNext.

#include "store/store.h"
#include "widgets/RecordEditorFrame.h"

class QLineEdit;

using RideEditorSetup = RecordEditorSetup<RideRecord>;

class RideRecordDlg : public RecordEditor<RideRecord> {
    Q_OBJECT
public:
    RideRecordDlg(RideEditorSetup setup, QWidget* parent);

protected:
    void ShowRecordFields() override;
    bool TakeRecordFields() override;

private:
    void BuildFields();

    QLineEdit* m_hours = nullptr;
    QLineEdit* m_minutes = nullptr;
    QLineEdit* m_seconds = nullptr;
    QLineEdit* m_distance = nullptr;
    QLineEdit* m_maxSpeed = nullptr;
    QLineEdit* m_averageSpeed = nullptr;
};
