// What the ride and maintenance pages say while their list is empty: what to
// do first in an empty log, nothing to start over with when a filter merely
// hides the records.

#include "maintenance/MaintenanceDlg.h"
#include "rides/RideDlg.h"
#include "support/ListPageTest.h"
#include "widgets/EmptyListHint.h"

namespace {

template <typename Page>
class EmptyListHintTest : public ListPageTest<Page> {
protected:
    static constexpr bool kRides = std::is_same_v<Page, RideDlg>;

    void AddOne(int64_t date) {
        if constexpr (kRides) {
            this->AddRide(this->Ride(1, date, 12.0, 0, 30, 0));
        } else {
            this->AddEntry(this->Entry(1, date, 9.5));
        }
    }
    QString Hint() const { return this->m_page->Hint().Text(); }
    QPushButton* HintButton(const char* name) const {
        return this->template Find<QPushButton>(*this->m_page, name);
    }
    QString Words(const char* rides, const char* maintenance) const {
        return GetLanguageString("EmptyHints", kRides ? rides : maintenance);
    }
};

using Pages = ::testing::Types<RideDlg, MaintenanceDlg>;
TYPED_TEST_SUITE(EmptyListHintTest, Pages);

TYPED_TEST(EmptyListHintTest, AnEmptyLogSaysWhatToDoFirstAndAFilterOnlyThatItHidesAll) {
    // No bicycle: a record needs one first.
    this->ShowPage();
    EXPECT_EQ(this->Hint(), GetLanguageString("ErrorStrings", "NTCB"));
    EXPECT_FALSE(this->HintButton("hintNew")->isVisibleTo(this->m_page.get()));

    // A bicycle, no record: the first one, with the button that makes it.
    this->AddBicycle(QStringLiteral("Trek 520"));
    this->ShowPage();
    EXPECT_EQ(this->Hint(), this->Words("RIDE", "MNTE"));
    QPushButton* add = this->HintButton("hintNew");
    EXPECT_TRUE(add->isVisible());
    EXPECT_EQ(add->text(), this->Words("RIDA", "MNTA"));
    if constexpr (TestFixture::kRides) {
        EXPECT_TRUE(this->HintButton("hintImport")->isVisible());
        EXPECT_EQ(this->HintButton("hintImport")->text(), this->Words("RIDI", "RIDI"));
        EXPECT_EQ(this->m_page->Hint().Note(), this->Words("DROP", "DROP"));
    }
    this->m_drivers.template Then<typename TypeParam::PageTraits::Editor>(
        [&](auto& editor) { this->Click(editor, "cancel"); });
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(this->m_drivers.Opened(), 1);

    // A record outside the days shown: only that nothing is in them.
    this->AddOne(this->Local(2024, 7, 1, 9));
    this->ShowPage();
    EXPECT_EQ(this->Hint(), this->Words("RIDN", "MNTN"));
    EXPECT_FALSE(add->isVisibleTo(this->m_page.get()));

    // Listed: nothing over the table.
    this->AddOne(this->Local(2025, 3, 1, 9));
    this->ShowPage();
    EXPECT_EQ(this->Rows(), 1);
    EXPECT_EQ(this->Hint(), QString());
}

}  // namespace
