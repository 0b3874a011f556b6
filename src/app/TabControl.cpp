#include "app/TabControl.h"

#include <QScrollArea>

#include <QKeySequence>
#include <QPainter>
#include <QShortcut>
#include <QStyleOptionTab>

QFont TabControl::CaptionFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

TabCaptionBar::TabCaptionBar(QWidget* parent) : QTabBar(parent) {
    setFont(TabControl::CaptionFont());
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
}

QSize TabCaptionBar::tabSizeHint(int index) const {
    const int textWidth = fontMetrics().horizontalAdvance(DrawnCaption(index));
    return {qMax(60, textWidth + 24), TabControl::kTabRowHeight};
}

void TabCaptionBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        option.text.clear();
        style()->drawControl(QStyle::CE_TabBarTabShape, &option, &painter, this);

        // Centred, with the text box ending three pixels above the item's bottom.
        const QRect item = tabRect(i);
        const QString caption = DrawnCaption(i);
        const int textWidth = metrics.horizontalAdvance(caption);
        const int itemBottom = item.top() + item.height();
        const int x = item.left() + item.width() / 2 - textWidth / 2 + 1;
        const int y = itemBottom - metrics.height() - 3;
        painter.setPen(Qt::black);
        painter.drawText(QRect(x, y, textWidth + 1, metrics.height()), Qt::AlignLeft | Qt::TextSingleLine,
                         caption);
    }
}

TabControl::TabControl(QWidget* parent) : QWidget(parent), m_bar(new TabCaptionBar(this)) {
    setObjectName(QStringLiteral("TabControl"));
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        ShowOnly(index);
        Q_EMIT CurrentChanged(index);
    });
    // The keys every tabbed window knows: Ctrl+Tab and Ctrl+Page Down to the
    // next page, Ctrl+Shift+Tab and Ctrl+Page Up to the previous, round the end.
    const auto step = [this](int by) {
        if (Count() > 0) {
            SetCurrentIndex((CurrentIndex() + by + Count()) % Count());
        }
    };
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}) {
        connect(new QShortcut(keys, this, nullptr, nullptr, Qt::WindowShortcut), &QShortcut::activated, this,
                [step] { step(1); });
    }
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::Key_PageUp)}) {
        connect(new QShortcut(keys, this, nullptr, nullptr, Qt::WindowShortcut), &QShortcut::activated, this,
                [step] { step(-1); });
    }
}

int TabControl::AddTab(const QString& caption, QWidget* page) {
    // Each page sits in a scroll area of its own: on a small screen, a window
    // smaller than what a page's layout needs scrolls the page rather than
    // cutting its buttons off.
    auto* frame = new QScrollArea(this);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setWidgetResizable(true);
    frame->setWidget(page);
    page->show();  // shown and hidden with its frame from now on
    QPalette white = frame->palette();
    white.setColor(QPalette::Window, Qt::white);
    frame->setPalette(white);
    frame->viewport()->setAutoFillBackground(true);
    m_frames.push_back(frame);
    m_pages.push_back(page);
    const int index = m_bar->addTab(caption);
    LayoutPages();
    ShowOnly(m_bar->currentIndex());
    return index;
}

void TabControl::SetCaption(int index, const QString& caption) {
    m_bar->setTabText(index, caption);
    m_bar->update();
}

QString TabControl::Caption(int index) const {
    return m_bar->tabText(index);
}

QWidget* TabControl::Page(int index) const {
    return index >= 0 && index < Count() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int TabControl::CurrentIndex() const {
    return m_bar->currentIndex();
}

void TabControl::SetCurrentIndex(int index) {
    m_bar->setCurrentIndex(index);
    ShowOnly(index);
}

void TabControl::ShowOnly(int index) {
    // Hide first, so that a page being shown never sees a sibling still visible.
    for (int i = 0; i < Count(); ++i) {
        if (i != index)
            m_frames[static_cast<size_t>(i)]->hide();
    }
    if (index >= 0 && index < Count())
        m_frames[static_cast<size_t>(index)]->show();
}

void TabControl::LayoutPages() {
    m_bar->setGeometry(0, 0, width(), kTabRowHeight);
    // Pages sit 4 pixels in from the display area's sides and bottom, below the tab row.
    const QRect pageRect(4, kTabRowHeight, width() - 8, height() - kTabRowHeight - 4);
    for (QScrollArea* frame : m_frames)
        frame->setGeometry(pageRect);
}

void TabControl::resizeEvent(QResizeEvent*) {
    LayoutPages();
}

void TabControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRect display(0, kTabRowHeight - 1, width() - 1, height() - kTabRowHeight);
    painter.setPen(QColor(0xB8, 0xC4, 0xCC));
    painter.drawRect(display);
}
