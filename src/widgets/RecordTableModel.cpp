#include "widgets/RecordTableModel.h"

#include <QHeaderView>
#include <algorithm>
#include <numeric>

RecordTableModelBase::RecordTableModelBase(std::vector<TableColumnInfo> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)) {}

int RecordTableModelBase::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

int RecordTableModelBase::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant RecordTableModelBase::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return CellText(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Column(index.column()).alignment);
        default:
            return {};
    }
}

QVariant RecordTableModelBase::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (role) {
        case Qt::DisplayRole:
            return HeadingText(section);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Column(section).alignment);
        default:
            return {};
    }
}

QString RecordTableModelBase::HeadingText(int column) const {
    const TableColumnInfo& info = Column(column);
    QString text = GetLanguageString(info.heading);
    if (info.headingUnit) {
        text += QStringLiteral(" (") + info.headingUnit() + u')';
    }
    return text;
}

bool RecordTableModelBase::SortRows(int column, bool ascending) {
    if (column < 0 || column >= columnCount() || !Column(column).sortable) {
        return false;
    }
    std::vector<double> keys;
    ComputeSortKeys(column, keys);

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> recordsBefore;
    recordsBefore.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before) {
        recordsBefore.push_back(RecordIndex(index.row()));
    }

    const double* key = keys.data();
    if (ascending) {
        std::stable_sort(m_order.begin(), m_order.end(), [key](int a, int b) { return key[a] < key[b]; });
    } else {
        std::stable_sort(m_order.begin(), m_order.end(), [key](int a, int b) { return key[a] > key[b]; });
    }

    if (!before.isEmpty()) {
        std::vector<int> rowOf(m_order.size());
        for (size_t row = 0; row < m_order.size(); ++row) {
            rowOf[static_cast<size_t>(m_order[row])] = static_cast<int>(row);
        }
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            const int record = recordsBefore[static_cast<size_t>(i)];
            after.append(record < 0 ? QModelIndex()
                                    : index(rowOf[static_cast<size_t>(record)], before[i].column()));
        }
        changePersistentIndexList(before, after);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return true;
}

int RecordTableModelBase::RecordIndex(int row) const {
    return row >= 0 && row < rowCount() ? m_order[static_cast<size_t>(row)] : -1;
}

int RecordTableModelBase::RowOfRecord(int recordIndex) const {
    const auto found = std::find(m_order.begin(), m_order.end(), recordIndex);
    return found == m_order.end() ? -1 : static_cast<int>(found - m_order.begin());
}

void RecordTableModelBase::RefreshHeadings(QHeaderView* header) {
    if (columnCount() > 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }
    ApplyColumnWidths(header);
}

void RecordTableModelBase::ApplyColumnWidths(QHeaderView* header) const {
    if (!header) {
        return;
    }
    for (int column = 0; column < columnCount(); ++column) {
        header->resizeSection(column, Column(column).width);
    }
}

void RecordTableModelBase::ResetOrder(size_t recordCount) {
    m_order.resize(recordCount);
    std::iota(m_order.begin(), m_order.end(), 0);
}
