#include "widgets/EmptyListHint.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// Quieter than the list's text, but well readable on white.
const QColor kHintColour(0x3E, 0x55, 0x60);
const QColor kNoteColour(0x6B, 0x7B, 0x83);
const QColor kLinkColour(0x1B, 0x6F, 0x9C);
// A hint reads as a short column, not as a line across a wide window.
constexpr int kMostTextWidth = 520;
constexpr int kMargin = 16;
constexpr int kButtonWidth = 200;

QLabel* HintLabel(QWidget* parent, const QColor& colour, qreal fontScale) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * fontScale);
    label->setFont(font);
    return label;
}
}  // namespace

EmptyListHint::EmptyListHint(QAbstractScrollArea* list)
    : QWidget(list),
      m_viewport(list->viewport()),
      m_text(HintLabel(this, kHintColour, 1.15)),
      m_note(HintLabel(this, kNoteColour, 1.0)),
      m_actions(new QVBoxLayout) {
    setObjectName(QStringLiteral("emptyListHint"));
    m_text->setObjectName(QStringLiteral("hintText"));
    m_note->setObjectName(QStringLiteral("hintNote"));
    m_actions->setSpacing(6);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(14);
    layout->addStretch(2);
    // Without an alignment of their own the labels take the whole width and
    // so their wrapped height; the margins keep that width to a column.
    layout->addWidget(m_text);
    layout->addLayout(m_actions);
    layout->addWidget(m_note);
    layout->addStretch(3);

    m_viewport->installEventFilter(this);
    hide();
    FollowViewport();
}

QPushButton* EmptyListHint::AddAction(const char* objectName, ActionLook look) {
    auto* button = new QPushButton(this);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    SetLook(button, look);
    button->hide();
    m_buttons.append(button);
    return button;
}

void EmptyListHint::SetLook(QPushButton* button, ActionLook look) {
    const bool link = look == ActionLook::Link;
    button->setFlat(link);
    QPalette palette = button->parentWidget()->palette();
    QFont font = button->parentWidget()->font();
    if (link) {
        button->setCursor(Qt::PointingHandCursor);
        palette.setColor(QPalette::ButtonText, kLinkColour);
        font.setUnderline(true);
        button->setMinimumSize(0, 0);
    } else {
        button->unsetCursor();
        button->setMinimumSize(kButtonWidth, 32);
    }
    button->setPalette(palette);
    button->setFont(font);
}

void EmptyListHint::ShowHint(const QString& text, std::initializer_list<QPushButton*> actions,
                             const QString& note) {
    for (QPushButton* button : m_buttons) {
        m_actions->removeWidget(button);
        button->hide();
    }
    for (QPushButton* button : actions) {
        // Room around the caption, which runs longer in some languages.
        if (!button->isFlat()) {
            button->setMinimumWidth(
                std::max(kButtonWidth, button->fontMetrics().horizontalAdvance(button->text()) + 40));
        }
        m_actions->addWidget(button, 0, Qt::AlignHCenter);
        button->show();
    }
    m_text->setText(text);
    m_text->setVisible(!text.isEmpty());
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
    FollowViewport();
    show();
    raise();
}

void EmptyListHint::HideHint() {
    hide();
    m_text->clear();
    m_note->clear();
}

QString EmptyListHint::Text() const {
    return isHidden() ? QString() : m_text->text();
}

QString EmptyListHint::Note() const {
    return isHidden() ? QString() : m_note->text();
}

bool EmptyListHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewport && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        FollowViewport();
    }
    return QWidget::eventFilter(watched, event);
}

void EmptyListHint::FollowViewport() {
    const QRect area = m_viewport->geometry();
    const int side = std::max(kMargin, (area.width() - kMostTextWidth) / 2);
    layout()->setContentsMargins(side, kMargin, side, kMargin);
    setGeometry(area);
}
