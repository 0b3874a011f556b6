// The series on the statistics page: the chart beside the list, its axes,
// its hover tip, the unit and the language it follows, and the exports of a
// series: text and comma-separated reports and the chart as a picture.

#include "StatTestSupport.h"
#include "support/ModalDrivers.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"
#include "widgets/ImageButton.h"
#include "widgets/ImportExportDlg.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QToolTip>
#include <QValueAxis>
#include <cmath>

namespace {

class StatChartTest : public StatPageTest {
protected:
    // Rides of the first three weeks of March 2024 on a bicycle.
    void AddMarchRides() {
        const int road = AddBicycle(QStringLiteral("Road <fast>"));
        AddRide(road, Local(2024, 3, 4, 9), 12.0, 0, 30);
        AddRide(road, Local(2024, 3, 6, 9), 20.0, 1);
        AddRide(road, Local(2024, 3, 18, 9), 7.5, 0, 15);
    }

    // Shows the page with the days of March picked and the contents chosen.
    void ShowMarch(int contents, int style) {
        ShowPage();
        StartPicker()->setDateTime(QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
        ChooseListEntry(Contents(), contents);
        ChooseListEntry(Style(), style);
        QApplication::processEvents();  // the chart lays itself out
    }

    QChart* ChartObject() const { return Chart()->chart(); }
    QLineSeries* Line() const { return qobject_cast<QLineSeries*>(ChartObject()->series().value(0)); }
    QBarSet* Bars() const {
        auto* bars = qobject_cast<QBarSeries*>(ChartObject()->series().value(0));
        return bars ? bars->barSets().value(0) : nullptr;
    }
    QValueAxis* ValueAxis() const {
        const QList<QAbstractAxis*> axes = ChartObject()->axes(Qt::Vertical);
        return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.front());
    }
    QCategoryAxis* DateAxis() const {
        const QList<QAbstractAxis*> axes = ChartObject()->axes(Qt::Horizontal);
        return axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis*>(axes.front());
    }

    // Moves the mouse onto a value of the chart, as the rider points at it.
    void PointAt(const QPointF& value) {
        QAbstractSeries* series = ChartObject()->series().value(0);
        const QPointF inChart = ChartObject()->mapToPosition(value, series);
        const QPoint inView = Chart()->mapFromScene(ChartObject()->mapToScene(inChart));
        QTest::mouseMove(Chart()->viewport(), inView);
    }

    QString ReadReport(const QString& name) const {
        const QByteArray bytes = m_programDir.ReadFile(name);
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                  (bytes.size() - 2) / 2);
    }

    ScriptedDialogs m_dialogs;
    ScopedModalDrivers m_drivers;
};

TEST_F(StatChartTest, EverySeriesIsDrawnInTheChosenStyleWithAPointForEveryRow) {
    AddMarchRides();
    for (const int contents : {kContentsDistanceByRide, kContentsTimeByDay, kContentsSpeedByWeek,
                               kContentsDistanceByMonth, kContentsRidesByWeek, kContentsRidesByMonth}) {
        SCOPED_TRACE(contents);
        ShowMarch(contents, 0);
        const int rows = RowCount();
        EXPECT_GT(rows, 0);
        // A line, counts too, with its hover mark.
        ChooseListEntry(Style(), 1);
        EXPECT_TRUE(Chart()->isVisible());
        EXPECT_FALSE(List()->isVisible());
        ASSERT_EQ(ChartObject()->series().size(), 2);
        ASSERT_NE(Line(), nullptr);
        EXPECT_EQ(Line()->count(), rows);
        ChooseListEntry(Style(), 2);
        ASSERT_NE(Bars(), nullptr);
        EXPECT_EQ(Bars()->count(), rows);
        ChooseListEntry(Style(), 0);
        EXPECT_EQ(RowCount(), rows);
    }
    // Riding time by day runs from March 1 to today, the 15th.
    ChooseListEntry(Contents(), kContentsTimeByDay);
    EXPECT_EQ(RowCount(), 15);
}

