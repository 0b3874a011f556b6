// How the maintenance page copes with a long log: the 20,000 maintenance
// entries of the store benchmark's log, all listed at once. Each figure is
// the median of several runs beside its floor, DB_GetMaintenanceRecords
// reading the same entries alone, timed in alternation so that a busy moment
// weighs on both alike.
//
// Targets: the page's reload (bicycles, fetch, table model, sum, status line)
// within 1.5x the floor; a click on each sortable heading within 0.5x; the
// plain-text and comma-separated exports (report built and written) within 4x.
//
//   build/maintenance_bench        exits 1 when a target is missed

#include "ListPageBench.h"
#include "maintenance/MaintenanceDlg.h"
#include "maintenance/MaintenanceReport.h"

int main(int argc, char** argv) {
    return RunListPageBench<MaintenanceDlg>(argc, argv, "maintenance", "entries",
                                            benchlog::kMaintenanceEntries, "DB_GetMaintenanceRecords",
                                            kMaintenanceReports, ListPageTargets{}, benchlog::Runs{7, 1.0});
}
