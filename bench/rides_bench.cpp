// How the rides page copes with a long log: the 100,000 rides of the store
// benchmark's log, all listed at once. Each figure is the median of several
// runs beside its floor, DB_GetRideRecords reading the same rides alone,
// timed in alternation so that a busy moment weighs on both alike.
//
// Every ride keeps its further figures beside it, as imported rides do; the
// reload reads them for the further columns and the status line's climb.
//
// Targets: the page's reload (bicycles, fetch, table model, sums, status
// line) within 1.5x the floor, also with the ascent column shown, whose
// figures are then read for every listed ride; a click on each sortable heading within 0.5x;
// the plain-text and comma-separated exports (report built and written)
// within 4x.
//
//   build/rides_bench        exits 1 when a target is missed

#include "ListPageBench.h"
#include "rides/RideDlg.h"
#include "rides/RideReport.h"

namespace {

// Every ride as an import leaves it: with its further figures beside it, so
// that the reload reads a row of them for each ride and the figures' columns
// sort real values.
bool FillRideDetails() {
    return DB_ExecSql(
               DB_GetConnection(),
               "insert into RideDetail(RideRecordNumber, Date, Ascent, Descent, AverageHeartRate, "
               "MaxHeartRate, AverageCadence, AveragePower, MaxPower, Calories, AverageTemperature, "
               "ElapsedSeconds, SourceFile) select RideRecordNumber, Date, Distance * (5 + "
               "RideRecordNumber % 9), Distance * 7, 110 + RideRecordNumber % 50, 150 + RideRecordNumber % "
               "40, 80 + RideRecordNumber % 15, 150 + RideRecordNumber % 90, 400 + RideRecordNumber % 500, "
               "Distance * 25, 5 + RideRecordNumber % 25, Hours * 3600 + Minutes * 60 + Seconds + 900, "
               "'ride.fit' from RideRecord") == store::kOk;
}

}  // namespace

int main(int argc, char** argv) {
    return RunListPageBench<RideDlg>(argc, argv, "rides", "rides", benchlog::kRides, "DB_GetRideRecords",
                                     kRideReports, ListPageTargets{}, benchlog::Runs{5, 1.0},
                                     &FillRideDetails, kRideAscentColumn);
}
