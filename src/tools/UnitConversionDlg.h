#pragma once
// The kilometre/mile converter: two lines, each with its own input, result and
// Convert button; Enter in a field converts it. Escape closes it, as its Close button does.

#include "tools/DistanceConversion.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

class UnitConversionDlg : public QDialog {
    Q_OBJECT
public:
    explicit UnitConversionDlg(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Reads input and writes its converted value into result.
    void Convert(QLineEdit* input, const QString& unitWord, ConversionDirection direction, QLineEdit* result);

    QLineEdit* m_kilometres = nullptr;
    QLineEdit* m_miles = nullptr;
    QLineEdit* m_kilometresInMiles = nullptr;
    QLineEdit* m_milesInKilometres = nullptr;
    QPushButton* m_convertKilometres = nullptr;
    QPushButton* m_convertMiles = nullptr;
};
