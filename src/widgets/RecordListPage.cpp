#include "widgets/RecordListPage.h"

#include "platform/Failure.h"
#include "platform/Preferences.h"
#include "store/SearchIndex.h"
#include "units/DayRange.h"
#include "widgets/DayPickers.h"
#include "widgets/EmptyListHint.h"
#include "widgets/FigureFilters.h"
#include "widgets/FlowLayout.h"
#include "widgets/ImageButton.h"
#include "widgets/ImportExportDlg.h"
#include "widgets/LinkLabel.h"
#include "widgets/PageControls.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>

namespace {

LinkLabel* FieldLabel(QWidget* parent) {
    auto* label = new LinkLabel(parent);
    label->setMinimumHeight(label->fontMetrics().height() + 2);
    return label;
}

const char* RangePreferenceOf(RecordKind kind) {
    return kind == RecordKind::Ride ? preference::kRideRange : preference::kMaintenanceRange;
}

const char* ColumnPreferenceOf(RecordKind kind) {
    return kind == RecordKind::Ride ? preference::kRideColumns : preference::kMaintenanceColumns;
}

}  // namespace

RecordListPage::RecordListPage(LinkLabel& statusLine, const EmptyHintKeys& hints, RecordKind kind,
                               QWidget* parent)
    : TabPage(statusLine, parent),
      m_columnPreference(ColumnPreferenceOf(kind)),
      m_rangePreference(RangePreferenceOf(kind)),
      m_buttons(new QHBoxLayout),
      m_new(new ImageButton(this)),
      m_modify(new ImageButton(this)),
      m_delete(new ImageButton(this)),
      m_export(new ImageButton(this)),
      m_lastButton(m_export),
      m_filterLabel(FieldLabel(this)),
      m_filter(new QComboBox(this)),
      m_rangeLabel(FieldLabel(this)),
      m_range(new QComboBox(this)),
      m_startLabel(FieldLabel(this)),
      m_start(NewDayPicker(this, "startDate")),
      m_endLabel(FieldLabel(this)),
      m_end(NewDayPicker(this, "endDate")),
      m_figures(new FigureFilterBar(FigureFiltersOf(kind), this)),
      m_clear(new QPushButton(m_figures)),
      m_search(new QLineEdit(m_figures)),
      m_searchPause(new QTimer(this)),
      m_kind(kind),
      m_table(new RecordTableView(this)),
      m_hints(hints),
      m_hint(new EmptyListHint(m_table)),
      m_hintNew(m_hint->AddAction("hintNew")) {
    m_new->setObjectName(QStringLiteral("new"));
    m_modify->setObjectName(QStringLiteral("modify"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_export->setObjectName(QStringLiteral("export"));
    m_filter->setObjectName(QStringLiteral("bicycleFilter"));
    m_filter->setMinimumWidth(150);
    m_filter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_range->setObjectName(QStringLiteral("rangePreset"));
    // The longest preset's name runs long in some languages.
    m_range->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int i = 0; i < kRangePresetCount; ++i) {
        m_range->addItem(QString());
    }

    m_clear->setObjectName(QStringLiteral("clearFilters"));
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setClearButtonEnabled(true);
    m_search->setMinimumWidth(200);
    // The list narrows as the rider types, once a word has had time to form.
    m_searchPause->setSingleShot(true);
    m_searchPause->setInterval(250);
    m_figures->Row()->AddWidget(m_search, true);
    m_figures->Row()->AddWidget(m_clear);

    m_buttons->setSpacing(kPageMargin);
    for (ImageButton* button : {m_new, m_modify, m_delete, m_export}) {
        AddPageButton(m_buttons, button);
    }
    LayOutControls();

    m_today = LocalToday();
    ShowPreset(RangePreset::ThisYear, *PresetDays(RangePreset::ThisYear, m_today));

    connect(m_new, &QPushButton::clicked, this, [this] { NewRecord(); });
    connect(m_hintNew, &QPushButton::clicked, this, [this] { NewRecord(); });
    connect(m_modify, &QPushButton::clicked, this, [this] { ModifyRecord(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { DeleteRecord(); });
    connect(m_export, &QPushButton::clicked, this, &RecordListPage::OnExport);
    connect(m_filter, &QComboBox::currentIndexChanged, this, &RecordListPage::OnFilterChanged);
    connect(m_figures, &FigureFilterBar::Changed, this, [this] { ReloadRecords(); });
    connect(m_clear, &QPushButton::clicked, this, &RecordListPage::ClearFilters);
    connect(m_search, &QLineEdit::textChanged, m_searchPause, qOverload<>(&QTimer::start));
    connect(m_searchPause, &QTimer::timeout, this, [this] { ReloadRecords(); });
    connect(m_search, &QLineEdit::returnPressed, this, [this] {
        m_searchPause->stop();
        ReloadRecords();
    });
    auto* find = new QShortcut(QKeySequence::Find, this);
    // The hidden page's shortcut stays quiet: only the page shown takes Ctrl+F.
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    connect(m_range, &QComboBox::currentIndexChanged, this, &RecordListPage::OnPresetChosen);
    connect(m_start, &QDateEdit::dateChanged, this, &RecordListPage::OnDaysPicked);
    connect(m_end, &QDateEdit::dateChanged, this, &RecordListPage::OnDaysPicked);
    connect(m_table, &RecordTableView::RowActivated, this, [this] { ModifyRecord(); });
    connect(m_table, &RecordTableView::HeadingClicked, this, &RecordListPage::SortByColumn);
    QHeaderView* header = m_table->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this, [this, header](const QPoint& position) {
        QMenu* menu = NewColumnMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (menu->isEmpty()) {
            delete menu;
            return;
        }
        menu->popup(header->viewport()->mapToGlobal(position));
    });
}

RecordListPage::~RecordListPage() = default;

void RecordListPage::ShowModel(RecordTableModelBase* model) {
    m_model = model;
    m_table->SetRecordModel(m_model);
    // The columns the rider may choose stand hidden before the last of the
    // others (the memo), which keeps the room that is left.
    QHeaderView* header = m_table->horizontalHeader();
    int lastFixed = -1;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (!m_model->Column(column).choiceName) {
            lastFixed = column;
        }
    }
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (m_model->Column(column).choiceName) {
            if (lastFixed >= 0) {
                header->moveSection(header->visualIndex(column), header->visualIndex(lastFixed));
            }
            header->setSectionHidden(column, true);
        }
    }
    RefreshCaptions();
}

