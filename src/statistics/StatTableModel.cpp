#include "statistics/StatTableModel.h"

#include <QFont>
#include <QHeaderView>

void StatTableModel::SetColumns(std::vector<StatColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    m_rows.clear();
    m_emphasised.clear();
    endResetModel();
}

void StatTableModel::SetRows(StatRows rows, std::set<int> emphasised) {
    beginResetModel();
    m_rows = std::move(rows);
    m_emphasised = std::move(emphasised);
    endResetModel();
}

void StatTableModel::ClearRows() {
    SetRows({});
}

QStringList StatTableModel::Headings() const {
    QStringList headings;
    for (const StatColumn& column : m_columns) {
        headings << column.heading;
    }
    return headings;
}

void StatTableModel::ApplyColumnWidths(QHeaderView* header) const {
    for (int column = 0; column < columnCount(); ++column) {
        header->resizeSection(column, m_columns[static_cast<size_t>(column)].width);
    }
}

int StatTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int StatTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant StatTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            // A row may carry fewer texts than there are columns.
            return m_rows[static_cast<size_t>(index.row())].value(index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::FontRole:
            if (m_emphasised.count(index.row())) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
    }
}

QVariant StatTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_columns[static_cast<size_t>(section)].heading;
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}
