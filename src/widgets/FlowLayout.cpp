#include "widgets/FlowLayout.h"

#include <QWidget>
#include <algorithm>

namespace {

// The width an item asks for: its hint, within its own bounds.
QSize WantedSize(const QLayoutItem* item) {
    return item->sizeHint().expandedTo(item->minimumSize()).boundedTo(item->maximumSize());
}

}  // namespace

FlowLayout::FlowLayout(int horizontalSpacing, int verticalSpacing)
    : m_horizontalSpacing(horizontalSpacing), m_verticalSpacing(verticalSpacing) {}

FlowLayout::~FlowLayout() {
    // Each item leaves the list before it goes: a layout among them asks
    // this one to remove it while it is deleted.
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

void FlowLayout::AddWidget(QWidget* widget, bool stretches) {
    addChildWidget(widget);
    addItem(new QWidgetItem(widget));
    m_entries.back().stretches = stretches;
}

void FlowLayout::AddLayout(QLayout* layout, bool stretches) {
    addChildLayout(layout);
    addItem(layout);
    m_entries.back().stretches = stretches;
}

void FlowLayout::AddBreak() {
    m_breakNext = true;
}

void FlowLayout::addItem(QLayoutItem* item) {
    m_entries.push_back({item, false, m_breakNext});
    m_breakNext = false;
    invalidate();
}

int FlowLayout::count() const {
    return static_cast<int>(m_entries.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? m_entries[static_cast<size_t>(index)].item : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    QLayoutItem* item = m_entries[static_cast<size_t>(index)].item;
    m_entries.erase(m_entries.begin() + index);
    invalidate();
    return item;
}

Qt::Orientations FlowLayout::expandingDirections() const {
    return {};
}

bool FlowLayout::hasHeightForWidth() const {
    return true;
}

int FlowLayout::heightForWidth(int width) const {
    return Arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const {
    QSize size;
    for (const Entry& entry : m_entries) {
        if (!entry.item->isEmpty()) {
            size = size.expandedTo(entry.item->minimumSize());
        }
    }
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize FlowLayout::sizeHint() const {
    int width = 0;
    int height = 0;
    for (const Entry& entry : m_entries) {
        if (entry.item->isEmpty()) {
            continue;
        }
        const QSize wanted = WantedSize(entry.item);
        width += (width > 0 ? m_horizontalSpacing : 0) + wanted.width();
        height = std::max(height, wanted.height());
    }
    const QMargins margins = contentsMargins();
    return {width + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int FlowLayout::Arrange(const QRect& rect, bool apply) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int room = std::max(area.width(), 0);
    int top = area.top();
    size_t first = 0;
    bool anyLine = false;
    while (first < m_entries.size()) {
        // The items of this line: as many as fit, at least one.
        std::vector<std::pair<const Entry*, QSize>> line;
        int used = 0;
        size_t next = first;
        for (; next < m_entries.size(); ++next) {
            const Entry& entry = m_entries[next];
            if (entry.item->isEmpty()) {
                continue;
            }
            QSize wanted = WantedSize(entry.item);
            wanted.setWidth(std::min(wanted.width(), std::max(room, entry.item->minimumSize().width())));
            const int needed = (line.empty() ? 0 : used + m_horizontalSpacing) + wanted.width();
            if (!line.empty() && (entry.breakBefore || needed > room)) {
                break;
            }
            line.emplace_back(&entry, wanted);
            used = needed;
        }
        first = next;
        if (line.empty()) {
            break;
        }
        if (anyLine) {
            top += m_verticalSpacing;
        }
        anyLine = true;
        int height = 0;
        int stretching = 0;
        for (const auto& [entry, wanted] : line) {
            height = std::max(height, wanted.height());
            stretching += entry->stretches ? 1 : 0;
        }
        if (apply) {
            // What is left of the line goes to the items that stretch, as far as they may grow.
            int left = std::max(room - used, 0);
            int x = area.left();
            for (auto& [entry, wanted] : line) {
                int width = wanted.width();
                if (entry->stretches && stretching > 0) {
                    const int share = left / stretching;
                    const int grown = std::min(width + share, entry->item->maximumSize().width());
                    left -= grown - width;
                    --stretching;
                    width = grown;
                }
                entry->item->setGeometry(QRect(x, top + height - wanted.height(), width, wanted.height()));
                x += width + m_horizontalSpacing;
            }
        }
        top += height;
    }
    return top - area.top() + contentsMargins().top() + contentsMargins().bottom();
}