bool RecordListPage::ColumnShown(int column) const {
    return m_model && column >= 0 && column < m_model->columnCount() &&
           !m_table->horizontalHeader()->isSectionHidden(column);
}

void RecordListPage::ShowColumn(int column, bool shown) {
    if (!m_model || column < 0 || column >= m_model->columnCount() || !m_model->Column(column).choiceName ||
        ColumnShown(column) == shown) {
        return;
    }
    m_table->horizontalHeader()->setSectionHidden(column, !shown);
    ColumnsChosen();
    m_table->FitColumnWidths();
    QStringList names;
    for (int other = 0; other < m_model->columnCount(); ++other) {
        if (m_model->Column(other).choiceName && ColumnShown(other)) {
            names << QString::fromLatin1(m_model->Column(other).choiceName);
        }
    }
    // A choice that cannot be kept still serves this run.
    WritePreference(m_columnPreference, names.join(u','));
}

void RecordListPage::ReadColumnChoice() {
    const std::optional<QString> kept = ReadPreference(m_columnPreference);
    if (!kept || !m_model) {
        return;
    }
    const QStringList names = kept->split(u',', Qt::SkipEmptyParts);
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (const char* name = m_model->Column(column).choiceName) {
            m_table->horizontalHeader()->setSectionHidden(column, !names.contains(QString::fromLatin1(name)));
        }
    }
}

