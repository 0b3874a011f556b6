// The number field the ride and maintenance editors share the behaviour of
// (distance, cost): read as the rider's language writes numbers, and a text
// that is no number named on Save with the editor kept open and the text kept.

#include "maintenance/MaintenanceRecordDlg.h"
#include "rides/RideRecordDlg.h"
#include "support/RecordEditorTest.h"
#include "units/NumberInput.h"

namespace {

struct RideKind {
    using Editor = RideRecordDlg;
    using Record = RideRecord;
    static constexpr const char* kField = "distance";
    // A ride with a distance and no time asks first; this one has a time.
    static constexpr const char* kTimeField = "minutes";
    static QString FieldName() { return GetLanguageString("Strings", "DIST"); }
    static double Stored(const RideRecord& ride) { return ride.Distance; }
};

struct MaintenanceKind {
    using Editor = MaintenanceRecordDlg;
    using Record = MaintenanceRecord;
    static constexpr const char* kField = "cost";
    static constexpr const char* kTimeField = nullptr;
    static QString FieldName() { return GetLanguageString("Strings", "COST"); }
    static double Stored(const MaintenanceRecord& entry) { return entry.Cost; }
};

template <typename Kind>
class RecordEditorNumberTest : public RecordEditorTest<typename Kind::Editor, typename Kind::Record> {};

using RecordKinds = ::testing::Types<RideKind, MaintenanceKind>;
TYPED_TEST_SUITE(RecordEditorNumberTest, RecordKinds);

TYPED_TEST(RecordEditorNumberTest, TakesTheRidersWritingAndNamesATextThatIsNoNumber) {
    using Editor = typename TypeParam::Editor;
    constexpr double kRefused = -1;
    // German writes a decimal comma and groups with a point.
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_01.ini"))), 0);
    const struct {
        const char* typed;
        double stored;
    } cases[] = {
        {"12,5", 12.5},       {"0,75", 0.75},       {"1.299", 1299},
        {"1.234,5", 1234.5},  {"12.5", 12.5},       {"", 0},
        {"-3", kRefused},     {"abc", kRefused},    {"1.2.3", kRefused},
        {"12,5,1", kRefused}, {"12 kmh", kRefused},
    };
    for (const auto& c : cases) {
        const QString typed = QString::fromUtf8(c.typed);
        const bool refused = c.stored == kRefused;
        if (refused) {
            this->m_dialogs.AnswerMessage(kButtonOk,
                                          NumberRefusal(TypeParam::FieldName(), NumberKind::Decimal));
        }
        const auto [result, record] = this->Run(this->NewRecord(5, 0), [&](Editor& editor) {
            if (TypeParam::kTimeField) {
                this->Type(editor, TypeParam::kTimeField, QStringLiteral("30"));
            }
            this->Type(editor, TypeParam::kField, typed);
            this->Click(editor, "save");
            if (editor.isVisible()) {
                EXPECT_EQ(this->Find(editor, TypeParam::kField)->text(), typed);
                EXPECT_EQ(editor.focusWidget(), this->Find(editor, TypeParam::kField));
                this->Click(editor, "cancel");
            }
        });
        EXPECT_EQ(result, refused ? kEditorCancelled : kEditorSaved) << c.typed;
        if (!refused) {
            EXPECT_DOUBLE_EQ(TypeParam::Stored(record), c.stored) << c.typed;
        }
    }
    EXPECT_EQ(this->m_dialogs.Unanswered(), 0u);
}

}  // namespace
