#pragma once
// The table of a list page: whole-row selection, one row at a time, and a
// header whose sections can be clicked and show a sort arrow. Pages decide
// what a click on a heading does; the header only draws the arrow it is told.

#include <QHeaderView>
#include <QPixmap>
#include <QTableView>

class RecordTableModelBase;

// The horizontal header with the sort arrow: image 1 of the arrow strip for
// ascending, image 0 for descending, drawn at the right end of one section.
class SortArrowHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit SortArrowHeader(QWidget* parent = nullptr);

    // Shows the arrow on column and removes it from every other one.
    void ShowArrow(int column, bool ascending);
    void ClearArrow();
    int ArrowColumn() const { return m_arrowColumn; }
    bool ArrowAscending() const { return m_ascending; }

    // The 16 x 16 arrow image: strip image 1 for ascending, 0 for descending.
    static QPixmap ArrowImage(bool ascending);
    // Where the arrow of a section of this size is drawn.
    static QRect ArrowRect(const QRect& section);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    int m_arrowColumn = -1;
    bool m_ascending = false;
};

class RecordTableView : public QTableView {
    Q_OBJECT
public:
    explicit RecordTableView(QWidget* parent = nullptr);

    // Shows the model and gives its columns their widths.
    void SetRecordModel(RecordTableModelBase* model);
    RecordTableModelBase* RecordModel() const { return m_model; }
    SortArrowHeader* ArrowHeader() const { return m_header; }

    // Widens the columns (never below their own widths) so that the headings
    // and the texts of the first sampleRows rows fit; the last column takes
    // the rest. Only a sample is measured, so long lists cost no more.
    void FitColumnWidths(int sampleRows = 200);

    // The first selected row, or -1 when none is selected.
    int FirstSelectedRow() const;
    // Selects row and scrolls it into view; -1 clears the selection.
    void SelectRow(int row);

Q_SIGNALS:
    // A row was double-clicked, or Enter was pressed on it.
    void RowActivated(int row);
    // The heading of a column was clicked.
    void HeadingClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    SortArrowHeader* m_header;
    RecordTableModelBase* m_model = nullptr;
};