QMenu* RecordListPage::NewColumnMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("columnMenu"));
    if (!m_model) {
        return menu;
    }
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const char* name = m_model->Column(column).choiceName;
        if (!name) {
            continue;
        }
        QAction* action = menu->addAction(m_model->HeadingText(column));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(ColumnShown(column));
        connect(action, &QAction::toggled, this, [this, column](bool shown) { ShowColumn(column, shown); });
    }
    return menu;
}

void RecordListPage::AddButton(ImageButton* button) {
    AddPageButton(m_buttons, button);
    setTabOrder(m_lastButton, button);
    m_lastButton = button;
}

void RecordListPage::RefreshCaptions() {
    m_new->setText(GetLanguageStringWithAccelerator("Strings", "NEWS", QStringLiteral("N")));
    m_modify->setText(GetLanguageStringWithAccelerator("Strings", "MODF", QStringLiteral("M")));
    m_delete->setText(GetLanguageStringWithAccelerator("Strings", "DELE", QStringLiteral("D")));
    m_export->setText(GetLanguageStringWithAccelerator("Strings", "EXPT", QStringLiteral("E")));
    for (ImageButton* button : {m_new, m_modify, m_delete, m_export}) {
        FitPageButton(button);
    }
    m_filterLabel->SetText(GetLanguageString("Strings", "SELB"));
    m_startLabel->SetText(GetLanguageString("Strings", "STDT"));
    m_endLabel->SetText(GetLanguageString("Strings", "EDDT"));
    m_rangeLabel->SetText(GetLanguageString("Search", "RANG"));
    m_figures->RefreshCaptions();
    m_clear->setText(GetLanguageString("Search", "CLRF"));
    m_search->setPlaceholderText(GetLanguageString("Search", "SRCH"));
    for (int i = 0; i < kRangePresetCount; ++i) {
        m_range->setItemText(i, GetLanguageString(RangePresetName(static_cast<RangePreset>(i))));
    }
    // A squeezed row still shows the chosen preset whole; the page scrolls instead.
    m_range->setMinimumWidth(0);
    m_range->setMinimumWidth(m_range->sizeHint().width());
    if (m_filter->count() > 0) {
        m_filter->setItemText(0, GetLanguageString("Strings", "ALBC"));
    }
    // The headings and widths come back; the rows follow at the next reload.
    if (m_model) {
        m_model->RefreshHeadings(m_table->horizontalHeader());
        m_table->FitColumnWidths();
    }
    UpdateHint();
}

void RecordListPage::SetListState(ListState state) {
    m_listState = state;
    UpdateHint();
}

void RecordListPage::UpdateHint() {
    switch (m_listState) {
        case ListState::Listed:
        case ListState::Unread:
            m_hint->HideHint();
            return;
        case ListState::NoBicycles:
            m_hint->ShowHint(GetLanguageString("ErrorStrings", "NTCB"));
            return;
        case ListState::EmptyRange:
            m_hint->ShowHint(GetLanguageString(m_hints.emptyRange));
            return;
        case ListState::EmptyLog:
            m_hintNew->setText(GetLanguageString(m_hints.addFirst));
            m_hint->ShowHint(GetLanguageString(m_hints.emptyLog), {m_hintNew});
            return;
    }
}

void RecordListPage::LayOutControls() {
    // The buttons, the bicycle and the days on top, the figure filters and the
    // search under them, the table below. Each of the two rows wraps onto a
    // further line where the window is too narrow for it, as at its smallest
    // size in a language with long captions, so the page never scrolls sideways.
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(kPageMargin, 4, kPageMargin, kPageMargin);
    page->setSpacing(6);
    auto* top = new FlowLayout(12, 6);
    top->AddLayout(m_buttons);
    top->AddLayout(LabelledControl(m_filterLabel, m_filter));
    // The range's preset and its days stay together.
    auto* days = new QHBoxLayout;
    days->setSpacing(12);
    days->addLayout(LabelledControl(m_rangeLabel, m_range));
    days->addLayout(LabelledControl(m_startLabel, m_start));
    days->addLayout(LabelledControl(m_endLabel, m_end));
    top->AddLayout(days);
    page->addLayout(top);
    page->addWidget(m_figures);
    page->addWidget(m_table, 1);
    // The table takes the height that is left and asks for none: the page
    // scrolls only when not even a few of its rows would show.
    m_table->setSizePolicy(m_table->sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
    m_table->setMinimumHeight(4 * m_table->fontMetrics().height());
}

void RecordListPage::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    if (!event->spontaneous()) {
        Reload();
    }
}

