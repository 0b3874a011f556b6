// The list pages' filters beside the bicycle: the ranges of days beside the
// pickers (what each preset takes in, across a year's end and a leap day, the
// page's choice kept across starts), the figure bounds and Clear; a record
// saved outside what is listed saying so.

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
        EXPECT_EQ(days->from, c.from)
            << c.today.toString().toStdString() << " " << static_cast<int>(c.preset);
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
    // A ride of the figure in km at 24 km/h, or an entry of that cost.
    void AddOne(int64_t date, double figure = 12.0, const QString& memo = QString()) {
        if constexpr (kRides) {
            const int seconds = static_cast<int>(figure * 150);
            this->AddRide(
                this->Ride(1, date, figure, seconds / 3600, seconds / 60 % 60, seconds % 60, 0.0, memo));
        } else {
            this->AddEntry(this->Entry(1, date, figure, memo));
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
    EXPECT_TRUE(this->m_status.Text().startsWith(GetLanguageString("Search", "SOUT")))
        << this->m_status.Text().toStdString();
}

TYPED_TEST(RangePresetTest, FigureBoundsNarrowTheListAndClearResetsEveryFilter) {
    const char* field = TestFixture::kRides ? "distance" : "cost";
    this->AddOne(this->Local(2025, 4, 1, 9), 40.0);
    this->AddOne(this->Local(2025, 5, 1, 9), 25.0);
    this->ShowPage();
    ASSERT_EQ(this->Rows(), 3);
    const auto type = [&](const QString& name, const QString& text) {
        QLineEdit* edit = this->template Find<QLineEdit>(*this->m_page, name.toLatin1().constData());
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    };
    type(QString::fromLatin1(field) + "From", QStringLiteral("20"));
    EXPECT_EQ(this->Rows(), 2);
    if constexpr (TestFixture::kRides) {
        type(QStringLiteral("ridingTimeTo"), QStringLiteral("1:30"));  // 25 km in 1:02:30, 40 km in 1:40
    } else {
        type(QStringLiteral("costTo"), QStringLiteral("30"));
    }
    EXPECT_EQ(this->Rows(), 1);

    // A bound that is no figure is left out and named on the status line.
    type(QString::fromLatin1(field) + "To", QStringLiteral("abc"));
    EXPECT_EQ(this->Rows(), TestFixture::kRides ? 1 : 2);  // the cost's "at most 30" is gone
    EXPECT_TRUE(this->m_status.Text().contains(
        u"“" + GetLanguageString("Strings", TestFixture::kRides ? "DIST" : "COST") + u"”"))
        << this->m_status.Text().toStdString();

    ChooseListEntry(this->template Find<QComboBox>(*this->m_page, "bicycleFilter"), 1);
    ChooseListEntry(this->Presets(), static_cast<int>(RangePreset::LastYear));
    EXPECT_EQ(this->Rows(), 0);
    this->Click(*this->m_page, "clearFilters");
    EXPECT_EQ(this->Rows(), 3);
    EXPECT_EQ(this->Presets()->currentIndex(), static_cast<int>(RangePreset::ThisYear));
    EXPECT_EQ(this->template Find<QComboBox>(*this->m_page, "bicycleFilter")->currentIndex(), 0);
    EXPECT_TRUE(this->template Find<QLineEdit>(*this->m_page, (std::string(field) + "From").c_str())
                    ->text()
                    .isEmpty());
}

TYPED_TEST(RangePresetTest, SearchLooksThroughAllTimeAndSaysHowManyHitsLieOutsideTheRange) {
    this->AddOne(this->Local(2023, 5, 1, 9), 30.0, QStringLiteral("Changed the chain"));
    this->AddOne(this->Local(2025, 4, 1, 9), 30.0, QStringLiteral("Chain lube"));
    this->AddOne(this->Local(2025, 5, 1, 9), 30.0, QStringLiteral("New tyres"));
    this->ShowPage();
    QLineEdit* search = this->template Find<QLineEdit>(*this->m_page, "search");
    QTest::keyClicks(search, QStringLiteral("CHAI"));
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(this->Rows(), 2);
    EXPECT_TRUE(this->m_status.Text().endsWith(SafeFormat(GetLanguageString("Search", "OUTS"), {1})))
        << this->m_status.Text().toStdString();

    // The older hit moved into the range: none lies outside.
    this->m_drivers.template Then<typename TestFixture::Editor>([&](auto& editor) {
        this->template Find<QDateTimeEdit>(editor, "date")->setDate(QDate(2025, 4, 2));
        this->Click(editor, "save");
    });
    this->ClickRow(1);
    this->ClickPage("modify");
    EXPECT_EQ(this->Rows(), 2);
    EXPECT_FALSE(this->m_status.Text().contains(SafeFormat(GetLanguageString("Search", "OUTS"), {1})));
    this->Click(*this->m_page, "clearFilters");
    EXPECT_TRUE(search->text().isEmpty());
    EXPECT_EQ(this->Rows(), 4);
}

}  // namespace
