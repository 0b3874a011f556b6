#pragma once
// Fixture of the list-page and record-editor tests: a program directory with
// the shipped files, an open database, the English texts, scripted message
// boxes and scripted modal dialogs, and the few ways a test acts on widgets
// by name as a user would.

#include "language/Language.h"
#include "store/store.h"
#include "support/ModalDrivers.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class PageTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        m_programDir.InstallShippedFiles();
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
        ASSERT_EQ(DB_CreateDatabase(), 0) << DB_GetLastError();
        ASSERT_EQ(DB_OpenDatabase(), 0) << DB_GetLastError();
        Exec("PRAGMA synchronous=OFF");
    }

    static void Exec(const char* sql) {
        char* message = nullptr;
        EXPECT_EQ(sqlite3_exec(DB_GetConnection(), sql, nullptr, nullptr, &message), SQLITE_OK)
            << sql << ": " << (message ? message : "");
        sqlite3_free(message);
    }

    static void AddBicycle(const QString& name) {
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(name);
        ASSERT_EQ(DB_InsertBicycle(&bicycle), 0) << DB_GetLastError();
    }

    static BicycleList Bicycles() {
        BicycleList list;
        EXPECT_EQ(DB_GetBicycleList(&list), 0);
        return list;
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
