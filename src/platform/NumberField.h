#pragma once
// A dialog's number field read on Save, Calculate or Convert: the one reader
// of units/NumberInput, and when the text is no number the field takes, the
// rider told which field it is, the field focused with its text as typed.

#include "units/NumberInput.h"

#include <QString>
#include <optional>

class QLineEdit;
class QWidget;

// The number in field, or nothing after the message (ErrorStrings/NUMD or
// NUMW naming fieldName) was shown over dialog and the field focused.
std::optional<double> TakeNumberField(QWidget* dialog, QLineEdit* field, const QString& fieldName,
                                      NumberKind kind, const QString& unitWord = QString());
std::optional<int> TakeWholeNumberField(QWidget* dialog, QLineEdit* field, const QString& fieldName,
                                        const QString& unitWord = QString());
