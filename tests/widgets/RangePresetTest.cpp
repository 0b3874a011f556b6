// The ranges of days beside the list pages' pickers: what each preset takes
// in, across a year's end and a leap day; the page's choice kept across
// starts; a record saved outside what is listed saying so.

#include "maintenance/MaintenanceDlg.h"
#include "rides/RideDlg.h"
#include "support/ListPageTest.h"
#include "widgets/RangePresets.h"

#include <QDateTimeEdit>

namespace {

TEST(RangePresets, DaysAcrossAYearEndAndALeapDay) {
    struct Case {
        QDate today;
        RangePreset preset;
        QDate from;
        QDate to;
    };
    const Case cases[] = {
        {QDate(2026, 1, 1), RangePreset::ThisYear, QDate(2026, 1, 1), QDate(2026, 1, 1)},
        {QDate(2026, 1, 1), RangePreset::LastYear, QDate(2025, 1, 1), QDate(2025, 12, 31)},
        {QDate(2026, 1, 1), RangePreset::Last30Days, QDate(2025, 12, 2), QDate(2026, 1, 1)},
        {QDate(2026, 1, 1), RangePreset::Last12Months, QDate(2025, 1, 1), QDate(2026, 1, 1)},
        {QDate(2025, 12, 31), RangePreset::ThisYear, QDate(2025, 1, 1), QDate(2025, 12, 31)},
        {QDate(2024, 2, 29), RangePreset::Last12Months, QDate(2023, 2, 28), QDate(2024, 2, 29)},
        {QDate(2024, 2, 29), RangePreset::AllTime, QDate(1980, 1, 1), QDate(2038, 1, 17)},
    };
    for (const Case& c : cases) {
        const std::optional<PickedRange> days = PresetDays(c.preset, c.today);
        ASSERT_TRUE(days);
        EXPECT_EQ(days->from, c.from) << c.today.toString().toStdString() << " " << static_cast<int>(c.preset);
        EXPECT_EQ(days->to, c.to) << c.today.toString().toStdString() << " " << static_cast<int>(c.preset);
    }
    EXPECT_FALSE(PresetDays(RangePreset::Custom, QDate(2026, 1, 1)));

    // The kept text reads back; what this program never wrote is refused.
    const QString custom = RangeChoiceText(RangePreset::Custom, {QDate(2024, 3, 1), QDate(2024, 5, 31)});
    const std::optional<RangeChoice> read = ReadRangeChoice(custom);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->preset, RangePreset::Custom);
    EXPECT_EQ(read->days.to, QDate(2024, 5, 31));
    EXPECT_EQ(ReadRangeChoice(RangeChoiceText(RangePreset::LastYear, {}))->preset, RangePreset::LastYear);
    for (const char* junk : {"", "someday", "custom 2024-13-01 2024-05-31", "custom 1970-01-01 2024-05-31",
                             "lastyear 2024-01-01"}) {
        EXPECT_FALSE(ReadRangeChoice(QString::fromLatin1(junk))) << junk;
    }
}

template <typename Page>
class RangePresetTest : public ListPageTest<Page> {
protected:
    static constexpr bool kRides = std::is_same_v<Page, RideDlg>;
    using Editor = typename Page::PageTraits::Editor;

    void SetUp() override {
        ListPageTest<Page>::SetUp();
        this->AddBicycle(QStringLiteral("Trek 520"));
        AddOne(this->Local(2024, 7, 1, 9));
        AddOne(this->Local(2025, 3, 1, 9));
    }
    void AddOne(int64_t date) {
        if constexpr (kRides) {
            this->AddRide(this->Ride(1, date, 12.0, 0, 30, 0));
        } else {
            this->AddEntry(this->Entry(1, date, 9.5));
        }
    }
    QComboBox* Presets() const { return this->template Find<QComboBox>(*this->m_page, "rangePreset"); }
    void StartAgain() {
        this->m_page.reset();
        this->ShowPage();
    }
};

using Pages = ::testing::Types<RideDlg, MaintenanceDlg>;
TYPED_TEST_SUITE(RangePresetTest, Pages);

TYPED_TEST(RangePresetTest, TheChoiceIsKeptAndADayPickedByHandMakesItCustom) {
    this->ShowPage();
    EXPECT_EQ(this->Presets()->currentIndex(), static_cast<int>(RangePreset::ThisYear));
    EXPECT_EQ(this->Rows(), 1);

    ChooseListEntry(this->Presets(), static_cast<int>(RangePreset::LastYear));
    EXPECT_EQ(this->template Find<QDateEdit>(*this->m_page, "startDate")->date(), QDate(2024, 1, 1));
    EXPECT_EQ(this->template Find<QDateEdit>(*this->m_page, "endDate")->date(), QDate(2024, 12, 31));
    EXPECT_EQ(this->Rows(), 1);
    this->StartAgain();
    EXPECT_EQ(this->Presets()->currentIndex(), static_cast<int>(RangePreset::LastYear));
    EXPECT_EQ(this->Rows(), 1);

    this->SetDays(QDate(2024, 6, 1), QDate(2025, 5, 1));
    EXPECT_EQ(this->Presets()->currentIndex(), static_cast<int>(RangePreset::Custom));
    EXPECT_EQ(this->Rows(), 2);
    this->StartAgain();
    EXPECT_EQ(this->Presets()->currentIndex(), static_cast<int>(RangePreset::Custom));
    EXPECT_EQ(this->template Find<QDateEdit>(*this->m_page, "startDate")->date(), QDate(2024, 6, 1));
    EXPECT_EQ(this->Rows(), 2);

    ChooseListEntry(this->Presets(), static_cast<int>(RangePreset::Last30Days));
    EXPECT_EQ(this->Rows(), 0);
}

TYPED_TEST(RangePresetTest, ARecordSavedOutsideTheShownRangeSaysSo) {
    this->ShowPage();
    ASSERT_EQ(this->Rows(), 1);
    this->m_drivers.template Then<typename TestFixture::Editor>([&](auto& editor) {
        this->template Find<QDateTimeEdit>(editor, "date")->setDate(QDate(2023, 5, 1));
        this->Click(editor, "save");
    });
    this->ClickRow(0);
    this->ClickPage("modify");
    EXPECT_EQ(this->Rows(), 0);
    EXPECT_TRUE(this->m_status.Text().startsWith(GetLanguageString("Search", "SOUT"))) << this->m_status.Text().toStdString();
}

}  // namespace
