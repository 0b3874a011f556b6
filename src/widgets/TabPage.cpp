#include "widgets/TabPage.h"

#include <QKeyEvent>

TabPage::TabPage(LinkLabel& statusLine, QWidget* parent) : QWidget(parent), m_statusLine(statusLine) {
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void TabPage::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}
