#include "app/ServiceNotice.h"

#include "language/Language.h"
#include "maintenance/MaintenanceRecordDlg.h"
#include "platform/Failure.h"
#include "platform/ModalRun.h"
#include "units/SafeFormat.h"
#include "widgets/LinkLabel.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>

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

namespace {

// Waits for the window's first paint, then lets the event loop paint it
// before the rides are read.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget* window, LinkLabel* statusLine)
        : QObject(window), m_window(window), m_statusLine(statusLine) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Paint && !m_started) {
            m_started = true;
            m_window->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { Announce(); });
        }
        return false;
    }

private:
    void Announce() {
        ServiceData data;
        if (LoadServiceData(&data) != store::kOk) {
            return;
        }
        const ServiceCounts counts = CountTasks(data, 0, Today());
        if (counts.due == 0) {
            return;
        }
        const QString notice = SafeFormat(GetLanguageString("PartsService", "DUEN"), {ServiceLine(counts)});
        m_statusLine->SetText(notice);
        connect(m_statusLine, &LinkLabel::Clicked, this, [this, notice] {
            // Only while the status line still says so: a page may have put its own text there since.
            if (m_statusLine->Text() != notice) {
                return;
            }
            ServiceData shown;
            BicycleList bicycles;
            if (LoadServiceData(&shown) != store::kOk || DB_GetBicycleList(&bicycles) != store::kOk) {
                ShowStoreFailure(m_window, GetLanguageString("ErrorStrings", "GFDB"));
                return;
            }
            GuardedModal list(new DueListDlg(shown, bicycles, m_window));
            list.Run(QDialog::Rejected);
        });
    }

    QWidget* m_window;
    QPointer<LinkLabel> m_statusLine;
    bool m_started = false;
};

}  // namespace

void WatchForDueService(QWidget* window, LinkLabel* statusLine) {
    new FirstPaintWatch(window, statusLine);
}
