// How the rides page copes with a long log: the 100,000 rides of the store
// benchmark's log, all listed at once. Each figure is the median of several
// runs beside its floor, DB_GetRideRecords reading the same rides alone,
// timed in alternation so that a busy moment weighs on both alike.
//
// Targets: the page's reload (bicycles, fetch, table model, sums, status
// line) within 1.5x the floor; a click on each sortable heading within 0.5x;
// the plain-text and comma-separated exports (report built and written)
// within 4x.
//
//   build/rides_bench        exits 1 when a target is missed

#include "ListPageBench.h"
#include "rides/RideDlg.h"
#include "rides/RideReport.h"

int main(int argc, char** argv) {
    return RunListPageBench<RideDlg>(argc, argv, "rides", "rides", benchlog::kRides, "DB_GetRideRecords",
                                     kRideReports, ListPageTargets{}, benchlog::Runs{5, 1.0});
}
