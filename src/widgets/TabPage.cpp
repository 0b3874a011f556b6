#include "widgets/TabPage.h"

#include <QKeyEvent>

TabPage::TabPage(LinkLabel& statusLine, QWidget* parent) : QWidget(parent), m_statusLine(statusLine) {
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

bool IsDialogCommandKey(const QKeyEvent* event) {
    const int key = event->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool IsOpenKey(const QKeyEvent* event) {
    const int key = event->key();
    return (key == Qt::Key_Return || key == Qt::Key_Enter) &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void TabPage::keyPressEvent(QKeyEvent* event) {
    if (IsDialogCommandKey(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
