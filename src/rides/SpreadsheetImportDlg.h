#pragma once
// The column-mapping step of a spreadsheet import: which column holds each
// field (guessed from the headings), the order of day, month and year, the
// decimal mark and the distance unit, the bicycle each name of the file is
// given (a new one or one of the log's), and the bicycle of rows without a
// name; below, the first rows as they will be read, each with its line and
// what stops it, and how many can be imported. Nothing is stored here.

#include "rides/SpreadsheetImport.h"
#include "store/store.h"
#include "units/CsvReader.h"

#include <QDialog>
#include <QString>
#include <vector>

class QComboBox;
class QLabel;
class QTableWidget;
class QGridLayout;

class SpreadsheetImportDlg : public QDialog {
    Q_OBJECT
public:
    // suggestedBicycle: the bicycle rows without a name go on at first (0: the first one).
    SpreadsheetImportDlg(const QString& fileName, CsvTable table, const BicycleList& bicycles,
                         int32_t suggestedBicycle, QWidget* parent = nullptr);

    // What was chosen, when the dialog was accepted with Import.
    const std::vector<SheetRow>& Rows() const { return m_rows; }
    std::vector<SheetBicycle> ChosenBicycles() const;
    int32_t DefaultBicycle() const;

private:
    QComboBox* AddChoice(QGridLayout* grid, int row, int column, const QString& label, const char* name);
    void TakeChoices();
    void Reread();
    void FillBicycles();
    void FillPreview();
    void OnImport();

    CsvTable m_table;
    BicycleList m_bicycles;
    SheetMapping m_mapping;
    std::vector<SheetRow> m_rows;
    std::vector<SheetBicycle> m_names;

    std::vector<QComboBox*> m_columns;  // by RideSheetField; none for the average speed
    QComboBox* m_dateOrder;
    QComboBox* m_decimalMark;
    QComboBox* m_unit;
    QComboBox* m_defaultBicycle;
    QTableWidget* m_nameTable;
    QTableWidget* m_preview;
    QLabel* m_count;
};

// True for a file the spreadsheet import reads: a ".csv" file, whatever the case.
bool IsSpreadsheetFile(const QString& path);

// Reads the file, asks for the mapping, imports with progress and Cancel, and
// tells the rider how it went. The summary says what came in (nothing when
// the rider stopped at the mapping step or the file could not be read).
ImportSummary ImportSpreadsheetFile(QWidget* parent, const QString& path, const BicycleList& bicycles,
                                    int32_t suggestedBicycle);