void RecordListPage::Reload() {
    if (!m_rangeRead) {
        m_rangeRead = true;
        ReadRange();
        ReadColumnChoice();
    }
    ReloadBicycles();
    ReloadRecords();
}

void RecordListPage::ReloadBicycles() {
    const QSignalBlocker quiet(m_filter);
    if (!FillBicycleFilter(m_filter, &m_bicycles)) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        m_filter->setCurrentIndex(0);
        return;
    }
    // A bicycle deleted meanwhile gives its place back to "all bicycles".
    m_filter->setCurrentIndex(m_filterPosition < m_filter->count() ? m_filterPosition : 0);
}

void RecordListPage::OnFilterChanged(int position) {
    m_filterPosition = position;
    ReloadRecords();
}

int RecordListPage::PreselectedBicycle() const {
    const int position = m_filter->currentIndex();
    return position >= 0 ? position - 1 : -1;
}

std::optional<int> RecordListPage::FilteredBicycleNumber() const {
    return FilteredBicycle(m_filter);
}

void RecordListPage::ReadRange() {
    const std::optional<QString> kept = ReadPreference(m_rangePreference);
    const std::optional<RangeChoice> choice = kept ? ReadRangeChoice(*kept) : std::nullopt;
    if (!choice) {
        return;  // this year, as set up
    }
    const std::optional<PickedRange> days = PresetDays(choice->preset, LocalToday());
    ShowPreset(choice->preset, days ? *days : choice->days);
}

void RecordListPage::ShowPreset(RangePreset preset, const PickedRange& days) {
    const QSignalBlocker quietRange(m_range);
    const QSignalBlocker quietStart(m_start);
    const QSignalBlocker quietEnd(m_end);
    m_preset = preset;
    m_range->setCurrentIndex(static_cast<int>(preset));
    m_start->setDate(days.from);
    m_end->setDate(days.to);
    m_endIsToday = m_end->date() == LocalToday();
}

void RecordListPage::KeepRange() {
    // A range that cannot be kept still serves this run; the store's
    // failure shows at the next read or write that matters.
    WritePreference(m_rangePreference, RangeChoiceText(m_preset, {m_start->date(), m_end->date()}));
}

void RecordListPage::ClearFilters() {
    m_figures->Clear();
    {
        const QSignalBlocker quiet(m_search);
        m_search->clear();
        m_searchPause->stop();
    }
    {
        const QSignalBlocker quiet(m_filter);
        m_filter->setCurrentIndex(0);
        m_filterPosition = 0;
    }
    ShowPreset(RangePreset::ThisYear, *PresetDays(RangePreset::ThisYear, LocalToday()));
    KeepRange();
    ReloadRecords();
}

void RecordListPage::OnPresetChosen(int position) {
    if (position < 0 || position >= kRangePresetCount) {
        return;
    }
    const auto preset = static_cast<RangePreset>(position);
    const std::optional<PickedRange> days = PresetDays(preset, LocalToday());
    ShowPreset(preset, days ? *days : PickedRange{m_start->date(), m_end->date()});
    KeepRange();
    ReloadRecords();
}

