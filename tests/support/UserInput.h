#pragma once
// Acting on widgets the way a user does: the helpers click and type, so the
// widget's own signals fire as they would on screen.

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>

// Takes the entry at index from the list's open popup: moves to it with the
// arrow keys and takes it with Return. (A click into the list would need to
// wait out the double-click time that a list ignores clicks for after it opened.)
inline void TakeEntryFromOpenList(QComboBox* list, int index) {
    QAbstractItemView* popup = list->view();
    ASSERT_TRUE(popup->isVisible()) << "the list did not open";
    QTest::keyClick(popup, Qt::Key_Home);
    for (int i = 0; i < index; ++i) {
        QTest::keyClick(popup, Qt::Key_Down);
    }
    QTest::keyClick(popup, Qt::Key_Return);
    ASSERT_FALSE(popup->isVisible()) << "the list stayed open";
}

// Opens the list with a click and takes the entry at index.
inline void ChooseListEntry(QComboBox* list, int index) {
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(index >= 0 && index < list->count()) << "no entry " << index;
    QTest::mouseClick(list, Qt::LeftButton);
    TakeEntryFromOpenList(list, index);
}

// A list the user may type into opens from its arrow only (a click on its
// text goes to the text); opens it there and takes the entry.
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
    TakeEntryFromOpenList(list, index);
}
