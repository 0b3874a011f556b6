#pragma once
// What the tools' tests share: the English texts in a fresh program
// directory, finding a dialog's fields by name, and typing like a user.

#include "language/Language.h"
#include "support/ProgramDirectory.h"
#include "support/QStringPrinter.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

class EnglishTextsTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
    }
};

template <typename Widget>
Widget* Find(const QWidget* parent, const char* name) {
    Widget* widget = parent->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << "no widget named " << name;
    return widget;
}

// Replaces a field's text the way a user does: click, select all, type.
inline void TypeInto(QLineEdit* field, const QString& text) {
    ASSERT_NE(field, nullptr);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(field, Qt::Key_Delete);
    } else {
        QTest::keyClicks(field, text);
    }
}
