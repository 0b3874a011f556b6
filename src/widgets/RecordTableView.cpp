#include "widgets/RecordTableView.h"

#include "widgets/RecordTableModel.h"
#include "widgets/TabPage.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <algorithm>

namespace {
constexpr int kArrowSize = 16;
constexpr int kArrowMargin = 2;
// Room around a text: the cell's margins, and for a heading also the arrow.
constexpr int kCellPadding = 14;
constexpr int kHeadingPadding = kArrowSize + 2 * kArrowMargin + 14;
}  // namespace

SortArrowHeader::SortArrowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("sortHeader"));
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setStretchLastSection(true);
}

void SortArrowHeader::ShowArrow(int column, bool ascending) {
    m_arrowColumn = column;
    m_ascending = ascending;
    viewport()->update();
}

void SortArrowHeader::ClearArrow() {
    m_arrowColumn = -1;
    viewport()->update();
}

QPixmap SortArrowHeader::ArrowImage(bool ascending) {
    static const QPixmap strip(QStringLiteral(":/sort_arrows.png"));
    return strip.copy((ascending ? 1 : 0) * kArrowSize, 0, kArrowSize, kArrowSize);
}

QRect SortArrowHeader::ArrowRect(const QRect& section) {
    return QRect(section.right() - kArrowSize - kArrowMargin,
                 section.top() + (section.height() - kArrowSize) / 2, kArrowSize, kArrowSize);
}

void SortArrowHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    // The heading keeps clear of the arrow, whichever side it is aligned to.
    const bool arrow = logicalIndex == m_arrowColumn && rect.width() > kArrowSize + 2 * kArrowMargin;
    QStyleOptionHeader label = option;
    label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    if (arrow) {
        label.rect.setRight(std::min(label.rect.right(), ArrowRect(rect).left() - 1));
    }
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    painter->restore();
    if (arrow) {
        painter->drawPixmap(ArrowRect(rect), ArrowImage(m_ascending));
    }
}

QSize SortArrowHeader::sectionSizeFromContents(int logicalIndex) const {
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    size.setWidth(size.width() + kArrowSize + kArrowMargin);
    size.setHeight(qMax(size.height(), kArrowSize + 6));
    return size;
}

RecordTableView::RecordTableView(QWidget* parent) : QTableView(parent), m_header(new SortArrowHeader(this)) {
    setHorizontalHeader(m_header);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every row is one line high: the view never measures rows, which keeps
    // long lists quick to show and to scroll.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            Q_EMIT RowActivated(index.row());
        }
    });
    connect(m_header, &QHeaderView::sectionClicked, this, &RecordTableView::HeadingClicked);
}

void RecordTableView::SetRecordModel(RecordTableModelBase* model) {
    m_model = model;
    setModel(model);
    if (model) {
        model->ApplyColumnWidths(m_header);
    }
}

void RecordTableView::FitColumnWidths(int sampleRows) {
    if (!m_model) {
        return;
    }
    const QFontMetrics cells = fontMetrics();
    const QFontMetrics headings = m_header->fontMetrics();
    const int rows = std::min(m_model->rowCount(), sampleRows);
    // The last column shown takes what room is left; hidden ones are not measured.
    int lastShown = -1;
    for (int visual = m_header->count() - 1; visual >= 0 && lastShown < 0; --visual) {
        const int logical = m_header->logicalIndex(visual);
        if (!m_header->isSectionHidden(logical)) {
            lastShown = logical;
        }
    }
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (column == lastShown || m_header->isSectionHidden(column)) {
            continue;
        }
        int width = std::max(m_model->Column(column).width,
                             headings.horizontalAdvance(m_model->HeadingText(column)) + kHeadingPadding);
        for (int row = 0; row < rows; ++row) {
            width = std::max(width, cells.horizontalAdvance(m_model->CellText(row, column)) + kCellPadding);
        }
        m_header->resizeSection(column, width);
    }
}

int RecordTableView::FirstSelectedRow() const {
    if (!selectionModel()) {
        return -1;
    }
    const QModelIndexList rows = selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

void RecordTableView::SelectRow(int row) {
    if (!model() || row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void RecordTableView::keyPressEvent(QKeyEvent* event) {
    // The view's own handling would pass Enter on to the window, which ignores it.
    if (IsOpenKey(event) && currentIndex().isValid()) {
        event->accept();
        Q_EMIT RowActivated(currentIndex().row());
        return;
    }
    QTableView::keyPressEvent(event);
}
