// Shows the main window on a program directory filled by sample_log, opened
// at the statistics page or the rides page, for looking at them by hand:
//   statistics_host DIR year 2023 [MONTH [CONTENTS STYLE]]
//                                           a year's (or a month's) statistics, or a series of it
//   statistics_host DIR overview            the year-by-year overview
//   statistics_host DIR bars CONTENTS       a series as a bar chart, over all years
//   statistics_host DIR search WORDS        the rides page with a search typed
// Every third ride gets an ascent. Add "small" to show the window at its
// smallest size. Screenshot: /work/shared/tools/shot.sh out.png 4 -- build/statistics_host DIR year 2023
#include "app/MainDlg.h"
#include "app/TabControl.h"
#include "statistics/PeriodSummary.h"
#include "store/store.h"
#include "units/Clock.h"
#include "units/Units.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>

namespace {

// Six years of rides before this one, about three a week, the longer ones
// in summer, so that the overview and a year's months have something to show.
void AddHistory() {
    const int thisYear = ToLocalDateTime(CurrentTime()).year;
    int n = 0;
    for (int year = thisYear - 6; year < thisYear; ++year) {
        for (int day = 1; day <= 365; day += 2 + (n % 3 == 0 ? 1 : 0)) {
            const int month = std::min(12, 1 + day / 31);
            const int dayOfMonth = std::min(28, 1 + day % 31);
            RideRecord ride;
            ride.BicycleNumber = 1 + n % 4;
            ride.Date = static_cast<int32_t>(FromLocalDateTime(year, month, dayOfMonth, 8 + n % 9));
            const double summer = (month >= 5 && month <= 9) ? 1.6 : 1.0;
            ride.Distance = (14.0 + (n * 37) % 45) * summer;
            const int seconds = static_cast<int>(ride.Distance / (21.0 + n % 7) * 3600);
            ride.Hours = seconds / 3600;
            ride.Minutes = seconds % 3600 / 60;
            ride.Seconds = seconds % 60;
            ride.MaxSpeed = 38.0 + n % 12;
            DB_InsertRideRecord(&ride);
            ++n;
        }
    }
}

void GiveAscents() {
    RideRecordList rides;
    DB_GetRideRecords("", &rides);
    for (const RideRecord& ride : rides) {
        if (ride.RideRecordNumber % 3 == 0) {
            RideDetail detail;
            detail.Ascent = 120.0 + (ride.RideRecordNumber * 37) % 900;
            DB_SetRideDetail(ride.RideRecordNumber, &detail);
        }
    }
}

void Choose(QWidget* page, const char* name, const QString& text) {
    if (auto* list = page->findChild<QComboBox*>(QString::fromLatin1(name))) {
        const int index = list->findText(text);
        list->setCurrentIndex(index >= 0 ? index : text.toInt());
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2 || !QDir::setCurrent(args.value(0))) {
        return 2;
    }
    const bool small = args.removeAll(QStringLiteral("small")) > 0;
    const QString mode = args.value(1);
    DB_OpenDatabase();
    // One transaction: a thousand rides each waiting for the disk take long.
    DB_ExecSql(DB_GetConnection(), "begin");
    AddHistory();
    GiveAscents();
    DB_ExecSql(DB_GetConnection(), "commit");
    DB_CloseDatabase();

    MainDlg window;
    if (!window.Initialise()) {
        return 1;
    }
    window.show();
    if (small) {
        window.resize(window.minimumSize());
    }
    QTimer::singleShot(300, &window, [&window, mode, args] {
        TabControl& tabs = window.Tabs();
        for (int i = 0; i < tabs.Count(); ++i) {
            QWidget* page = tabs.Page(i);
            if (mode == QLatin1String("search") && page->objectName() == QLatin1String("RideDlg")) {
                tabs.SetCurrentIndex(i);
                if (auto* search = page->findChild<QLineEdit*>(QStringLiteral("search"))) {
                    search->setFocus();
                    search->setText(args.mid(2).join(u' '));
                }
            } else if (page->objectName() == QLatin1String("StatDlg") && mode != QLatin1String("search")) {
                tabs.SetCurrentIndex(i);
                if (mode == QLatin1String("year")) {
                    Choose(page, "StatYear", args.value(2));
                    Choose(page, "StatMonth", args.value(3, QStringLiteral("0")));
                    if (args.size() > 5) {
                        Choose(page, "StatContents", args.value(4));
                        Choose(page, "StatStyle", args.value(5));
                    }
                } else if (mode == QLatin1String("overview")) {
                    Choose(page, "StatContents", QString::number(kContentsYearByYear));
                } else if (mode == QLatin1String("bars")) {
                    Choose(page, "StatContents", args.value(2));
                    Choose(page, "StatStyle", QStringLiteral("2"));
                    if (auto* start = page->findChild<QDateTimeEdit*>(QStringLiteral("StatStart"))) {
                        start->setDate(QDate(1990, 1, 1));
                    }
                }
            }
        }
    });
    return app.exec();
}
