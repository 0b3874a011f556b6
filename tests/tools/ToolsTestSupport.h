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
#include <QStyle>
#include <QStyleOptionComboBox>
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

// A list the user may type into opens from its arrow only (a click on its
// text goes to the text); opens it there and takes the entry with the keys.
inline void ChooseTypableListEntry(QComboBox* list, int index) {
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isEditable());
    ASSERT_TRUE(index >= 0 && index < list->count()) << "no entry " << index;
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = true;
    const QRect arrow =
        list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, list);
    QTest::mouseClick(list, Qt::LeftButton, {}, arrow.center());
    QAbstractItemView* popup = list->view();
    ASSERT_TRUE(popup->isVisible()) << "the list did not open";
    QTest::keyClick(popup, Qt::Key_Home);
    for (int i = 0; i < index; ++i) {
        QTest::keyClick(popup, Qt::Key_Down);
    }
    QTest::keyClick(popup, Qt::Key_Return);
    ASSERT_FALSE(popup->isVisible()) << "the list stayed open";
}
