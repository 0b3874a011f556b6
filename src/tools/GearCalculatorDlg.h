#pragma once
// The gear calculator: for up to ten rear sprockets the gear ratio, the speed
// ratio (gear inches) and the road speed at a cadence, from a wheel size, a
// chain wheel and the free-wheel teeth; a template fills in a typical bicycle.
// The table can be written to a text report. Nothing here touches the log.

#include "tools/GearCalculation.h"

#include <QDialog>
#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// One line of the table: the free-wheel teeth the rider types and the three
// results the calculation writes.
struct GearRow {
    QLabel* number = nullptr;
    QLineEdit* freeWheel = nullptr;
    QLineEdit* gearRatio = nullptr;
    QLineEdit* speedRatio = nullptr;
    QLineEdit* speed = nullptr;
};

class GearCalculatorDlg : public QDialog {
    Q_OBJECT
public:
    explicit GearCalculatorDlg(QWidget* parent = nullptr);

    // Reads the fields and writes every row's results; a field that holds
    // no number of its kind is named instead and the results stay as they were.
    void Calculate();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyTemplate(int index);
    void ApplyRimSize(int index);
    void Export();
    std::optional<GearInputs> TakeInputs();
    GearReportContents ReportContents() const;

    QComboBox* m_template = nullptr;
    QComboBox* m_rimSize = nullptr;
    QLineEdit* m_inches = nullptr;
    QComboBox* m_chainWheel = nullptr;
    QComboBox* m_cadence = nullptr;
    std::array<GearRow, kGearRowCount> m_rows;
    QPlainTextEdit* m_tips = nullptr;
    QPushButton* m_calculate = nullptr;
};
