#include "options/OptionsDlg.h"

#include "language/Language.h"
#include "options/DatabaseCare.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/Log.h"
#include "platform/ModalRun.h"
#include "platform/Preferences.h"
#include "units/Units.h"
#include "widgets/ImageButton.h"
#include "widgets/LinkLabel.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// Shown while no language table exists: the failed file has been let go and
// the one to fall back on is not loaded yet.
const char* const kLanguageLoadFailed = "ERROR: Load language file error.";
const char* const kLanguageLoadFailedTitle = "ERROR";

const QColor kHeadingColour(0x2E, 0x4A, 0x5A);
const QColor kRuleColour(0xC9, 0xD6, 0xDD);
const QColor kNoteColour(0x5A, 0x6B, 0x75);
constexpr int kContentWidth = 700;
constexpr int kChoiceWidth = 260;
// A currency symbol or code, never a sentence.
constexpr int kCurrencyLength = 8;
constexpr int kButtonWidth = 150;
constexpr int kButtonHeight = 34;

QLabel* MakeHeading(QWidget* parent) {
    auto* heading = new QLabel(parent);
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    heading->setFont(font);
    QPalette palette = heading->palette();
    palette.setColor(QPalette::WindowText, kHeadingColour);
    heading->setPalette(palette);
    return heading;
}

QFrame* MakeRule(QWidget* parent) {
    auto* rule = new QFrame(parent);
    rule->setFixedHeight(1);
    rule->setAutoFillBackground(true);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, kRuleColour);
    rule->setPalette(palette);
    return rule;
}

QLabel* MakeNote(QWidget* parent) {
    auto* note = new QLabel(parent);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, kNoteColour);
    note->setPalette(palette);
    return note;
}

// Empties a choice and fills it with the texts of keys, keeping the position
// chosen before (or the first one when there was none).
void FillChoice(QComboBox* choice, std::initializer_list<QString> texts) {
    const QSignalBlocker quiet(choice);
    const int chosen = choice->currentIndex();
    choice->clear();
    for (const QString& text : texts) {
        choice->addItem(text);
    }
    choice->setCurrentIndex(chosen >= 0 && chosen < choice->count() ? chosen : 0);
}

