#include "widgets/LinkLabel.h"

#include "platform/Shell.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

LinkLabel::LinkLabel(QWidget* parent) : QWidget(parent) {}

void LinkLabel::SetText(const QString& text) {
    m_text = text;
    update();
}

void LinkLabel::SetLink(const QString& address) {
    if (address.isEmpty())
        return;
    m_link = address;
    setCursor(Qt::PointingHandCursor);
    setToolTip(address);
}

void LinkLabel::SetPicture(int pictureNumber, const QPixmap& picture, int width, int height) {
    m_pictureNumber = pictureNumber;
    if (pictureNumber == 0 || picture.isNull()) {
        m_picture = QPixmap();
    } else {
        m_picture = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_picture.setMask(m_picture.createMaskFromColor(Qt::white));
    }
    update();
}

QSize LinkLabel::sizeHint() const {
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, m_text);
    return textSize.expandedTo(m_picture.size());
}

void LinkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_picture.isNull()) {
        painter.drawPixmap(0, 0, m_picture);
    }
    if (!m_text.isEmpty()) {
        painter.fillRect(rect(), Qt::white);
        // A link reads as one: underlined, in the banner's teal.
        if (!m_link.isEmpty()) {
            QFont underlined = font();
            underlined.setUnderline(true);
            painter.setFont(underlined);
            painter.setPen(QColor(0x1B, 0x7F, 0x8C));
        } else {
            painter.setPen(palette().color(QPalette::WindowText));
        }
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_text);
    }
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    Q_EMIT Clicked();
    if (!m_link.isEmpty()) {
        ShellOpen(m_link);
    }
    event->accept();
}
