#include "statistics/StatDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/Files.h"
#include "reports/ReportFiles.h"
#include "reports/ReportText.h"
#include "statistics/StatChart.h"
#include "statistics/StatTableModel.h"
#include "statistics/StatisticsReport.h"
#include "units/Clock.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/DayPickers.h"
#include "widgets/ImageButton.h"
#include "widgets/ImportExportDlg.h"
#include "widgets/LinkLabel.h"
#include "widgets/PageControls.h"
#include "widgets/RecordTableView.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QSignalBlocker>
#include <algorithm>

namespace {

constexpr LanguageKey kContentsNames[kContentsCount] = {
    LanguageKey{"StatDlg", "SIMP"}, LanguageKey{"StatDlg", "DSTD"}, LanguageKey{"StatDlg", "DSTW"},
    LanguageKey{"StatDlg", "DSTM"}, LanguageKey{"StatDlg", "TMED"}, LanguageKey{"StatDlg", "TMEW"},
    LanguageKey{"StatDlg", "TMEM"}, LanguageKey{"StatDlg", "AVSD"}, LanguageKey{"StatDlg", "AVSW"},
    LanguageKey{"StatDlg", "AVSM"}, LanguageKey{"StatDlg", "NORW"}, LanguageKey{"StatDlg", "NORM"},
    LanguageKey{"StatDlg", "ASCD"}, LanguageKey{"StatDlg", "ASCW"}, LanguageKey{"StatDlg", "ASCM"},
    LanguageKey{"StatDlg", "YEAR"},
};

constexpr LanguageKey kStyleNames[] = {LanguageKey{"StatDlg", "REPT"}, LanguageKey{"StatDlg", "LINE"},
                                       LanguageKey{"StatDlg", "BARS"}};
constexpr int kStyleList = 0;
constexpr int kStyleBars = 2;

// The totals rows of the summary, shown in bold above their averages.
const std::set<int> kSummaryTotalsRows = {0, 3, 6, 10, 14};

// The contents that list whole periods in a table rather than a series.
bool IsTable(int contents) {
    return contents == kContentsSummary || contents == kContentsYearByYear;
}

// Contents that need the ascents of the ride detail rows.
bool NeedsAscents(int contents, bool periodChosen) {
    const std::optional<SeriesKind> kind = SeriesKindOf(contents);
    return contents == kContentsYearByYear || (contents == kContentsSummary && periodChosen) ||
           (kind && kind->measure == SeriesMeasure::Ascent);
}

QDateTime PickerValue(int64_t secondsSince1970) {
    const LocalDateTime local = ToLocalDateTime(secondsSince1970);
    return QDateTime(QDate(local.year, local.month, local.day),
                     QTime(local.hour, local.minute, local.second));
}

// Clears a flag when the scope ends, however it ends.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
};

}  // namespace