void RecordListPage::OnDaysPicked() {
    m_endIsToday = m_end->date() == LocalToday();
    if (m_preset != RangePreset::Custom) {
        const QSignalBlocker quiet(m_range);
        m_preset = RangePreset::Custom;
        m_range->setCurrentIndex(static_cast<int>(RangePreset::Custom));
    }
    KeepRange();
    ReloadRecords();
}

void RecordListPage::ShowDays(const QDate& first, const QDate& last) {
    const QDate from = std::min(first, m_start->date());
    const QDate to = std::max(last, m_end->date());
    if (from != m_start->date() || to != m_end->date()) {
        ShowPreset(RangePreset::Custom, {from, to});
        KeepRange();
    }
}

void RecordListPage::FollowToday() {
    // A preset's days move with the calendar (this year turns into the next
    // at midnight on New Year's Eve); a custom range only keeps its end on
    // today when it was there.
    const QDate today = LocalToday();
    if (today != m_today) {
        if (const std::optional<PickedRange> days = PresetDays(m_preset, today)) {
            ShowPreset(m_preset, *days);
        } else if (m_endIsToday) {
            const QSignalBlocker quiet(m_end);
            m_end->setDate(today);
        }
    }
    m_today = today;
}

bool RecordListPage::Searching() const {
    return !m_search->text().trimmed().isEmpty();
}

DayRange RecordListPage::ShownDays() const {
    return PickedDays(m_start->date(), m_end->date());
}

std::string RecordListPage::FilterCondition() {
    m_hitsOutside = 0;
    if (!Searching()) {
        return DayRangeCondition(ShownDays(), FilteredBicycle(m_filter)) + m_figures->Condition();
    }
    std::vector<int32_t> hits;
    const SearchKind kind = m_kind == RecordKind::Ride ? SearchKind::Ride : SearchKind::Maintenance;
    if (DB_SearchRecords(kind, m_search->text().toUtf8().constData(), &hits) != store::kOk) {
        m_searchPause->stop();
        ShowStoreFailure(this, GetLanguageString("Search", "SRFL"));
        hits.clear();
    }
    std::string numbers;
    for (const int32_t hit : hits) {
        numbers += (numbers.empty() ? "" : ",") + std::to_string(hit);
    }
    std::string condition = std::string(" (") +
                            (m_kind == RecordKind::Ride ? "RideRecordNumber" : "MaintenanceRecordNumber") +
                            " in (" + numbers + "))";
    if (const std::optional<int> bicycle = FilteredBicycle(m_filter)) {
        condition += " and " + BicycleCondition(*bicycle);
    }
    return condition + m_figures->Condition();
}

void RecordListPage::ShowStatus(const QString& statusText, const QString& lineText) {
    m_table->FitColumnWidths();
    m_statusText = statusText;
    m_lineText = lineText;
    // A bound that is no figure is left out of the filter; the line says why.
    const QString refusal = m_figures->Refusal();
    QString line = refusal.isEmpty() ? m_lineText : refusal + QStringLiteral("  ") + m_lineText;
    if (Searching() && m_hitsOutside > 0) {
        line += QStringLiteral("  ") + SafeFormat(GetLanguageString("Search", "OUTS"), {m_hitsOutside});
    }
    StatusLine().SetText(line);
}

void RecordListPage::ShowSavedOutside() {
    StatusLine().SetText(GetLanguageString("Search", "SOUT") + QStringLiteral("  ") + m_lineText);
}

void RecordListPage::SortByColumn(int column) {
    if (!m_model || column < 0 || column >= m_model->columnCount() || !m_model->Column(column).sortable) {
        return;
    }
    m_ascending = !m_ascending;
    m_model->SortRows(column, m_ascending);
    m_table->ArrowHeader()->ShowArrow(column, m_ascending);
    if (m_table->currentIndex().isValid()) {
        m_table->scrollTo(m_table->currentIndex());
    }
}

void RecordListPage::OnExport() {
    QString fileName;
    int format = kTextReport;
    if (ImportExportDlg::Ask(this, true, true, &fileName, &format, true)) {
        ExportRecords(fileName, format);
    }
}
