#pragma once
// The options page: language, distance unit and first day of the week, and
// the care of the rider's data as a whole (initialize, back up, restore).
// Every choice takes effect at once and is saved in the configuration record.
// The page tells whoever listens that the settings changed; the main window
// answers by re-captioning the whole program.

#include "store/store.h"
#include "widgets/TabPage.h"

class QComboBox;
class QLabel;
class ImageButton;

class OptionsDlg : public TabPage {
    Q_OBJECT
public:
    OptionsDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;

Q_SIGNALS:
    // The language table, the distance unit or the week start changed.
    void SettingsChanged();
    // A restore has put another log in place: the program ends so that the
    // next start runs on it.
    void EndProgramRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void FillLanguageChoice();
    // The stored record; when it cannot be read (after saying so) the
    // settings in force, so that a save keeps what the rider sees.
    ApplicationConfigRecord LoadConfig();
    void SaveConfig(const ApplicationConfigRecord& config);
    void SelectChoices(const ApplicationConfigRecord& config);
    void SelectLanguage(int fileNumber);

    void OnLanguageChosen(int index);
    void OnDistanceUnitChosen(int index);
    void OnWeekStartChosen(int index);
    void OnCurrencyChosen();
    void OnInitialize();
    void OnBackup();
    void OnRestore();

    // The file number of the language the program is showing.
    int m_shownLanguage = 0;

    QLabel* m_settingsHeading;
    QLabel* m_languageLabel;
    QComboBox* m_language;
    QLabel* m_unitLabel;
    QComboBox* m_unit;
    QLabel* m_weekStartLabel;
    QComboBox* m_weekStart;
    QLabel* m_currencyLabel;
    QComboBox* m_currency;  // editable: any symbol the rider types
    QLabel* m_dataHeading;
    ImageButton* m_initialize;
    QLabel* m_initializeNote;
    ImageButton* m_backup;
    QLabel* m_backupNote;
    ImageButton* m_restore;
    QLabel* m_restoreNote;
};
