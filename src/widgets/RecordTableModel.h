#pragma once
// The table of a list page: a QAbstractTableModel over the page's fetched
// records, driven by a column table (heading, width, alignment, cell text,
// sort key). Cells are worked out when the view asks for them, so a list of
// a hundred thousand rides costs no more than the rows on screen; sorting
// reorders a vector of row indices by keys computed once per sort.

#include "language/Language.h"

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <span>
#include <utility>
#include <vector>

class QHeaderView;

// What the model needs to know of a column apart from its records.
struct TableColumnInfo {
    LanguageKey heading;
    int width = 100;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool sortable = false;
    // A column the rider shows or hides from the heading's context menu,
    // known by this name among the preferences; none for a column always shown.
    const char* choiceName = nullptr;
    // The unit the heading names in brackets, looked up with it; none for a
    // column without one.
    QString (*headingUnit)() = nullptr;
};

class RecordTableModelBase : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordTableModelBase(std::vector<TableColumnInfo> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of a cell as shown, row in the current order.
    virtual QString CellText(int row, int column) const = 0;
    // The heading of a column, looked up now, with its unit.
    QString HeadingText(int column) const;
    const TableColumnInfo& Column(int column) const { return m_columns[static_cast<size_t>(column)]; }

    // Puts the rows in the order of the column's key, smaller first when
    // ascending; rows of equal keys keep their order. False (and nothing
    // changes) for a column without a key.
    bool SortRows(int column, bool ascending);

    // Position in the record vector of the row shown at row; -1 when out of range.
    int RecordIndex(int row) const;
    // The row that shows the record at recordIndex, or -1.
    int RowOfRecord(int recordIndex) const;

    // After a language change: headings are looked up again and the widths
    // given back to the header.
    void RefreshHeadings(QHeaderView* header);
    void ApplyColumnWidths(QHeaderView* header) const;

protected:
    // Fills keys with the sort key of every record (by record index).
    virtual void ComputeSortKeys(int column, std::vector<double>& keys) const = 0;
    // Call inside beginResetModel/endResetModel when the records change.
    void ResetOrder(size_t recordCount);

private:
    std::vector<TableColumnInfo> m_columns;
    std::vector<int> m_order;  // row -> record index
};

// A column of a table over records of type Record.
template <typename Record>
struct RecordColumn {
    TableColumnInfo info;
    std::function<QString(const Record&)> cellText;
    std::function<double(const Record&)> sortKey;  // empty: clicking the heading does not sort
};

template <typename Record>
class RecordTableModel : public RecordTableModelBase {
public:
    explicit RecordTableModel(std::vector<RecordColumn<Record>> columns, QObject* parent = nullptr)
        : RecordTableModelBase(InfosOf(columns), parent), m_columns(std::move(columns)) {}

    // Takes the records over, in the order they are given.
    void SetRecords(std::vector<Record> records) {
        beginResetModel();
        m_records = std::move(records);
        ResetOrder(m_records.size());
        endResetModel();
    }
    // Hands the records back and leaves the table empty.
    std::vector<Record> TakeRecords() {
        beginResetModel();
        std::vector<Record> records = std::move(m_records);
        m_records.clear();
        ResetOrder(0);
        endResetModel();
        return records;
    }

    const std::vector<Record>& Records() const { return m_records; }
    const Record& RecordAt(int row) const { return m_records[static_cast<size_t>(RecordIndex(row))]; }

    QString CellText(int row, int column) const override {
        return m_columns[static_cast<size_t>(column)].cellText(RecordAt(row));
    }

protected:
    void ComputeSortKeys(int column, std::vector<double>& keys) const override {
        const auto& key = m_columns[static_cast<size_t>(column)].sortKey;
        keys.resize(m_records.size());
        for (size_t i = 0; i < m_records.size(); ++i) {
            keys[i] = key(m_records[i]);
        }
    }

private:
    static std::vector<TableColumnInfo> InfosOf(const std::vector<RecordColumn<Record>>& columns) {
        std::vector<TableColumnInfo> infos;
        for (const RecordColumn<Record>& column : columns) {
            infos.push_back(column.info);
            infos.back().sortable = static_cast<bool>(column.sortKey);
        }
        return infos;
    }

    std::vector<RecordColumn<Record>> m_columns;
    std::vector<Record> m_records;
};

// The column table of a list whose cells and sort keys are worked out from
// the record and the column: cell(record, column, words) and key(record,
// column); a column sorts when its info says so. The cells read the words
// through the pointer, which must outlive the model.
template <typename Record, typename Words>
std::vector<RecordColumn<Record>> MakeRecordColumns(std::span<const TableColumnInfo> infos,
                                                    const Words* words,
                                                    QString (*cell)(const Record&, int, const Words&),
                                                    double (*key)(const Record&, int)) {
    std::vector<RecordColumn<Record>> columns;
    columns.reserve(infos.size());
    for (int column = 0; column < static_cast<int>(infos.size()); ++column) {
        RecordColumn<Record> entry;
        entry.info = infos[static_cast<size_t>(column)];
        entry.cellText = [column, words, cell](const Record& record) { return cell(record, column, *words); };
        if (entry.info.sortable) {
            entry.sortKey = [column, key](const Record& record) { return key(record, column); };
        }
        columns.push_back(std::move(entry));
    }
    return columns;
}
