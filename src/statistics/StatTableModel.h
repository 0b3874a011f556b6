#pragma once
// The statistics page's list: ready-made rows of texts under headings that
// change with the contents shown. Headings and rows are plain texts, so what
// the list shows is exactly what the report writes.

#include "statistics/PeriodSummary.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <set>
#include <vector>

class QHeaderView;

struct StatColumn {
    QString heading;
    int width = 100;
};

class StatTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces the columns; the rows go with them.
    void SetColumns(std::vector<StatColumn> columns);
    // Replaces the rows; the rows named in emphasised are shown in bold.
    void SetRows(StatRows rows, std::set<int> emphasised = {});
    void ClearRows();

    const std::vector<StatColumn>& Columns() const { return m_columns; }
    const StatRows& Rows() const { return m_rows; }
    QStringList Headings() const;
    // Gives the header the columns' widths.
    void ApplyColumnWidths(QHeaderView* header) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<StatColumn> m_columns;
    StatRows m_rows;
    std::set<int> m_emphasised;
};
