// The list pages' table: cells from the column table, sorting by keys with
// the selection following its record, and the header's sort arrow.

#include "language/Language.h"
#include "support/ProgramDirectory.h"
#include "widgets/RecordTableModel.h"
#include "widgets/RecordTableView.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Item {
    int number;
    double distance;
    QString name;
};

std::vector<RecordColumn<Item>> ItemColumns() {
    return {
        {{LanguageKey{"Strings", "KMSS"}, 80, Qt::AlignRight | Qt::AlignVCenter},
         [](const Item& item) { return QString::number(item.distance); },
         [](const Item& item) { return item.distance; }},
        {{LanguageKey{"Strings", "MILE"}, 120}, [](const Item& item) { return item.name; }, {}},
        {{LanguageKey{"Strings", "SUNDS"}, 60},
         [](const Item& item) { return QString::number(item.number); },
         [](const Item& item) { return static_cast<double>(item.number); }},
    };
}

class RecordTableTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
        m_model.SetRecords({{1, 30.0, "a"}, {2, 10.0, "b"}, {3, 30.0, "c"}, {4, 20.0, "d"}});
    }

    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < m_model.rowCount(); ++row) {
            texts << m_model.index(row, column).data().toString();
        }
        return texts;
    }

    RecordTableModel<Item> m_model{ItemColumns()};
};

TEST_F(RecordTableTest, CellsAndHeadingsComeFromTheColumnTable) {
    EXPECT_EQ(m_model.rowCount(), 4);
    EXPECT_EQ(m_model.columnCount(), 3);
    EXPECT_EQ(Column(1), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(m_model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("km"));
    EXPECT_EQ(m_model.index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(m_model.CellText(3, 0), QStringLiteral("20"));
    EXPECT_FALSE(m_model.index(4, 0).isValid());

    // A language change shows new headings once the header is told.
    FreeLanguageTable();
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("other.ini"), "[Strings]\nKMSS=Kilometer\n"));
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("other.ini"))), 0);
    QSignalSpy headings(&m_model, &QAbstractItemModel::headerDataChanged);
    m_model.RefreshHeadings(nullptr);
    EXPECT_EQ(headings.count(), 1);
    EXPECT_EQ(m_model.HeadingText(0), QStringLiteral("Kilometer"));
}

TEST_F(RecordTableTest, SortingIsStableAndOnlyForColumnsWithKeys) {
    ASSERT_TRUE(m_model.SortRows(0, true));
    EXPECT_EQ(Column(1), QStringList({"b", "d", "a", "c"}));  // a before c: equal keys keep their order
    ASSERT_TRUE(m_model.SortRows(0, false));
    EXPECT_EQ(Column(1), QStringList({"a", "c", "d", "b"}));
    EXPECT_FALSE(m_model.SortRows(1, true));  // no key
    EXPECT_FALSE(m_model.SortRows(7, true));
    EXPECT_EQ(Column(1), QStringList({"a", "c", "d", "b"}));
    EXPECT_EQ(m_model.RecordAt(3).name, QStringLiteral("b"));
    EXPECT_EQ(m_model.RecordIndex(3), 1);
    EXPECT_EQ(m_model.RowOfRecord(1), 3);

    // New records come in their own order.
    m_model.SetRecords({{9, 1.0, "z"}, {8, 2.0, "y"}});
    EXPECT_EQ(Column(1), QStringList({"z", "y"}));
    EXPECT_EQ(m_model.TakeRecords().size(), 2u);
    EXPECT_EQ(m_model.rowCount(), 0);
}

TEST_F(RecordTableTest, SelectionFollowsItsRecordThroughASort) {
    RecordTableView view;
    view.SetRecordModel(&m_model);
    view.resize(400, 200);
    view.show();
    EXPECT_EQ(view.horizontalHeader()->sectionSize(0), 80);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(1), 120);
    EXPECT_EQ(view.FirstSelectedRow(), -1);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(m_model.index(1, 1)).center());
    ASSERT_EQ(view.FirstSelectedRow(), 1);
    ASSERT_TRUE(m_model.SortRows(2, false));  // by number, descending: d c b a
    EXPECT_EQ(view.FirstSelectedRow(), 2);
    EXPECT_EQ(m_model.RecordAt(view.FirstSelectedRow()).name, QStringLiteral("b"));

    QSignalSpy activated(&view, &RecordTableView::RowActivated);
    const QPoint point = view.visualRect(m_model.index(3, 0)).center();
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, point);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).toInt(), 3);
    view.SelectRow(-1);
    EXPECT_EQ(view.FirstSelectedRow(), -1);
}

TEST_F(RecordTableTest, HeaderReportsClicksAndDrawsOneArrow) {
    RecordTableView view;
    view.SetRecordModel(&m_model);
    view.resize(400, 200);
    view.show();
    SortArrowHeader* header = view.ArrowHeader();
    QSignalSpy clicked(&view, &RecordTableView::HeadingClicked);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 2);

    // The arrow images differ and each is drawn only on the section it is shown for.
    const QImage up = SortArrowHeader::ArrowImage(true).toImage();
    const QImage down = SortArrowHeader::ArrowImage(false).toImage();
    ASSERT_EQ(up.size(), QSize(16, 16));
    EXPECT_NE(up, down);
    auto arrowPixels = [&](int column) {
        const QImage shot = header->grab().toImage();
        const QRect section(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                            header->height());
        const QRect arrow = SortArrowHeader::ArrowRect(section);
        int dark = 0;
        for (int y = arrow.top(); y <= arrow.bottom(); ++y) {
            for (int x = arrow.left(); x <= arrow.right(); ++x) {
                dark += qGray(shot.pixel(x, y)) < 90 ? 1 : 0;
            }
        }
        return dark;
    };
    // Column 0's heading is right-aligned: with the arrow it moves out of its way.
    EXPECT_EQ(header->ArrowColumn(), -1);
    const int headingAlone = arrowPixels(0);
    EXPECT_EQ(arrowPixels(2), 0);
    header->ShowArrow(2, true);
    EXPECT_GT(arrowPixels(2), 10);
    header->ShowArrow(0, false);
    EXPECT_EQ(header->ArrowColumn(), 0);
    EXPECT_FALSE(header->ArrowAscending());
    EXPECT_EQ(arrowPixels(2), 0);
    const QImage shot = header->grab().toImage();
    const QRect arrow = SortArrowHeader::ArrowRect(QRect(0, 0, header->sectionSize(0), header->height()));
    int mismatches = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const int alpha = qAlpha(down.pixel(x, y));
            const bool dark = qGray(shot.pixel(arrow.left() + x, arrow.top() + y)) < 90;
            if ((alpha == 255 && !dark) || (alpha == 0 && dark)) {
                ++mismatches;
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "the heading alone had " << headingAlone << " dark pixels there";
}

}  // namespace