StatDlg::StatDlg(LinkLabel& statusLine, QWidget* parent)
    : TabPage(statusLine, parent),
      m_bicycleLabel(new QLabel(this)),
      m_bicycles(new QComboBox(this)),
      m_contentsLabel(new QLabel(this)),
      m_contents(new QComboBox(this)),
      m_startLabel(new QLabel(this)),
      m_start(new QDateTimeEdit(this)),
      m_endLabel(new QLabel(this)),
      m_end(new QDateTimeEdit(this)),
      m_styleLabel(new QLabel(this)),
      m_style(new QComboBox(this)),
      m_periodRow(new QWidget(this)),
      m_yearLabel(new QLabel(m_periodRow)),
      m_year(new QComboBox(m_periodRow)),
      m_monthLabel(new QLabel(m_periodRow)),
      m_month(new QComboBox(m_periodRow)),
      m_export(new ImageButton(this)),
      m_list(new RecordTableView(this)),
      m_model(new StatTableModel(this)),
      m_chart(new StatChartView(this)) {
    setObjectName(QStringLiteral("StatDlg"));
    m_bicycles->setObjectName(QStringLiteral("StatBicycles"));
    m_contents->setObjectName(QStringLiteral("StatContents"));
    m_start->setObjectName(QStringLiteral("StatStart"));
    m_end->setObjectName(QStringLiteral("StatEnd"));
    m_style->setObjectName(QStringLiteral("StatStyle"));
    m_year->setObjectName(QStringLiteral("StatYear"));
    m_month->setObjectName(QStringLiteral("StatMonth"));
    m_export->setObjectName(QStringLiteral("StatExport"));
    m_list->setObjectName(QStringLiteral("StatList"));
    m_chart->setObjectName(QStringLiteral("StatChart"));

    m_bicycleLabel->setBuddy(m_bicycles);
    m_contentsLabel->setBuddy(m_contents);
    m_styleLabel->setBuddy(m_style);
    m_startLabel->setBuddy(m_start);
    m_endLabel->setBuddy(m_end);
    m_yearLabel->setBuddy(m_year);
    m_monthLabel->setBuddy(m_month);
    // No year chosen: the summary of this and last month and year, and the
    // days of the pickers for a series.
    m_year->addItem(QStringLiteral("\u2014"));
    for (int month = 0; month <= 12; ++month) {
        m_month->addItem(month == 0 ? QString() : QString::asprintf("%02d", month), month);
    }
    m_month->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_bicycles->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Their entries are captions: after a change of language the lists take
    // the width of the new texts.
    m_contents->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_style->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    for (int i = 0; i < kContentsCount; ++i) {
        m_contents->addItem(QString());
    }
    m_contents->setCurrentIndex(kContentsSummary);
    for (int i = 0; i < static_cast<int>(std::size(kStyleNames)); ++i) {
        m_style->addItem(QString());
    }
    m_style->setCurrentIndex(kStyleList);

    // The pickers cover the dates a ride can have; the range starts on
    // January 1 of this year and ends now.
    const int64_t now = CurrentTime();
    for (QDateTimeEdit* picker : {m_start, m_end}) {
        // The format first: a new format resets the range.
        picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        picker->setCalendarPopup(true);
        LimitToPickableDays(picker);
    }
    m_start->setDateTime(QDateTime(QDate(ToLocalDateTime(now).year, 1, 1), QTime(0, 0)));
    m_end->setDateTime(PickerValue(now));

    m_list->setModel(m_model);
    m_list->hide();  // until the first refresh
    m_chart->hide();

    connect(m_bicycles, &QComboBox::currentIndexChanged, this, &StatDlg::RefreshStatistics);
    connect(m_contents, &QComboBox::currentIndexChanged, this, &StatDlg::RefreshStatistics);
    connect(m_style, &QComboBox::currentIndexChanged, this, [this](int style) {
        if (!IsTable(m_contents->currentIndex())) {
            m_seriesStyle = style;
        }
        RefreshStatistics();
    });
    connect(m_start, &QDateTimeEdit::dateTimeChanged, this, &StatDlg::RefreshStatistics);
    connect(m_end, &QDateTimeEdit::dateTimeChanged, this, &StatDlg::RefreshStatistics);
    connect(m_year, &QComboBox::currentIndexChanged, this, &StatDlg::RefreshStatistics);
    connect(m_month, &QComboBox::currentIndexChanged, this, &StatDlg::RefreshStatistics);
    connect(m_export, &QPushButton::clicked, this, &StatDlg::ExportStatisticsText);

    // The same arrangement as the other list pages: the button on the left,
    // each chooser under its label beside it.
    m_bicycles->setMinimumWidth(160);
    // A whole date beside the calendar button.
    for (QDateTimeEdit* picker : {m_start, m_end}) {
        picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 44);
    }
    QHBoxLayout* top = AddPageControlRow(this);
    AddPageButton(top, m_export);
    top->addLayout(LabelledControl(m_bicycleLabel, m_bicycles));
    top->addLayout(LabelledControl(m_contentsLabel, m_contents));
    top->addLayout(LabelledControl(m_styleLabel, m_style));
    top->addStretch(1);

    // The period and the days a series covers, on a line of their own below,
    // each chooser after its label, so that the page still fits a small window.
    auto* period = new QHBoxLayout(m_periodRow);
    period->setContentsMargins(0, 0, 0, 0);
    period->setSpacing(6);
    for (QLabel* label : {m_startLabel, m_endLabel}) {
        label->setParent(m_periodRow);
    }
    for (QDateTimeEdit* picker : {m_start, m_end}) {
        picker->setParent(m_periodRow);
    }
    period->addWidget(m_yearLabel);
    period->addWidget(m_year);
    period->addWidget(m_monthLabel);
    period->addWidget(m_month);
    period->addSpacing(18);
    period->addWidget(m_startLabel);
    period->addWidget(m_start);
    period->addSpacing(6);
    period->addWidget(m_endLabel);
    period->addWidget(m_end);
    period->addStretch(1);

    RefreshCaptions();
    LayOut();
}

