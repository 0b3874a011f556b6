#pragma once
// Fixture of the page and record-editor tests: a program directory with the
// shipped files, an open database, the English texts, scripted message boxes
// and scripted modal dialogs, quick ways to make and store bicycles, rides and
// maintenance entries, and the few ways a test acts on widgets by name as a
// user would.

#include "language/Language.h"
#include "store/store.h"
#include "support/ModalDrivers.h"
#include "support/ProgramDirectory.h"
#include "support/QStringPrinter.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "support/TestStore.h"
#include "support/UserInput.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class PageTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        m_programDir.InstallShippedFiles();
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
        ASSERT_NO_FATAL_FAILURE(CreateTestStore());
    }

    // Stores a bicycle; returns its number.
    static int AddBicycle(const QString& name) {
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(name);
        EXPECT_EQ(DB_InsertBicycle(&bicycle), 0) << DB_GetLastError();
        const BicycleList list = Bicycles();
        return list.empty() ? 0 : list.back().BicycleNumber;
    }

    static BicycleList Bicycles() {
        BicycleList list;
        EXPECT_EQ(DB_GetBicycleList(&list), 0);
        return list;
    }

    static RideRecord Ride(int bicycle, int64_t date, double km, int h, int m, int s, double maxSpeed = 0.0,
                           const QString& memo = QString()) {
        RideRecord ride;
        ride.BicycleNumber = bicycle;
        ride.Date = static_cast<int32_t>(date);
        ride.Distance = km;
        ride.Hours = h;
        ride.Minutes = m;
        ride.Seconds = s;
        ride.MaxSpeed = maxSpeed;
        if (!memo.isEmpty()) {
            ride.Memo = ToTextBlock(memo);
        }
        return ride;
    }

    static void AddRide(const RideRecord& ride) {
        ASSERT_EQ(DB_InsertRideRecord(&ride), 0) << DB_GetLastError();
    }

    static RideRecordList StoredRides() {
        RideRecordList rides;
        EXPECT_EQ(DB_GetRideRecords(nullptr, &rides), 0);
        return rides;
    }

    static MaintenanceRecord Entry(int bicycle, int64_t date, double cost, const QString& memo = QString()) {
        MaintenanceRecord entry;
        entry.BicycleNumber = bicycle;
        entry.Date = static_cast<int32_t>(date);
        entry.Cost = cost;
        if (!memo.isEmpty()) {
            entry.Memo = ToTextBlock(memo);
        }
        return entry;
    }

    static void AddEntry(const MaintenanceRecord& entry) {
        ASSERT_EQ(DB_InsertMaintenanceRecord(&entry), 0) << DB_GetLastError();
    }

    static MaintenanceRecordList StoredEntries() {
        MaintenanceRecordList entries;
        EXPECT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 0);
        return entries;
    }

    // Seconds since 1970 of a local date and time in the zone the test runs in.
    static int64_t Local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
        return FromLocalDateTime(year, month, day, hour, minute, second);
    }

    template <typename Widget = QLineEdit>
    static Widget* Find(QWidget& parent, const char* name) {
        auto* widget = parent.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void Click(QWidget& parent, const char* name) {
        QPushButton* button = Find<QPushButton>(parent, name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static void Type(QWidget& parent, const char* name, const QString& text) {
        QLineEdit* field = Find(parent, name);
        ASSERT_NE(field, nullptr);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    // A double-click as the mouse makes it: press, release, double-click, release.
    static void DoubleClick(QWidget* widget, QPoint point) {
        QTest::mousePress(widget, Qt::LeftButton, {}, point);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
        QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
    }

    QString Path(const QString& relative) const { return m_programDir.FilePath(relative); }

    ScriptedDialogs m_dialogs;
    ScopedModalDrivers m_drivers;
};
