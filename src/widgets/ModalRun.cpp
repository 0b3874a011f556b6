#include "widgets/ModalRun.h"

#include <QPointer>

namespace {
ModalDriver& Driver() {
    static ModalDriver driver;
    return driver;
}
}  // namespace

void SetModalDriverForTesting(ModalDriver driver) {
    Driver() = std::move(driver);
}

int RunModal(QDialog* dialog, int cancelled) {
    QPointer<QDialog> guard(dialog);
    if (Driver()) {
        // Copied: the driver may open a nested dialog that installs another.
        const ModalDriver driver = Driver();
        dialog->show();
        driver(*dialog);
        if (guard.isNull()) {
            return cancelled;
        }
        if (dialog->isVisible()) {
            dialog->hide();
            return cancelled;
        }
        return dialog->result();
    }
    const int result = dialog->exec();
    return guard.isNull() ? cancelled : result;
}