TEST_F(StatChartTest, ADateMarkSitsUnderTheBarItNames) {
    AddMarchRides();
    ShowMarch(kContentsRidesByWeek, 2);
    ASSERT_NE(Bars(), nullptr);
    const QStringList labels = DateAxis()->categoriesLabels();
    ASSERT_FALSE(labels.isEmpty());
    for (const QString& label : labels) {
        const double place = DateAxis()->endValue(label);
        ASSERT_EQ(place, std::round(place)) << label.toStdString();
        EXPECT_EQ(RowTexts(static_cast<int>(place)).value(0), label);
    }
    // Two rides in the busiest week: the axis is marked in whole rides, 0 to 3.
    EXPECT_EQ(ValueAxis()->max(), 3.0);
    EXPECT_EQ(ValueAxis()->tickCount(), 4);
}

TEST_F(StatChartTest, TheValueAxisNamesItsUnitAndTheChartFollowsMiles) {
    AddMarchRides();
    ShowMarch(kContentsDistanceByWeek, 1);
    ASSERT_NE(Line(), nullptr);
    EXPECT_EQ(ChartObject()->title(), QStringLiteral("Distance by week \u2014 All bicycles"));
    EXPECT_EQ(ValueAxis()->titleText(), QStringLiteral("Distance (km)"));
    // Weeks from the one holding March 1 (a Friday; weeks start on Sunday as
    // the program starts) to the week of today.
    ASSERT_EQ(Line()->count(), 3);
    EXPECT_DOUBLE_EQ(Line()->at(1).y(), 32.0);
    EXPECT_GE(ValueAxis()->max(), 32.0);
    EXPECT_EQ(ValueAxis()->min(), 0.0);
    EXPECT_FALSE(DateAxis()->categoriesLabels().isEmpty());

    const struct {
        int contents;
        const char* title;
    } axes[] = {{kContentsTimeByWeek, "Riding time (hours)"},
                {kContentsSpeedByMonth, "Average speed (km/h)"},
                {kContentsRidesByMonth, "Rides"}};
    for (const auto& axis : axes) {
        ChooseListEntry(Contents(), axis.contents);
        EXPECT_EQ(ValueAxis()->titleText(), QString::fromUtf8(axis.title));
    }

    // The unit is set on the options page; the page shows it when visited again.
    ChooseListEntry(Contents(), kContentsDistanceByWeek);
    HidePage();
    SetDistanceUnit(1);
    ShowPage();
    EXPECT_EQ(ValueAxis()->titleText(), QStringLiteral("Distance (miles)"));
    EXPECT_NEAR(Line()->at(1).y(), 32.0 / 1.609, 1e-9);
}

TEST_F(StatChartTest, WeeksStartOnTheDayOfTheOptionsPage) {
    AddMarchRides();
    SetWeekStart(0);  // Monday
    ShowMarch(kContentsDistanceByWeek, 0);
    ASSERT_EQ(RowCount(), 3);
    EXPECT_EQ(RowTexts(0), (QStringList{QStringLiteral("2024/02/26"), QStringLiteral("0.00 km")}));
    EXPECT_EQ(RowTexts(1), (QStringList{QStringLiteral("2024/03/04"), QStringLiteral("32.00 km")}));
    HidePage();
    SetWeekStart(1);  // Sunday
    ShowPage();
    EXPECT_EQ(RowTexts(0), (QStringList{QStringLiteral("2024/02/25"), QStringLiteral("0.00 km")}));
    EXPECT_EQ(RowTexts(1), (QStringList{QStringLiteral("2024/03/03"), QStringLiteral("32.00 km")}));
}

TEST_F(StatChartTest, HoveringShowsTheExactValue) {
    AddMarchRides();
    ShowMarch(kContentsDistanceByRide, 1);
    // Tips come to the active window.
    m_host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
    ASSERT_NE(Line(), nullptr);
    ASSERT_EQ(Line()->count(), 2);  // the ride of the 18th lies after the last day
    PointAt(Line()->at(1));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("2024/03/06(Wednesday)\n20.00 km"));
    // It stays while the mouse rests there, past the moment tips wake up.
    QTest::qWait(1000);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("2024/03/06(Wednesday)\n20.00 km"));
    // The nearest ride answers, also a little beside and above it.
    PointAt(QPointF(Line()->at(0).x() + 3600, Line()->at(0).y() + 1));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("2024/03/04(Monday)\n12.00 km"));

    // Bars answer for the period under the mouse.
    ChooseListEntry(Contents(), kContentsRidesByWeek);
    ChooseListEntry(Style(), 2);
    QApplication::processEvents();
    ASSERT_NE(Bars(), nullptr);
    PointAt(QPointF(1, 1));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("2024/03/03\n2"));
    EXPECT_EQ(Bars()->selectedBars(), QList<int>{1});
    // Off the plot the tip goes.
    QTest::mouseMove(Chart()->viewport(), QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    EXPECT_TRUE(Bars()->selectedBars().isEmpty());
}