void StatDlg::RefreshCaptions() {
    // Labels stand above their choosers, as on the other list pages.
    m_bicycleLabel->setText(GetLanguageString("Strings", "SELB"));
    m_contentsLabel->setText(GetLanguageString("StatDlg", "CNTS"));
    m_startLabel->setText(GetLanguageString("Strings", "STDT"));
    m_endLabel->setText(GetLanguageString("Strings", "EDDT"));
    m_styleLabel->setText(GetLanguageString("StatDlg", "STYL"));
    m_yearLabel->setText(GetLanguageString("StatDlg", "YRLB"));
    m_monthLabel->setText(GetLanguageString("StatDlg", "MNLB"));
    m_export->setText(GetLanguageStringWithAccelerator("Strings", "EXPT", QStringLiteral("E")));
    {
        const QSignalBlocker quietContents(m_contents);
        const QSignalBlocker quietStyle(m_style);
        const QSignalBlocker quietBicycles(m_bicycles);
        const QSignalBlocker quietMonth(m_month);
        m_month->setItemText(0, GetLanguageString("StatDlg", "WHYR"));
        for (int i = 0; i < kContentsCount; ++i) {
            m_contents->setItemText(i, GetLanguageString(kContentsNames[i]));
        }
        for (int i = 0; i < static_cast<int>(std::size(kStyleNames)); ++i) {
            m_style->setItemText(i, GetLanguageString(kStyleNames[i]));
        }
        if (m_bicycles->count() > 0) {
            m_bicycles->setItemText(0, GetLanguageString("Strings", "ALBC"));
        }
    }
    // Texts longer than the English ones need more room: the lists and the
    // button keep theirs whole, and the window widens to make room.
    for (QComboBox* list : {m_contents, m_style, m_month}) {
        list->setMinimumWidth(list->sizeHint().width());
    }
    FitPageButton(m_export);
    // The line of the period lies outside the page's layout: the page keeps
    // room for it too.
    setMinimumWidth(std::max(layout()->minimumSize().width(),
                             m_periodRow->layout()->minimumSize().width() + 2 * kPageMargin));
    // Headings and row names are language texts too.
    if (isVisible()) {
        RefreshStatistics();
    }
}

int64_t StatDlg::PickerTime(const QDateTimeEdit* picker) {
    const QDateTime value = picker->dateTime();
    return FromLocalDateTime(value.date().year(), value.date().month(), value.date().day(),
                             value.time().hour(), value.time().minute(), value.time().second());
}

void StatDlg::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    // A window coming back from the task bar is no new visit of the page.
    if (event->spontaneous()) {
        return;
    }
    ReloadBicycles();
    RefreshStatistics();
}

void StatDlg::resizeEvent(QResizeEvent* event) {
    TabPage::resizeEvent(event);
    LayOut();
}

void StatDlg::LayOut() {
    // The controls sit in the page's layout; the list and the chart area fill
    // what lies below them.
    const int periodHeight = m_periodRow->sizeHint().height();
    m_periodRow->setGeometry(kPageMargin, kPageControlsHeight, width() - 2 * kPageMargin, periodHeight);
    const QRect area = rect().adjusted(kPageMargin, kPageControlsHeight + periodHeight + kPageMargin,
                                       -kPageMargin, -kPageMargin);
    m_list->setGeometry(area);
    m_chart->setGeometry(area);
}

