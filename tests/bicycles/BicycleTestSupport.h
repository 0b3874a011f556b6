#pragma once
// Shared pieces of the bicycle tests: a program directory with the English
// texts, records made the way the editor stores them, and a PATH that can be
// pinned so that the converter on the system is out of reach.

#include "language/Language.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "units/TextBlock.h"

#include <gtest/gtest.h>
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

    // An empty store in the program directory.
    void CreateStore() {
        ASSERT_EQ(DB_CreateDatabase(), store::kOk);
        ASSERT_EQ(DB_OpenDatabase(), store::kOk);
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
