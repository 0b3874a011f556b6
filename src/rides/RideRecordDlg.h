#pragma once
// The editor of one ride: date, bicycle, riding time, distance and maximum
// speed, the figures the rider may type (ascent, heart rate, calories), how
// hard it was and how it felt, and what the device recorded, above the
// ride's formatted memo. The ride list page stores the edited ride when the
// editor ends with kEditorSaved (the editor adds the ride's further figures
// in the same transaction), and steps to the ride above or below on
// kEditorPrevious / kEditorNext.

#include "store/store.h"
#include "widgets/RecordEditorFrame.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

using RideEditorSetup = RecordEditorSetup<RideRecord>;

class RideRecordDlg : public RecordEditor<RideRecord> {
    Q_OBJECT
public:
    RideRecordDlg(RideEditorSetup setup, QWidget* parent);

    // The further figures as the editor holds them: as stored, or as taken on Save.
    const RideDetail& Detail() const { return m_detail; }

protected:
    void ShowRecordFields() override;
    bool TakeRecordFields() override;
    bool StoreRecord() override;

private:
    void BuildFields();
    // The optional figure typed in field; false (the rider told) when the
    // text is no number.
    bool TakeFigure(QLineEdit* field, const QString& name, const QString& unit,
                    std::optional<double>* figure);
    QString RecordedText() const;
    // Reads the ride's GPS file and shows its profile.
    void ShowProfile();

    RideDetail m_detail;
    // The stored figures could not be read: they are left as they are.
    bool m_detailUnread = false;
    QComboBox* m_effort = nullptr;
    QComboBox* m_feeling = nullptr;
    QLineEdit* m_ascent = nullptr;
    QLineEdit* m_heartRate = nullptr;
    QLineEdit* m_calories = nullptr;
    QLabel* m_recorded = nullptr;
    QPushButton* m_profile = nullptr;
    QString m_sourceFile;  // the ride's GPS file in its memo folder, if it has one
    QLineEdit* m_hours = nullptr;
    QLineEdit* m_minutes = nullptr;
    QLineEdit* m_seconds = nullptr;
    QLineEdit* m_distance = nullptr;
    QLineEdit* m_maxSpeed = nullptr;
    QLineEdit* m_averageSpeed = nullptr;
};