// Asks which of several backups to restore, newest first and chosen; an
// empty text when the rider cancels.
QString ChooseBackup(QWidget* parent, const QStringList& backups) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("BackupChooser"));
    dialog.setWindowTitle(GetLanguageString("OptionsDlg", "RTCH"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("Backups"));
    for (const QString& backup : backups) {
        auto* item = new QListWidgetItem(QFileInfo(backup).fileName(), list);
        item->setToolTip(QDir::toNativeSeparators(backup));
    }
    list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(GetLanguageString("Strings", "OKAY"));
    buttons->button(QDialogButtonBox::Cancel)->setText(GetLanguageString("Strings", "CANC"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(420, 300);
    if (RunModal(&dialog, QDialog::Rejected) != QDialog::Accepted || list->currentRow() < 0) {
        return {};
    }
    return backups.value(list->currentRow());
}

// Why a restore failed, in the rider's language: what was wrong with the
// backup, or what could not be done with the system's reason.
QString RestoreFailure(RestoreOutcome outcome) {
    LanguageKey reason{"ErrorStrings", "RTNB"};
    switch (outcome) {
        case RestoreOutcome::Done:
        case RestoreOutcome::NoBackup:
            break;
        case RestoreOutcome::Unreadable:
            reason = LanguageKey{"ErrorStrings", "RTDM"};
            break;
        case RestoreOutcome::NoSettings:
            reason = LanguageKey{"ErrorStrings", "RTNS"};
            break;
        case RestoreOutcome::OtherVersion:
            reason = LanguageKey{"ErrorStrings", "RTVR"};
            break;
        case RestoreOutcome::ForeignTables:
            reason = LanguageKey{"ErrorStrings", "RTTB"};
            break;
        case RestoreOutcome::CopyFailed:
            reason = LanguageKey{"ErrorStrings", "RTCP"};
            break;
        case RestoreOutcome::MoveFailed:
            reason = LanguageKey{"ErrorStrings", "RTMF"};
            break;
    }
    return WithReason(GetLanguageString(reason), LastCareFailure()) + QLatin1Char('\n') +
           GetLanguageString("ErrorStrings", "RTDB");
}

}  // namespace

OptionsDlg::OptionsDlg(LinkLabel& statusLine, QWidget* parent)
    : TabPage(statusLine, parent),
      m_settingsHeading(MakeHeading(this)),
      m_languageLabel(new QLabel(this)),
      m_language(new QComboBox(this)),
      m_unitLabel(new QLabel(this)),
      m_unit(new QComboBox(this)),
      m_weekStartLabel(new QLabel(this)),
      m_weekStart(new QComboBox(this)),
      m_currencyLabel(new QLabel(this)),
      m_currency(new QComboBox(this)),
      m_dataHeading(MakeHeading(this)),
      m_initialize(new ImageButton(this)),
      m_initializeNote(MakeNote(this)),
      m_backup(new ImageButton(this)),
      m_backupNote(MakeNote(this)),
      m_restore(new ImageButton(this)),
      m_restoreNote(MakeNote(this)) {
    setObjectName(QStringLiteral("OptionsDlg"));
    m_language->setObjectName(QStringLiteral("Language"));
    m_unit->setObjectName(QStringLiteral("DistanceUnit"));
    m_weekStart->setObjectName(QStringLiteral("WeekStart"));
    m_currency->setObjectName(QStringLiteral("Currency"));
    m_currency->setEditable(true);
    m_currency->setInsertPolicy(QComboBox::NoInsert);
    m_currency->lineEdit()->setMaxLength(kCurrencyLength);
    m_currency->addItems({QStringLiteral("$"), QStringLiteral("€"), QStringLiteral("£"),
                          QStringLiteral("CHF"), QStringLiteral("kr"), QStringLiteral("zł"),
                          QStringLiteral("Kč"), QStringLiteral("₽"), QStringLiteral("¥")});
    m_initialize->setObjectName(QStringLiteral("Initialize"));
    m_backup->setObjectName(QStringLiteral("Backup"));
    m_restore->setObjectName(QStringLiteral("Restore"));
    BuildLayout();

    // activated: only the rider's own choices, never the page's re-selections.
    connect(m_language, &QComboBox::activated, this, &OptionsDlg::OnLanguageChosen);
    connect(m_unit, &QComboBox::activated, this, &OptionsDlg::OnDistanceUnitChosen);
    connect(m_weekStart, &QComboBox::activated, this, &OptionsDlg::OnWeekStartChosen);
    connect(m_currency, &QComboBox::activated, this, &OptionsDlg::OnCurrencyChosen);
    connect(m_currency->lineEdit(), &QLineEdit::editingFinished, this, &OptionsDlg::OnCurrencyChosen);
    connect(m_initialize, &QPushButton::clicked, this, &OptionsDlg::OnInitialize);
    connect(m_backup, &QPushButton::clicked, this, &OptionsDlg::OnBackup);
    connect(m_restore, &QPushButton::clicked, this, &OptionsDlg::OnRestore);

    RefreshCaptions();
    ApplicationConfigRecord config;
    if (DB_LoadApplicationConfig(&config) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    // Start-up fell back on the default language when the configured one has
    // no file any more.
    m_shownLanguage = m_language->findData(config.Language) >= 0 ? config.Language : 0;
    config.Language = m_shownLanguage;
    SelectChoices(config);
}

void OptionsDlg::BuildLayout() {
    for (QComboBox* choice : {m_language, m_unit, m_weekStart, m_currency}) {
        choice->setFixedWidth(kChoiceWidth);
    }
    for (ImageButton* button : {m_initialize, m_backup, m_restore}) {
        button->setFixedSize(kButtonWidth, kButtonHeight);
    }

    auto* settings = new QGridLayout;
    settings->setHorizontalSpacing(16);
    settings->setVerticalSpacing(10);
    settings->setColumnMinimumWidth(0, 150);
    const std::pair<QLabel*, QComboBox*> rows[] = {{m_languageLabel, m_language},
                                                   {m_unitLabel, m_unit},
                                                   {m_weekStartLabel, m_weekStart},
                                                   {m_currencyLabel, m_currency}};
    int line = 0;
    for (const auto& [label, choice] : rows) {
        label->setBuddy(choice);
        settings->addWidget(label, line, 0, Qt::AlignLeft | Qt::AlignVCenter);
        settings->addWidget(choice, line, 1, Qt::AlignLeft | Qt::AlignVCenter);
        ++line;
    }
    settings->setColumnStretch(2, 1);

    auto* data = new QGridLayout;
    data->setHorizontalSpacing(20);
    data->setVerticalSpacing(12);
    const std::pair<ImageButton*, QLabel*> actions[] = {
        {m_backup, m_backupNote}, {m_restore, m_restoreNote}, {m_initialize, m_initializeNote}};
    int action = 0;
    for (const auto& [button, note] : actions) {
        data->addWidget(button, action, 0, Qt::AlignLeft | Qt::AlignVCenter);
        data->addWidget(note, action, 1);
        ++action;
    }
    data->setColumnStretch(1, 1);

    // One column of readable width at the left; the rest of a wide page stays white.
    auto* content = new QWidget(this);
    content->setMaximumWidth(kContentWidth);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_settingsHeading);
    column->addSpacing(6);
    column->addWidget(MakeRule(content));
    column->addSpacing(14);
    column->addLayout(settings);
    column->addSpacing(34);
    column->addWidget(m_dataHeading);
    column->addSpacing(6);
    column->addWidget(MakeRule(content));
    column->addSpacing(14);
    column->addLayout(data);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(28, 22, 28, 16);
    auto* row = new QHBoxLayout;
    row->addWidget(content, 1);
    row->addStretch(0);
    page->addLayout(row);
    page->addStretch(1);
}

void OptionsDlg::RefreshCaptions() {
    m_settingsHeading->setText(GetLanguageString("OptionsDlg", "STTG"));
    m_languageLabel->setText(GetLanguageStringWithColon("OptionsDlg", "LANG"));
    m_unitLabel->setText(GetLanguageStringWithColon("OptionsDlg", "UNIT"));
    m_weekStartLabel->setText(GetLanguageStringWithColon("OptionsDlg", "WSTO"));
    m_currencyLabel->setText(GetLanguageStringWithColon("OptionsDlg", "CURR"));
    FillChoice(m_weekStart,
               {GetLanguageString("OptionsDlg", "SMON"), GetLanguageString("OptionsDlg", "SSUN")});
    FillChoice(m_unit, {GetLanguageString("OptionsDlg", "UTST"), GetLanguageString("OptionsDlg", "UTUS")});
    FillLanguageChoice();

    m_dataHeading->setText(GetLanguageString("OptionsDlg", "DATA"));
    m_initialize->setText(GetLanguageStringWithAccelerator("OptionsDlg", "ITDB", QStringLiteral("I")));
    m_backup->setText(GetLanguageStringWithAccelerator("OptionsDlg", "BKDB", QStringLiteral("B")));
    m_restore->setText(GetLanguageStringWithAccelerator("OptionsDlg", "RTDB", QStringLiteral("R")));
    m_initializeNote->setText(GetLanguageString("OptionsDlg", "ITDN"));
    m_backupNote->setText(GetLanguageString("OptionsDlg", "BKDN"));
    m_restoreNote->setText(GetLanguageString("OptionsDlg", "RTDN"));
    update();
}

void OptionsDlg::FillLanguageChoice() {
    // Each entry carries the number of its file: a number missing from the
    // files must not move the later languages onto the wrong file.
    const QSignalBlocker quiet(m_language);
    const QVariant chosen = m_language->currentData();
    m_language->clear();
    for (const LanguageChoice& choice : GetLanguageChoices(GetProgramDirectory())) {
        m_language->addItem(choice.name, choice.number);
    }
    const int index = chosen.isValid() ? m_language->findData(chosen) : -1;
    m_language->setCurrentIndex(index >= 0 ? index : 0);
}

void OptionsDlg::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    StatusLine().SetText(QStringLiteral(" "));
}

