#pragma once
// The parts and service tasks of one bicycle: the parts with their usage,
// the tasks with their progress since last done, and the steps that change
// them. Entries for work done are made through the maintenance editor, which
// the main window lends (pages do not know each other).

#include "bicycles/ServiceStatus.h"

#include <QDialog>
#include <QString>
#include <functional>

class QTreeWidget;
class QPushButton;

// Opens the maintenance editor for a new entry prefilled with entry (date,
// bicycle, memo); store writes the edited entry and says whether that worked.
// True when the entry was saved.
using MaintenanceEntryEditor = std::function<bool(QWidget* parent, const MaintenanceRecord& entry,
                                                  std::function<bool(const MaintenanceRecord&)> store)>;

// The service line of a bicycle card ("2 due, 1 soon"); empty when nothing is due.
QString ServiceLine(const ServiceCounts& counts);
// The interval of a task in the unit shown ("every 200 mi, 50 h").
QString IntervalText(const ServiceTask& task);
QString StateText(TaskState state);
// What is left of the interval that comes first ("120 mi left", "3 days over").
QString LeftText(const TaskStatus& status);
// The name of a part kind, as the window offers them.
QString PartKindName(int kind);
// Today's local midnight.
int64_t Today();

// One entry of the starter list in the language file, in the unit shown.
struct StarterTask {
    QString name;
    TaskKind kind = TaskKind::Every;
    double distance = 0.0;  // kilometres, from a round figure in the rider's unit
    double hours = 0.0;
    int days = 0;
};
std::vector<StarterTask> StarterTasks();

class PartsServiceDlg : public QDialog {
    Q_OBJECT
public:
    PartsServiceDlg(int bicycleNumber, const QString& bicycleName, BicycleList bicycles,
                    MaintenanceEntryEditor editEntry, QWidget* parent);

    QTreeWidget* PartList() const { return m_parts; }
    QTreeWidget* TaskList() const { return m_tasks; }

private:
    void Reload();
    int SelectedPart() const;
    const ServiceTask* SelectedTask() const;
    void OnAddPart();
    void OnEditPart();
    void OnMovePart();
    void OnEditDates();
    void OnReplacePart();
    void OnDeletePart();
    void OnAddTask();
    void OnEditTask();
    void OnDeleteTask();
    void OnDone();
    void OnReport();
    bool EditTask(ServiceTask* task);

    int m_bicycleNumber;
    BicycleList m_bicycles;
    MaintenanceEntryEditor m_editEntry;
    ServiceData m_data;
    QTreeWidget* m_parts;
    QTreeWidget* m_tasks;
};

// Every task that is due or due soon, on every bicycle, most urgent first.
class DueListDlg : public QDialog {
    Q_OBJECT
public:
    DueListDlg(const ServiceData& data, const BicycleList& bicycles, QWidget* parent);
    QTreeWidget* List() const { return m_list; }

private:
    QTreeWidget* m_list;
};
