#pragma once
// The ride list page: rides of one bicycle or all, over a range of local
// days, in a sortable table; their totals in the status line; New, Modify
// (with stepping through the list), Delete (with the ride's memo folder),
// Export of what is listed, and Import of GPS files, chosen with the button
// or dropped onto the page.

#include "rides/RideRecordDlg.h"
#include "rides/RideTable.h"
#include "store/store.h"
#include "widgets/RecordListPage.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class ImageButton;
class QPushButton;
struct ImportSummary;

struct RideListTraits {
    using Record = RideRecord;
    using Words = RideCellWords;
    using Editor = RideRecordDlg;
    static constexpr auto Fetch = &DB_GetRideRecords;
    static constexpr auto MaxNumber = &DB_GetMaxRideRecordNumber;
    static constexpr auto Insert = &DB_InsertRideRecord;
    static constexpr auto Update = &DB_UpdateRideRecord;
    static constexpr auto Delete = &DB_DeleteRideRecord;
    static constexpr auto Copy = &DB_CopyRideRecord;
    static constexpr char kAnyRecord[] =
        "RideRecordNumber in (select RideRecordNumber from RideRecord limit 1)";
    static constexpr EmptyHintKeys kHints{LanguageKey{"EmptyHints", "RIDE"},
                                          LanguageKey{"EmptyHints", "RIDN"},
                                          LanguageKey{"EmptyHints", "RIDA"}};
    static std::vector<RecordColumn<RideRecord>> Columns(const RideCellWords* words) {
        return RideListColumns(words);
    }
    static QString StatusText(const std::vector<RideRecord>& rides) {
        return RideStatusText(SumRides(rides));
    }
    static bool FetchBeside(const char* condition, const std::vector<RideRecord>& rides, RideCellWords* words,
                            const std::function<bool(int)>& columnShown) {
        return ReadListedRideDetails(condition, rides, words, ShownRideFigures(columnShown));
    }
    static bool BesideMissing(const RideCellWords& words, const std::function<bool(int)>& columnShown) {
        return (ShownRideFigures(columnShown) & ~words.figuresRead) != 0;
    }
    static QString StatusLineText(const std::vector<RideRecord>& rides, const RideCellWords& words) {
        return RideStatusLineText(SumRides(rides), words.listedAscent);
    }
    static void Export(QWidget* page, const QString& fileName, int format,
                       std::vector<const RideRecord*> rows, const BicycleList& bicycles,
                       const QString& statusText);
};

class RideDlg : public RecordListPageOf<RideListTraits> {
    Q_OBJECT
public:
    RideDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;

    const RecordTableModel<RideRecord>& Rides() const { return Model(); }

    // Makes rides of GPS files, a zip archive or a folder holding another
    // program's export, after a preview of what will come in (where the
    // bicycles are chosen); what the Import button and a drop do.
    void ImportFiles(const QStringList& paths);

protected:
    // An empty log offers the import first, and a ride by hand after it.
    void UpdateHint() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnImport();
    std::optional<ImportSummary> PreviewAndImport(const QStringList& paths);
    ImportSummary RunImport(
        const std::function<ImportSummary(const std::function<bool(int, int, const QString&)>&)>& run);
    void ShowImportedDays(const ImportSummary& summary);

    ImageButton* m_import;
    QPushButton* m_hintImport = nullptr;
    // The folder the import chooser opened last, for the next time.
    QString m_importFolder;
    // Set while an import runs: files dropped meanwhile wait for the next one.
    bool m_importing = false;
};