ApplicationConfigRecord OptionsDlg::LoadConfig() {
    ApplicationConfigRecord config;
    if (DB_LoadApplicationConfig(&config) == store::kOk) {
        return config;
    }
    ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
    ApplicationConfigRecord inForce;
    inForce.Language = m_shownLanguage;
    inForce.DistanceUnit = GetDistanceUnit();
    inForce.WeekStart = GetWeekStart();
    return inForce;
}

void OptionsDlg::SaveConfig(const ApplicationConfigRecord& config) {
    if (DB_SaveApplicationConfig(&config) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
    }
}

void OptionsDlg::SelectLanguage(int fileNumber) {
    const QSignalBlocker quiet(m_language);
    m_language->setCurrentIndex(m_language->findData(fileNumber));
}

void OptionsDlg::SelectChoices(const ApplicationConfigRecord& config) {
    SelectLanguage(config.Language);
    // Any unit but miles is kilometres, and the week starts on Monday unless Sunday was chosen.
    const QSignalBlocker quietUnit(m_unit);
    m_unit->setCurrentIndex(config.DistanceUnit == 1 ? 1 : 0);
    const QSignalBlocker quietWeek(m_weekStart);
    m_weekStart->setCurrentIndex(config.WeekStart == 1 ? 1 : 0);
    const QSignalBlocker quietCurrency(m_currency);
    const QString symbol = GetCurrencySymbol();
    m_currency->setCurrentText(symbol.isEmpty() ? QStringLiteral("$") : symbol);
}