TEST_F(StatChartTest, TheChartFollowsALanguageChange) {
    AddMarchRides();
    ShowMarch(kContentsDistanceByWeek, 1);
    QByteArray text = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    text.replace("DSTW=Distance by week", "DSTW=Strecke pro Woche");
    text.replace("DIST=Distance", "DIST=Strecke");
    text.replace("ALBC=All bicycles",
                 "ALBC=Alle R\xC3\xA4"
                 "der");
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("languages/vmq_01.ini"), text));
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_01.ini"))), 0);

    m_page->RefreshCaptions();
    EXPECT_EQ(ChartObject()->title(), QStringLiteral("Strecke pro Woche \u2014 Alle R\u00E4der"));
    EXPECT_EQ(ValueAxis()->titleText(), QStringLiteral("Strecke (km)"));
}

TEST_F(StatChartTest, ASeriesIsExportedAsTextOrCommaSeparated) {
    AddMarchRides();
    ShowMarch(kContentsDistanceByWeek, 0);
    ChooseListEntry(Bicycles(), 1);
    const QString foot = QStringLiteral("\r\nGenerated by Velomarq.\r\nhttps://velomarq.org\r\n");

    for (const int format : {kTextReport, kCsvReport}) {
        const QString name =
            format == kTextReport ? QStringLiteral("weeks.txt") : QStringLiteral("weeks.csv");
        m_drivers.Then<ImportExportDlg>([this, format, name](ImportExportDlg& dialog) {
            auto* formats = dialog.findChild<QComboBox*>(QStringLiteral("format"));
            ASSERT_EQ(formats->count(), 2);  // text and comma-separated
            ChooseListEntry(formats, format);
            QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("fileName")),
                             m_programDir.FilePath(name));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("save")), Qt::LeftButton);
        });
        m_dialogs.AnswerReportWritten();
        QTest::mouseClick(Find<ImageButton>("StatExport"), Qt::LeftButton);
    }
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("weeks.txt")),
              FileBytes(QStringLiteral("Statistics\r\n\r\n"
                                       "            Date |         Distance | \r\n"
                                       "      2024/02/25 |          0.00 km | \r\n"
                                       "      2024/03/03 |         32.00 km | \r\n"
                                       "      2024/03/10 |          0.00 km | \r\n") +
                        foot));
    EXPECT_EQ(
        m_programDir.ReadFile(QStringLiteral("weeks.csv")),
        FileBytes(QStringLiteral("Date,Distance (km)\r\n2024/02/25,0.00\r\n2024/03/03,32.00\r\n"
                                 "2024/03/10,0.00\r\n\r\n"
                                 "\"Distance by week \u2014 Road <fast>, 2024/03/01 - 2024/03/15\"\r\n\r\n"
                                 "\"Generated by Velomarq.\"\r\n\"https://velomarq.org\"\r\n")));
}

