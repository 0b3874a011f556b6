#pragma once
// The bicycle editor: one bicycle's name, type, weight, cost, frame size,
// purchase date, previous odometer reading, picture and notes. It works on its
// own copy of the record; the page that opened it hands in how to store it.

#include "store/store.h"

#include <QDialog>

#include <functional>

class LinkLabel;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ThumbnailFrame;

class BicycleAttrDlg : public QDialog {
    Q_OBJECT
public:
    enum Mode { kNew = 0, kModify = 1 };

    // Field limits, in characters.
    static constexpr int kNameLength = 64;
    static constexpr int kWeightLength = 4;
    static constexpr int kCostLength = 10;
    static constexpr int kOdometerLength = 10;
    static constexpr int kInchLength = 4;
    static constexpr int kNotesLength = 32768;

    // New mode starts from an all-zero record and ignores record; modify mode
    // shows a copy of record.
    BicycleAttrDlg(Mode mode, const BicycleAttribute& record, QWidget* parent);
    ~BicycleAttrDlg() override;

    // The edited record: complete after the editor closed with Save.
    const BicycleAttribute& Record() const { return m_record; }

    // How Save stores the edited record. The editor closes as saved only when
    // it returns true; on a refusal it says so and stays open with everything
    // the rider typed.
    void SetRecordStore(std::function<bool(const BicycleAttribute&)> store) { m_store = std::move(store); }

private:
    void ShowRecord();
    void ShowPicture();
    void OnFrameChanged(int position);
    void OnNotesChanged();
    void OnChangePicture();
    void OnRemovePicture();
    void OnSave();

    Mode m_mode;
    BicycleAttribute m_record;
    std::function<bool(const BicycleAttribute&)> m_store;
    QString m_pictureSource;

    QComboBox* m_name = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_weight = nullptr;
    QLineEdit* m_cost = nullptr;
    QComboBox* m_frame = nullptr;
    QLineEdit* m_inches = nullptr;
    QDateTimeEdit* m_purchased = nullptr;
    QLineEdit* m_odometer = nullptr;
    QLabel* m_odometerUnit = nullptr;
    ThumbnailFrame* m_picture = nullptr;
    QPushButton* m_changePicture = nullptr;
    QPushButton* m_removePicture = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    LinkLabel* m_corner = nullptr;
};
