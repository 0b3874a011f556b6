#pragma once
// The bicycle list page, the first page the program shows: one card per
// bicycle with its totals, the sums over all bicycles in the status line,
// and New, Modify (also a double-click on a card), Delete and Export.

#include "bicycles/PartsServiceDlg.h"
#include "widgets/TabPage.h"

#include <QString>

class BicycleListModel;
class EmptyListHint;
class ImageButton;
class QListView;
class QPushButton;

class BicycleDlg : public TabPage {
    Q_OBJECT
public:
    BicycleDlg(LinkLabel& statusLine, QWidget* parent);
    ~BicycleDlg() override;

    void RefreshCaptions() override;

    // Reads every bicycle with its totals again, as when the page is shown.
    // After a failed read the list is empty and the status line unchanged.
    void Reload();
    // The summary line of the last reload, as the status line shows it and
    // the reports repeat it.
    const QString& StatusText() const { return m_statusText; }

    // How the parts and service window makes maintenance entries; the main
    // window lends the maintenance page's editor.
    void SetMaintenanceEditor(MaintenanceEntryEditor editor) { m_editEntry = std::move(editor); }
    // Opens the parts and service window of the selected bicycle.
    void OpenPartsService();

    QListView* List() const { return m_list; }
    const BicycleListModel& Bicycles() const { return *m_model; }
    // Shown over the card list while the log holds no bicycle.
    const EmptyListHint& Hint() const { return *m_hint; }

Q_SIGNALS:
    // After each reload, once the cards are painted: what is due on every bicycle.
    void ServiceCounted(ServiceCounts counts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnNew();
    void OnModify();
    void OnDelete();
    void OnExport();
    // The cards' service lines, from what is due now.
    void UpdateServiceLines();
    int SelectedRow() const;
    void SelectRow(int row);
    // Invites the first bicycle while there is none; a list that could not
    // be read suggests nothing.
    void UpdateHint();

    BicycleListModel* m_model;
    QString m_statusText;
    ImageButton* m_new;
    ImageButton* m_modify;
    ImageButton* m_delete;
    ImageButton* m_export;
    ImageButton* m_service;
    MaintenanceEntryEditor m_editEntry;
    QListView* m_list;
    EmptyListHint* m_hint;
    QPushButton* m_hintNew;
    bool m_read = false;
    bool m_serviceLinesDue = false;
};
