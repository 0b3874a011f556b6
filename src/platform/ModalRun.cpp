#include "platform/ModalRun.h"

#include <utility>

namespace {
ModalDriver& Driver() {
    static ModalDriver driver;
    return driver;
}
}  // namespace

ModalDriver SetModalDriverForTesting(ModalDriver driver) {
    return std::exchange(Driver(), std::move(driver));
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

void ShowModalProgress(QDialog& dialog) {
    if (Driver()) {
        const ModalDriver driver = Driver();
        driver(dialog);
    }
}
