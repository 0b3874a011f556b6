#pragma once
// Acting on widgets the way a user does: the helpers click and type, so the
// widget's own signals fire as they would on screen.

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

// Opens the list with a click, moves to the entry at index with the arrow keys
// and takes it with Return. (A click into the list would need to wait out the
// double-click time that a list ignores clicks for after it opened.)
inline void ChooseListEntry(QComboBox* list, int index) {
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(index >= 0 && index < list->count()) << "no entry " << index;
    QTest::mouseClick(list, Qt::LeftButton);
    QAbstractItemView* popup = list->view();
    ASSERT_TRUE(popup->isVisible()) << "the list did not open";
    QTest::keyClick(popup, Qt::Key_Home);
    for (int i = 0; i < index; ++i) {
        QTest::keyClick(popup, Qt::Key_Down);
    }
    QTest::keyClick(popup, Qt::Key_Return);
    ASSERT_FALSE(popup->isVisible()) << "the list stayed open";
}
