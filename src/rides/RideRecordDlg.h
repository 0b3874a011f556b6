#pragma once
// The editor of one ride: date, bicycle, riding time, distance and maximum
// speed above the ride's formatted memo. It never writes the store: the ride
// list page stores the edited ride when the editor ends with kEditorSaved,
// and steps to the ride above or below on kEditorPrevious / kEditorNext.

#include "store/store.h"
#include "widgets/RecordEditorFrame.h"

#include <QDateTime>
#include <QString>

class QComboBox;
class QDateTimeEdit;
class QLineEdit;

struct RideEditorSetup {
    bool newRide = true;
    BicycleList bicycles;         // the page's list: fills the bicycle choice
    int preselectedBicycle = -1;  // position in the bicycle choice, -1 for none
    bool hasPrevious = false;     // existing rides: a row above / below in the list
    bool hasNext = false;
    int newRideNumber = 0;  // new rides: the number the store will give it
    RideRecord ride;        // existing rides: a copy of the list's record
};

class RideRecordDlg : public RecordEditorFrame {
    Q_OBJECT
public:
    RideRecordDlg(RideEditorSetup setup, QWidget* parent);

    // The working record: after kEditorSaved, the ride as edited.
    const RideRecord& Ride() const { return m_ride; }

protected:
    bool CommitFields() override;
    void CommitMemoText(const QString& text) override;

private:
    void BuildFields();
    void ShowRide();

    RideEditorSetup m_setup;
    RideRecord m_ride;
    QDateTimeEdit* m_date = nullptr;
    QComboBox* m_bicycle = nullptr;
    QLineEdit* m_hours = nullptr;
    QLineEdit* m_minutes = nullptr;
    QLineEdit* m_seconds = nullptr;
    QLineEdit* m_distance = nullptr;
    QLineEdit* m_maxSpeed = nullptr;
    QLineEdit* m_averageSpeed = nullptr;
    // What an existing ride's fields showed when the editor opened.
    QString m_shownDistance;
    QString m_shownMaxSpeed;
    QDateTime m_shownDate;
};
