#include "platform/ModalRun.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <algorithm>
#include <utility>

namespace {
ModalDriver& Driver() {
    static ModalDriver driver;
    return driver;
}

// Room the window system takes around a window: its title bar and borders.
constexpr QSize kFrameAllowance{16, 40};

// A dialog drawn for a large screen opens whole on a small one: no larger than
// the free area of the screen it opens on (down to its own minimum, below
// which its scroll areas take over), and within that area.
void FitOnScreen(QDialog* dialog) {
    const QWidget* anchor = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize room = area.size() - kFrameAllowance;
    if (dialog->layout()) {
        dialog->layout()->activate();
    }
    const QSize wanted = dialog->testAttribute(Qt::WA_Resized) ? dialog->size() : dialog->sizeHint();
    if (!wanted.isValid() || (wanted.width() <= room.width() && wanted.height() <= room.height())) {
        return;
    }
    const QSize fitted = wanted.boundedTo(room).expandedTo(dialog->minimumSize());
    dialog->resize(fitted);
    const QPoint centre = anchor ? anchor->geometry().center() : area.center();
    QRect placed(QPoint(), fitted + kFrameAllowance);
    placed.moveCenter(centre);
    placed.moveLeft(
        std::clamp(placed.left(), area.left(), std::max(area.left(), area.right() - placed.width())));
    placed.moveTop(
        std::clamp(placed.top(), area.top(), std::max(area.top(), area.bottom() - placed.height())));
    dialog->move(placed.topLeft());
}
}  // namespace

ModalDriver SetModalDriverForTesting(ModalDriver driver) {
    return std::exchange(Driver(), std::move(driver));
}

int RunModal(QDialog* dialog, int cancelled) {
    QPointer<QDialog> guard(dialog);
    FitOnScreen(dialog);
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
