#include "widgets/ImageButton.h"

#include <QPainter>
#include <QPixmap>

namespace {
// Loaded once and shared by every button.
const QPixmap& ButtonFace() {
    static const QPixmap face(QStringLiteral(":/button.png"));
    return face;
}
}  // namespace

ImageButton::ImageButton(QWidget* parent) : QPushButton(parent) {}

ImageButton::ImageButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

QString ImageButton::DrawnCaption(const QString& caption) {
    QString drawn = caption;
    drawn.remove(QLatin1Char('&'));
    return drawn;
}

QSize ImageButton::sizeHint() const {
    const QSize captionSize = fontMetrics().size(Qt::TextSingleLine, DrawnCaption(text()));
    return {qMax(104, captionSize.width() + 24), 34};
}

QSize ImageButton::minimumSizeHint() const {
    // A few pixels either side keep the caption off the face's rounded ends.
    return {fontMetrics().horizontalAdvance(DrawnCaption(text())) + 8, 34};
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), Qt::white);
    const int shift = isDown() ? 1 : 0;
    const QRect face = rect().translated(shift, shift);
    if (!ButtonFace().isNull()) {
        painter.drawPixmap(face, ButtonFace());
    }
    if (!isEnabled()) {
        painter.setOpacity(0.45);
    }
    painter.setPen(Qt::black);
    painter.drawText(face, Qt::AlignCenter | Qt::TextSingleLine, DrawnCaption(text()));
    if (hasFocus()) {
        painter.setOpacity(0.6);
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(face.adjusted(4, 4, -5, -5));
    }
}
