#pragma once
// What an import will bring, shown before anything is stored: each activity
// with its date, name, type, distance, time, bicycle and whether the log has
// it already; the other program's gear names mapped to bicycles of the log
// or new ones the rider names; the types to import; a count. The dialog only
// chooses: the rides page makes the new bicycles and runs the import.

#include "rides/ArchiveImport.h"
#include "store/store.h"

#include <QDialog>
#include <utility>
#include <vector>

class QCheckBox;
class QProgressDialog;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class ImportPreviewModel;

// A bicycle chooser: the log's bicycles, then "New bicycle" with its name.
struct BicycleChooser {
    QComboBox* bicycle = nullptr;
    QLineEdit* newName = nullptr;
};

class ImportPreviewDlg : public QDialog {
    Q_OBJECT
public:
    // Bicycles the rider adds here have negative numbers in the plan, each
    // named in NewBicycles. fallback is the bicycle for activities without
    // gear (the rides page's filter), none when it lists all bicycles.
    ImportPreviewDlg(ImportPlan plan, const BicycleList& bicycles, std::optional<int32_t> fallback,
                     const KnownRides& known, QWidget* parent);
    ~ImportPreviewDlg() override;

    const ImportPlan& Plan() const { return m_plan; }
    // Number (negative) and name of each bicycle to add; once accepted, only
    // those that rides go to.
    const std::vector<std::pair<int32_t, QString>>& NewBicycles() const { return m_newBicycles; }
    // What the count line says now.
    QString CountText() const;

    // Runs the preview (guarded against its parent closing); true when the
    // rider chose to import.
    static bool Ask(QWidget* parent, ImportPlan* plan, const BicycleList& bicycles,
                    std::optional<int32_t> fallback, const KnownRides& known,
                    std::vector<std::pair<int32_t, QString>>* newBicycles);

private:
    BicycleChooser AddChooser(const QString& objectName, const QString& newName,
                              std::optional<int32_t> chosen);
    // Bicycle numbers from the choosers into the plan, known ones marked anew.
    void ApplyChoices();
    void UpdateCount();
    void OnImport();

    ImportPlan m_plan;
    const BicycleList& m_bicycles;
    const KnownRides& m_known;
    QStringList m_gears;
    std::vector<BicycleChooser> m_gearChoosers;  // one a gear name, in m_gears' order
    BicycleChooser m_fallback;
    std::vector<std::pair<QString, QCheckBox*>> m_types;
    std::vector<std::pair<int32_t, QString>> m_newBicycles;
    ImportPreviewModel* m_model;
    QTableView* m_table;
    QLabel* m_count;
};

// The window an import shows while it runs: modal to its page, at once,
// with Cancel, staying open until the import is done; its label is plain
// text whatever a file's name looks like.
QProgressDialog* NewImportProgress(QWidget* parent, const QString& title);