void StatDlg::ReloadBicycles() {
    const QSignalBlocker quiet(m_bicycles);
    if (!FillBicycleFilter(m_bicycles, &m_bicycleList)) {
        m_bicycles->setCurrentIndex(-1);
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    if (m_firstShow) {
        m_bicycles->setCurrentIndex(0);
        m_firstShow = false;
    }
    m_bicycles->setCurrentIndex(m_rememberedBicycle);
}

std::optional<int> StatDlg::ChosenYear() const {
    const QVariant year = m_year->currentData();
    return year.isValid() ? std::optional<int>(year.toInt()) : std::nullopt;
}

int StatDlg::ChosenMonth() const {
    return ChosenYear() ? m_month->currentData().toInt() : 0;
}

void StatDlg::FillYears() {
    const std::optional<int> chosen = ChosenYear();
    std::vector<int> years = PickableYears(m_rides, CurrentTime());
    // Another bicycle may have no rides in the year chosen: it stays on offer.
    if (chosen && std::find(years.begin(), years.end(), *chosen) == years.end()) {
        years.push_back(*chosen);
        std::sort(years.rbegin(), years.rend());
    }
    const QSignalBlocker quiet(m_year);
    while (m_year->count() > 1) {
        m_year->removeItem(1);
    }
    for (const int year : years) {
        m_year->addItem(QString::asprintf("%04d", year), year);
        if (chosen == year) {
            m_year->setCurrentIndex(m_year->count() - 1);
        }
    }
}

void StatDlg::FollowPeriod(int contents) {
    const std::optional<int> year = ChosenYear();
    const bool overview = contents == kContentsYearByYear;
    m_year->setEnabled(!overview);
    m_month->setEnabled(!overview && year.has_value());
    if (year && !overview) {
        const int month = ChosenMonth();
        const Period period = month > 0 ? LocalMonth(*year, month) : LocalYear(*year);
        const QSignalBlocker quietStart(m_start);
        const QSignalBlocker quietEnd(m_end);
        m_start->setDateTime(PickerValue(period.first));
        m_end->setDateTime(PickerValue(period.last));
    }
    // The days are the period's while one is chosen; the tables of whole
    // periods take none.
    const bool ownDays = !year && !IsTable(contents);
    m_start->setEnabled(ownDays);
    m_end->setEnabled(ownDays);
}

void StatDlg::SetUpColumns(int contents) {
    m_start->setEnabled(true);
    m_end->setEnabled(true);
    m_style->setEnabled(true);

    const auto heading = [](const LanguageKey& key, int width) {
        return StatColumn{GetLanguageString(key), width};
    };
    StatColumn date = heading(LanguageKey{"Strings", "DATE"}, 100);
    // A day is shown with its weekday: the column takes the longest in full.
    int dayWidth = 0;
    const QFontMetrics metrics = m_list->fontMetrics();
    for (int day = 0; day < 7; ++day) {
        dayWidth = std::max(
            dayWidth,
            metrics.horizontalAdvance(QStringLiteral("0000/00/00(") + GetWeekdayName(day) + u')') + 16);
    }
    const std::optional<SeriesKind> kind = SeriesKindOf(contents);
    if (kind && (kind->period == SeriesPeriod::Ride || kind->period == SeriesPeriod::Day)) {
        date.width = std::max(date.width, dayWidth);
    }
    std::vector<StatColumn> columns;
    const StatColumn ascent = heading(LanguageKey{"RideDetail", "ASCN"}, 90);
    switch (contents) {
        case kContentsSummary:
            columns = {StatColumn{QString(), 120}, heading(LanguageKey{"StatDlg", "NOFR"}, 110),
                       heading(LanguageKey{"Strings", "DIST"}, 100),
                       heading(LanguageKey{"Strings", "TOTM"}, 100),
                       heading(LanguageKey{"Strings", "AVGS"}, 100)};
            if (ChosenYear()) {
                columns.push_back(ascent);
            }
            // A month's days are named with their weekdays.
            if (ChosenMonth() > 0) {
                columns.front().width = std::max(columns.front().width, dayWidth);
            }
            // The summary has no dates and no chart.
            m_start->setEnabled(false);
            m_end->setEnabled(false);
            m_style->setEnabled(false);
            break;
        case kContentsYearByYear:
            columns = {
                heading(LanguageKey{"StatDlg", "YRLB"}, 90),  heading(LanguageKey{"StatDlg", "NOFR"}, 80),
                heading(LanguageKey{"Strings", "DIST"}, 110), heading(LanguageKey{"Strings", "TOTM"}, 100),
                heading(LanguageKey{"Strings", "AVGS"}, 110), ascent};
            m_style->setEnabled(false);
            break;
        case kContentsDistanceByRide:
        case kContentsDistanceByWeek:
        case kContentsDistanceByMonth:
            columns = {date, heading(LanguageKey{"Strings", "DIST"}, 100)};
            break;
        case kContentsTimeByDay:
        case kContentsTimeByWeek:
        case kContentsTimeByMonth:
            columns = {date, heading(LanguageKey{"Strings", "TIMS"}, 100)};
            break;
        case kContentsSpeedByDay:
        case kContentsSpeedByWeek:
        case kContentsSpeedByMonth:
            columns = {date, heading(LanguageKey{"Strings", "AVGS"}, 100)};
            break;
        case kContentsRidesByWeek:
        case kContentsRidesByMonth:
            columns = {date, heading(LanguageKey{"StatDlg", "NOFR"}, 150)};
            break;
        case kContentsAscentByDay:
        case kContentsAscentByWeek:
        case kContentsAscentByMonth:
            columns = {date, ascent};
            break;
        default:
            break;  // nothing chosen: no columns
    }
    m_model->SetColumns(std::move(columns));
    m_model->ApplyColumnWidths(m_list->horizontalHeader());
}

void StatDlg::RefreshStatistics() {
    if (m_refreshing) {
        return;
    }
    const ScopedFlag refreshing(m_refreshing);

    const int contents = m_contents->currentIndex();
    // The summary is a table only; a series comes back in the style last chosen for one.
    {
        const QSignalBlocker quiet(m_style);
        m_style->setCurrentIndex(IsTable(contents) ? kStyleList : m_seriesStyle);
    }
    const bool chart = m_style->currentIndex() != kStyleList;
    m_list->setVisible(!chart);
    m_chart->setVisible(chart);

    SetUpColumns(contents);
    FollowPeriod(contents);
    m_model->ClearRows();

    DB_ReleaseRideRecordList(&m_rides);
    const std::string condition =
        BuildRideCondition(FilteredBicycle(m_bicycles), contents, PickerTime(m_start), PickerTime(m_end));
    m_series.reset();
    if (DB_GetRideRecords(condition.c_str(), &m_rides) != store::kOk) {
        m_chart->ClearSeries();
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }

    RideAscents ascents;
    if (NeedsAscents(contents, ChosenYear().has_value())) {
        std::vector<RideDetail> details;
        if (DB_GetRideDetails(&details) != store::kOk) {
            m_chart->ClearSeries();
            ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
            return;
        }
        ascents = AscentsOf(details);
    }

    if (IsTable(contents)) {
        // These take every ride of the bicycle: the years to choose from too.
        FillYears();
    }
    if (contents == kContentsSummary && ChosenYear()) {
        StatusLine().SetText(QString());
        m_model->SetRows(BuildPeriodStatistics(m_rides, ascents, *ChosenYear(), ChosenMonth()), {0});
    } else if (contents == kContentsSummary) {
        StatusLine().SetText(QString());
        m_model->SetRows(BuildPeriodSummary(m_rides), kSummaryTotalsRows);
    } else if (contents == kContentsYearByYear) {
        StatRows rows = BuildYearOverview(m_rides, ascents);
        const int allRides = static_cast<int>(rows.size()) - 1;
        m_model->SetRows(std::move(rows), {allRides});
    } else if (const std::optional<SeriesKind> kind = SeriesKindOf(contents)) {
        // The list and the chart show the same rows; the chart style keeps
        // them for its hover tips.
        m_series = BuildSeries(m_rides, *kind, PickerTime(m_start), PickerTime(m_end),
                               FirstWeekdayOf(GetWeekStart()), CurrentTime(), &ascents);
        m_model->SetRows(FormatSeries(*m_series));
    }
    if (m_chart->isVisibleTo(this)) {
        DrawChart(contents);
    }
}

QString StatDlg::Description(int contents) const {
    QString text = m_contents->itemText(contents) + QStringLiteral(" \u2014 ") + m_bicycles->currentText();
    if (!IsTable(contents)) {
        text += QStringLiteral(", ") + FormatDate(PickerTime(m_start)) + QStringLiteral(" - ") +
                FormatDate(PickerTime(m_end));
    }
    return text;
}

QString StatDlg::ChartTitle(int contents) const {
    QString title = m_contents->itemText(contents) + QStringLiteral(" \u2014 ") + m_bicycles->currentText();
    // The period chosen, as the list names it.
    if (const std::optional<int> year = ChosenYear()) {
        title +=
            QStringLiteral(", ") + (ChosenMonth() > 0 ? QString::asprintf("%04d/%02d", *year, ChosenMonth())
                                                      : QString::asprintf("%04d", *year));
    }
    return title;
}

void StatDlg::DrawChart(int contents) {
    if (!m_series) {
        m_chart->ClearSeries();
        return;
    }
    // The value axis names the value and its unit, as "Distance (km)".
    const QString heading = m_model->Headings().value(1);
    const QString axisTitle =
        m_series->kind.measure == SeriesMeasure::Rides
            ? heading
            : heading + QStringLiteral(" (") + SeriesUnitWord(m_series->kind.measure) + u')';
    m_chart->ShowSeries(
        *m_series,
        m_style->currentIndex() == kStyleBars ? StatChartView::Style::Bars : StatChartView::Style::Line,
        m_model->Rows(), ChartTitle(contents), axisTitle);
}

void StatDlg::ExportStatisticsText() {
    if (m_series && m_style->currentIndex() != kStyleList) {
        SaveChart();
        return;
    }
    // A series can go to a spreadsheet too; the summary is a text table only.
    const bool offerCsv = m_series.has_value();
    QString fileName;
    int format = kTextReport;
    if (!ImportExportDlg::Ask(this, offerCsv, false, &fileName, &format)) {
        return;
    }
    if (format == kCsvReport && m_series) {
        const QStringList headings = m_model->Headings();
        const ReportText report = BuildSeriesCsvReport(*m_series, headings.value(0), headings.value(1),
                                                       Description(m_contents->currentIndex()));
        ShowReportResult(this, WriteReport(fileName, report), fileName);
    } else if (format == kTextReport) {
        const ReportText report = BuildStatisticsReport(m_model->Headings(), m_model->Rows());
        ShowReportResult(this, WriteReport(fileName, report), fileName);
    }
}

void StatDlg::SaveChart() {
    const QString filter =
        GetLanguageString("StatDlg", "PNGM") + QStringLiteral(";;") + GetLanguageString("StatDlg", "SVGM");
    QString path =
        AppDialogs().GetSaveFileName(this, GetLanguageString("StatDlg", "SVCH"), QString(), filter);
    if (path.isEmpty()) {
        return;
    }
    // The name's ending picks the format; a picture is the default.
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool drawing = suffix == u"svg";
    if (!drawing && suffix != u"png") {
        path += QStringLiteral(".png");
    }
    const QByteArray bytes = drawing ? m_chart->SvgBytes() : m_chart->PngBytes();
    if (bytes.isEmpty()) {
        ShowError(this, GetLanguageString("StatDlg", "CHSF"));
        return;
    }
    if (!WriteFileReplacing(path, bytes)) {
        ShowFileFailure(this, GetLanguageString("StatDlg", "CHSF"));
        return;
    }
    ShowInformation(this, GetLanguageString("StatDlg", "CHSV"));
}