void OptionsDlg::OnLanguageChosen(int index) {
    ApplicationConfigRecord config = LoadConfig();
    if (index < 0) {
        return;
    }
    const int number = m_language->itemData(index).toInt();
    const QString programDirectory = GetProgramDirectory();
    FreeLanguageTable();
    if (LoadLanguageFile(LanguageFilePath(programDirectory, number)) != 0) {
        AppDialogs().MessageBox(this, QString::fromLatin1(kLanguageLoadFailed),
                                QString::fromLatin1(kLanguageLoadFailedTitle), MessageIcon::Error);
        // Back to the language on screen, so that the texts looked up from now
        // on match the captions; the default one when even that file is gone.
        FreeLanguageTable();
        if (LoadLanguageFile(LanguageFilePath(programDirectory, m_shownLanguage)) != 0) {
            FreeLanguageTable();
            LoadLanguageFile(LanguageFilePath(programDirectory, 0));
            m_shownLanguage = 0;
            Q_EMIT SettingsChanged();
        }
        SelectLanguage(m_shownLanguage);
        return;
    }
    m_shownLanguage = number;
    config.Language = number;
    Q_EMIT SettingsChanged();
    SelectChoices(config);
    SaveConfig(config);
}

void OptionsDlg::OnDistanceUnitChosen(int index) {
    ApplicationConfigRecord config = LoadConfig();
    if (index < 0) {
        return;
    }
    config.DistanceUnit = index;
    SetDistanceUnit(index);
    // Pages that show unit words in their captions take the new ones.
    Q_EMIT SettingsChanged();
    SelectChoices(config);
    SaveConfig(config);
}

