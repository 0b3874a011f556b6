#pragma once
// The statistics page on a host window, over a fresh database with a pinned
// time zone and a fixed now (2024-03-15 12:00 in Berlin).

#include "language/Language.h"
#include "statistics/StatChart.h"
#include "statistics/StatDlg.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "support/QStringPrinter.h"
#include "support/ReportBytes.h"
#include "support/Scoped.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <gtest/gtest.h>
#include <QAbstractItemModel>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QTableView>
#include <QTest>
#include <memory>

class StatPageTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        m_programDir.InstallShippedFiles();
        ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_00.ini"))), 0);
        ASSERT_EQ(DB_CreateDatabase(), store::kOk);
        ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    }

    void TearDown() override { m_host.reset(); }

    int AddBicycle(const QString& name) {
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(name);
        EXPECT_EQ(DB_InsertBicycle(&bicycle), store::kOk);
        BicycleList list;
        DB_GetBicycleList(&list);
        return list.back().BicycleNumber;
    }

    void AddRide(int bicycle, int64_t date, double km, int hours = 1, int minutes = 0, int seconds = 0) {
        RideRecord ride;
        ride.BicycleNumber = bicycle;
        ride.Date = static_cast<int32_t>(date);
        ride.Distance = km;
        ride.Hours = hours;
        ride.Minutes = minutes;
        ride.Seconds = seconds;
        ASSERT_EQ(DB_InsertRideRecord(&ride), store::kOk);
    }

    // Makes the page and shows it, as a click on its tab would.
    void ShowPage() {
        if (!m_host) {
            m_host = std::make_unique<QWidget>();
            m_host->resize(892, 560);
            m_status = new LinkLabel(m_host.get());
            m_status->setGeometry(0, 540, 892, 18);
            m_page = new StatDlg(*m_status, m_host.get());
            m_page->setGeometry(0, 0, 892, 536);
            m_host->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
        } else {
            m_page->show();
        }
    }
    void HidePage() { m_page->hide(); }

    template <typename Widget>
    Widget* Find(const char* name) const {
        auto* widget = m_page->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QComboBox* Bicycles() const { return Find<QComboBox>("StatBicycles"); }
    QComboBox* Contents() const { return Find<QComboBox>("StatContents"); }
    QComboBox* Style() const { return Find<QComboBox>("StatStyle"); }
    QDateTimeEdit* StartPicker() const { return Find<QDateTimeEdit>("StatStart"); }
    QDateTimeEdit* EndPicker() const { return Find<QDateTimeEdit>("StatEnd"); }
    QTableView* List() const { return Find<QTableView>("StatList"); }
    StatChartView* Chart() const { return Find<StatChartView>("StatChart"); }

    // What the list shows.
    QStringList Headings() const {
        QStringList headings;
        const QAbstractItemModel* model = List()->model();
        for (int column = 0; column < model->columnCount(); ++column) {
            headings << model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        return headings;
    }
    QStringList RowTexts(int row) const {
        QStringList texts;
        const QAbstractItemModel* model = List()->model();
        for (int column = 0; column < model->columnCount(); ++column) {
            texts << model->index(row, column).data().toString();
        }
        return texts;
    }
    int RowCount() const { return List()->model()->rowCount(); }

    static int64_t Local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
        return FromLocalDateTime(year, month, day, hour, minute, second);
    }

    ScopedTimeZone m_zone{"Europe/Berlin"};
    ScopedClock m_clock{FromLocalDateTime(2024, 3, 15, 12)};
    std::unique_ptr<QWidget> m_host;
    LinkLabel* m_status = nullptr;
    StatDlg* m_page = nullptr;
};