TEST_F(StatChartTest, TheChartIsSavedAsAPictureOrADrawing) {
    AddMarchRides();
    ShowMarch(kContentsDistanceByWeek, 1);
    const QString saved = GetLanguageString("StatDlg", "CHSV");
    const auto save = [&](const QString& name) {
        m_dialogs.AnswerSaveFile(m_programDir.FilePath(name));
        m_dialogs.AnswerMessage(kButtonOk, saved);
        QTest::mouseClick(Find<ImageButton>("StatExport"), Qt::LeftButton);
    };

    save(QStringLiteral("chart.png"));
    ASSERT_GE(m_dialogs.Asked().size(), 2u);
    EXPECT_EQ(m_dialogs.Asked()[0].kind, ScriptedDialogs::Kind::SaveFile);
    EXPECT_EQ(m_dialogs.Asked()[0].filter, QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)"));
    EXPECT_EQ(m_dialogs.Asked()[1].icon, MessageIcon::Information);
    QImage picture;
    ASSERT_TRUE(picture.loadFromData(m_programDir.ReadFile(QStringLiteral("chart.png")), "PNG"));
    EXPECT_EQ(picture.size(), Chart()->viewport()->size() * 2);
    // White paper with the teal line on it.
    EXPECT_EQ(picture.pixelColor(2, 2), QColor(Qt::white));

    save(QStringLiteral("chart.svg"));
    const QByteArray drawing = m_programDir.ReadFile(QStringLiteral("chart.svg"));
    EXPECT_TRUE(drawing.contains("<svg")) << drawing.left(200).toStdString();
    EXPECT_TRUE(drawing.contains("Distance (km)"));
    EXPECT_TRUE(drawing.contains("<title>Distance by week \xE2\x80\x94 All bicycles</title>"));

    // A name without a picture's ending becomes a PNG picture.
    save(QStringLiteral("chart"));
    EXPECT_TRUE(QImage(m_programDir.FilePath(QStringLiteral("chart.png"))).width() > 0);
    EXPECT_FALSE(QFile::exists(m_programDir.FilePath(QStringLiteral("chart"))));
}

TEST_F(StatChartTest, AChartThatCannotBeSavedIsReportedAndAnOlderFileKept) {
    AddMarchRides();
    ShowMarch(kContentsRidesByWeek, 1);
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("chart.svg"), "older drawing"));
    m_dialogs.AnswerSaveFile(m_programDir.FilePath(QStringLiteral("chart.svg")));
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("StatDlg", "CHSF"));
    {
        ScopedWriteFailure diskFull;
        QTest::mouseClick(Find<ImageButton>("StatExport"), Qt::LeftButton);
    }
    EXPECT_EQ(m_dialogs.Asked().back().icon, MessageIcon::Error);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("chart.svg")), QByteArray("older drawing"));

    // Cancelling the file chooser writes nothing and says nothing.
    m_dialogs.AnswerSaveFile(QString());
    const size_t asked = m_dialogs.Asked().size();
    QTest::mouseClick(Find<ImageButton>("StatExport"), Qt::LeftButton);
    EXPECT_EQ(m_dialogs.Asked().size(), asked + 1);
}

TEST_F(StatChartTest, ManyBarsShareABarAsTallAsTheirTallestUnderTheirDates) {
    // Seven years of days, one of them far longer than the rest.
    StatSeries series{SeriesKind{SeriesMeasure::Distance, SeriesPeriod::Day}, {}};
    StatRows rows;
    for (int i = 0; i < 2555; ++i) {
        SeriesPoint point;
        point.start = Local(2017, 1, 1, 12) + int64_t{i} * 86400;
        point.rides = 1;
        point.distance = i == 1234 ? 300.0 : 10.0 + i % 40;
        series.points.push_back(point);
        rows.push_back({QString::number(i), FormatNumber(point.distance)});
    }
    StatChartView view;
    view.resize(900, 400);
    view.ShowSeries(series, StatChartView::Style::Bars, rows, QString(), QString());
    auto* bars = qobject_cast<QBarSeries*>(view.chart()->series().value(0));
    ASSERT_NE(bars, nullptr);
    const QBarSet* set = bars->barSets().value(0);
    ASSERT_GE(set->count(), 200);
    ASSERT_LE(set->count(), 400);
    double tallest = 0;
    for (int i = 0; i < set->count(); ++i) {
        tallest = std::max(tallest, set->at(i));
        EXPECT_GE(set->at(i), 10.0);
    }
    EXPECT_EQ(tallest, 300.0);
    // The marks name the years of the days, not places counted from 1970.
    const QStringList labels =
        qobject_cast<QCategoryAxis*>(view.chart()->axes(Qt::Horizontal).value(0))->categoriesLabels();
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_EQ(labels.front(), QStringLiteral("2018"));
    EXPECT_EQ(labels.back(), QStringLiteral("2023"));
}

}  // namespace
