#include "platform/NumberField.h"

#include "platform/Dialogs.h"

#include <QLineEdit>

namespace {

std::optional<double> Refused(QWidget* dialog, QLineEdit* field, const QString& fieldName, NumberKind kind) {
    ShowError(dialog, NumberRefusal(fieldName, kind));
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

}  // namespace

std::optional<double> TakeNumberField(QWidget* dialog, QLineEdit* field, const QString& fieldName,
                                      NumberKind kind, const QString& unitWord) {
    const std::optional<double> value = ReadNumber(field->text(), kind, unitWord);
    if (!value) {
        return Refused(dialog, field, fieldName, kind);
    }
    return value;
}

std::optional<int> TakeWholeNumberField(QWidget* dialog, QLineEdit* field, const QString& fieldName,
                                        const QString& unitWord) {
    const std::optional<int> value = ReadWholeNumber(field->text(), unitWord);
    if (!value) {
        Refused(dialog, field, fieldName, NumberKind::Whole);
    }
    return value;
}
