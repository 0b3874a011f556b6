#pragma once
// The bicycle editor: one bicycle's name, type, weight, cost, frame size,
// purchase date, previous odometer reading, picture and notes. It works on its
// own copy of the record and never writes the store; the page that opened it
// takes the copy when the editor closes with Save.

#include "store/store.h"

#include <QDialog>

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
