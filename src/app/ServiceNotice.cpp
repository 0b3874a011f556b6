#include "app/ServiceNotice.h"

#include "bicycles/BicycleDlg.h"
#include "language/Language.h"
#include "maintenance/MaintenanceRecordDlg.h"
#include "platform/Failure.h"
#include "platform/ModalRun.h"
#include "units/SafeFormat.h"
#include "widgets/LinkLabel.h"

#include <QPointer>

MaintenanceEntryEditor MaintenanceEntryEditorForService() {
    return [](QWidget* parent, const MaintenanceRecord& entry,
              std::function<bool(const MaintenanceRecord&)> store) {
        int number = 0;
        BicycleList bicycles;
        if (DB_GetMaxMaintenanceRecordNumber(&number) != store::kOk ||
            DB_GetBicycleList(&bicycles) != store::kOk) {
            // Without the number the memo would have no folder of its own.
            ShowStoreFailure(parent, GetLanguageString("ErrorStrings", "GFDB"));
            return false;
        }
        MaintenanceEditorSetup setup;
        setup.newRecord = true;
        setup.prefilled = true;
        setup.record = entry;
        setup.newRecordNumber = number;
        for (size_t i = 0; i < bicycles.size(); ++i) {
            if (bicycles[i].BicycleNumber == entry.BicycleNumber) {
                setup.preselectedBicycle = static_cast<int>(i);
            }
        }
        setup.bicycles = std::move(bicycles);
        GuardedModal editor(new MaintenanceRecordDlg(std::move(setup), parent));
        // A refused write keeps the editor open; its Cancel then removes the memo folder.
        editor->SetRecordStore([edited = &*editor, store] { return store(edited->WorkingRecord()); });
        return RunModal(&*editor, kEditorCancelled) == kEditorSaved && editor.Alive();
    };
}

void WatchForDueService(QWidget* window, BicycleDlg* page, LinkLabel* statusLine) {
    QPointer<LinkLabel> label(statusLine);
    QObject::connect(
        page, &BicycleDlg::ServiceCounted, statusLine,
        [window, label](ServiceCounts counts) {
            if (!label || counts.due == 0) {
                return;
            }
            const QString notice =
                SafeFormat(GetLanguageString("PartsService", "DUEN"), {ServiceLine(counts)});
            label->SetText(notice);
            QObject::connect(label, &LinkLabel::Clicked, label, [window, label, notice] {
                // Only while the status line still says so: a page may have put its own text there since.
                if (label->Text() != notice) {
                    return;
                }
                ServiceData shown;
                BicycleList bicycles;
                if (LoadServiceData(&shown) != store::kOk || DB_GetBicycleList(&bicycles) != store::kOk) {
                    ShowStoreFailure(window, GetLanguageString("ErrorStrings", "GFDB"));
                    return;
                }
                GuardedModal list(new DueListDlg(shown, bicycles, window));
                list.Run(QDialog::Rejected);
            });
        },
        Qt::SingleShotConnection);
}