void OptionsDlg::OnCurrencyChosen() {
    const QString symbol = m_currency->currentText().trimmed().left(kCurrencyLength);
    const QString inForce = GetCurrencySymbol().isEmpty() ? QStringLiteral("$") : GetCurrencySymbol();
    if (symbol.isEmpty() || symbol == inForce) {
        const QSignalBlocker quiet(m_currency);
        m_currency->setCurrentText(inForce);
        return;
    }
    if (!WritePreference(preference::kCurrencySymbol, symbol)) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
        const QSignalBlocker quiet(m_currency);
        m_currency->setCurrentText(inForce);
        return;
    }
    SetCurrencySymbol(symbol);
    // The cards show costs with the symbol.
    Q_EMIT SettingsChanged();
}

void OptionsDlg::OnWeekStartChosen(int index) {
    ApplicationConfigRecord config = LoadConfig();
    if (index < 0) {
        return;
    }
    config.WeekStart = index;
    SetWeekStart(index);
    Q_EMIT SettingsChanged();
    SelectChoices(config);
    SaveConfig(config);
}

void OptionsDlg::OnInitialize() {
    if (!AskYesNo(this, GetLanguageString("OptionsDlg", "IDBC"))) {
        return;
    }
    const InitializeOutcome outcome = InitializeData(GetProgramDirectory());
    qCInfo(lcCare) << "Initialize:" << (outcome == InitializeOutcome::Done ? "done" : "failed");
    switch (outcome) {
        case InitializeOutcome::CreateFailed:
            ShowFailure(this, GetLanguageString("ErrorStrings", "ITDB"), LastCareFailure());
            return;
        case InitializeOutcome::OpenFailed:
            ShowFailure(this, GetLanguageString("ErrorStrings", "OPDB"), LastCareFailure());
            return;
        case InitializeOutcome::Done:
            ShowInformation(this, GetLanguageString("Strings", "DBIC"));
            return;
    }
}

void OptionsDlg::OnBackup() {
    const QString folder =
        AppDialogs().BrowseForFolder(this, GetLanguageString("OptionsDlg", "SLBD"), QDir::homePath());
    if (folder.isEmpty()) {
        return;
    }
    QString made;
    const BackupOutcome outcome = BackupData(GetProgramDirectory(), folder, &made);
    qCInfo(lcCare).noquote() << "Backup:"
                             << (outcome == BackupOutcome::Done ? QStringLiteral("made in ") + made
                                                                : QStringLiteral("failed in ") + folder);
    switch (outcome) {
        case BackupOutcome::DatabaseFailed:
            ShowFailure(this, GetLanguageString("ErrorStrings", "BUDB"), LastCareFailure());
            return;
        case BackupOutcome::MemoFoldersFailed:
            ShowFailure(this, GetLanguageString("ErrorStrings", "BUMF"), LastCareFailure());
            return;
        case BackupOutcome::Done:
            ShowInformation(this, GetLanguageString("OptionsDlg", "BDBO"));
            return;
    }
}

void OptionsDlg::OnRestore() {
    const QString folder =
        AppDialogs().BrowseForFolder(this, GetLanguageString("OptionsDlg", "SLRD"), QDir::homePath());
    if (folder.isEmpty()) {
        return;
    }
    const QStringList backups = FindBackups(folder);
    if (backups.isEmpty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "RTNB"));
        return;
    }
    const QString backup = backups.size() == 1 ? backups.front() : ChooseBackup(this, backups);
    if (backup.isEmpty() || !AskYesNo(this, GetLanguageString("OptionsDlg", "RDBC"))) {
        return;
    }
    const RestoreOutcome outcome = RestoreData(GetProgramDirectory(), backup);
    qCInfo(lcCare).noquote() << "Restore from" << backup << ":"
                             << (outcome == RestoreOutcome::Done ? "done" : "failed, the log is unchanged");
    if (outcome == RestoreOutcome::Done) {
        ShowInformation(this, GetLanguageString("OptionsDlg", "RDBF"));
    } else {
        ShowError(this, RestoreFailure(outcome));
    }
    // Either way the store has let go of the database: the next start opens
    // whichever file is in place now.
    Q_EMIT EndProgramRequested();
}
