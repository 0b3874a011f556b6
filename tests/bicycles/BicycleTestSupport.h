#pragma once
// Shared pieces of the bicycle tests: a program directory with the English
// texts (the store is made by CreateTestStore where a test needs one), records
// made the way the editor stores them, and a PATH that can be pinned so that
// the converter on the system is out of reach.

#include "language/Language.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "support/QStringPrinter.h"
#include "support/Scoped.h"
#include "support/TestStore.h"
#include "units/TextBlock.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <optional>

class BicycleTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
    }

    static void AddBicycle(const BicycleAttribute& bicycle) {
        ASSERT_EQ(DB_InsertBicycle(&bicycle), store::kOk) << DB_GetLastError();
    }

    // A ride of the bicycle; returns its number.
    static int AddRide(int bicycle, double km, int h, int m, int s, double maxSpeed = 0.0) {
        int number = 0;
        EXPECT_EQ(DB_GetMaxRideRecordNumber(&number), store::kOk);
        RideRecord ride;
        ride.BicycleNumber = bicycle;
        ride.Date = 1600000000;
        ride.Distance = km;
        ride.Hours = h;
        ride.Minutes = m;
        ride.Seconds = s;
        ride.MaxSpeed = maxSpeed;
        EXPECT_EQ(DB_InsertRideRecord(&ride), store::kOk) << DB_GetLastError();
        return number;
    }

    // A maintenance entry of the bicycle; returns its number.
    static int AddMaintenance(int bicycle, double cost) {
        int number = 0;
        EXPECT_EQ(DB_GetMaxMaintenanceRecordNumber(&number), store::kOk);
        MaintenanceRecord entry;
        entry.BicycleNumber = bicycle;
        entry.Date = 1600000000;
        entry.Cost = cost;
        EXPECT_EQ(DB_InsertMaintenanceRecord(&entry), store::kOk) << DB_GetLastError();
        return number;
    }

    static BicycleList StoredBicycles() {
        BicycleList list;
        EXPECT_EQ(DB_GetBicycles(&list), store::kOk);
        return list;
    }
};

inline BicycleAttribute NamedBicycle(const QString& name) {
    BicycleAttribute record;
    record.BicycleName = ToTextBlock(name);
    record.Memo = ToTextBlock(QString());
    return record;
}

// A small Windows bitmap file of one colour, as the converter would write it.
inline ByteBlock BitmapBytes(const QColor& colour, int width = 150, int height = 75) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return ByteBlock(bytes.begin(), bytes.end());
}

// Sets an environment variable for a scope and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value) : m_name(name) {
        if (qEnvironmentVariableIsSet(name)) {
            m_previous = qgetenv(name);
        }
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (m_previous) {
            qputenv(m_name, *m_previous);
        } else {
            qunsetenv(m_name);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_previous;
};
