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
};

constexpr LanguageKey kStyleNames[] = {LanguageKey{"StatDlg", "REPT"}, LanguageKey{"StatDlg", "LINE"},
                                       LanguageKey{"StatDlg", "BARS"}};
constexpr int kStyleList = 0;
constexpr int kStyleBars = 2;

// The totals rows of the summary, shown in bold above their averages.
const std::set<int> kSummaryTotalsRows = {0, 3, 6, 10, 14};

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
    m_export->setObjectName(QStringLiteral("StatExport"));
    m_list->setObjectName(QStringLiteral("StatList"));
    m_chart->setObjectName(QStringLiteral("StatChart"));

    m_bicycleLabel->setBuddy(m_bicycles);
    m_contentsLabel->setBuddy(m_contents);
    m_styleLabel->setBuddy(m_style);
    m_startLabel->setBuddy(m_start);
    m_endLabel->setBuddy(m_end);
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
        if (m_contents->currentIndex() != kContentsSummary) {
            m_seriesStyle = style;
        }
        RefreshStatistics();
    });
    connect(m_start, &QDateTimeEdit::dateTimeChanged, this, &StatDlg::RefreshStatistics);
    connect(m_end, &QDateTimeEdit::dateTimeChanged, this, &StatDlg::RefreshStatistics);
    connect(m_export, &QPushButton::clicked, this, &StatDlg::ExportStatisticsText);

    // The same arrangement as the other list pages: the button on the left,
    // each chooser under its label beside it.
    m_bicycles->setMinimumWidth(200);
    // A whole date beside the calendar button.
    for (QDateTimeEdit* picker : {m_start, m_end}) {
        picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 44);
    }
    QHBoxLayout* top = AddPageControlRow(this);
    AddPageButton(top, m_export);
    top->addLayout(LabelledControl(m_bicycleLabel, m_bicycles));
    top->addLayout(LabelledControl(m_contentsLabel, m_contents));
    top->addLayout(LabelledControl(m_styleLabel, m_style));
    top->addLayout(LabelledControl(m_startLabel, m_start));
    top->addLayout(LabelledControl(m_endLabel, m_end));
    top->addStretch(1);

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
    m_export->setText(GetLanguageStringWithAccelerator("Strings", "EXPT", QStringLiteral("E")));
    {
        const QSignalBlocker quietContents(m_contents);
        const QSignalBlocker quietStyle(m_style);
        const QSignalBlocker quietBicycles(m_bicycles);
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
    for (QComboBox* list : {m_contents, m_style}) {
        list->setMinimumWidth(list->sizeHint().width());
    }
    FitPageButton(m_export);
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
    const QRect area = rect().adjusted(kPageMargin, kPageControlsHeight, -kPageMargin, -kPageMargin);
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

void StatDlg::SetUpColumns(int contents) {
    m_start->setEnabled(true);
    m_end->setEnabled(true);
    m_style->setEnabled(true);

    const auto heading = [](const LanguageKey& key, int width) {
        return StatColumn{GetLanguageString(key), width};
    };
    StatColumn date = heading(LanguageKey{"Strings", "DATE"}, 100);
    // A day is shown with its weekday: the column takes the longest in full.
    const std::optional<SeriesKind> kind = SeriesKindOf(contents);
    if (kind && (kind->period == SeriesPeriod::Ride || kind->period == SeriesPeriod::Day)) {
        const QFontMetrics metrics = m_list->fontMetrics();
        for (int day = 0; day < 7; ++day) {
            const int needed =
                metrics.horizontalAdvance(QStringLiteral("0000/00/00(") + GetWeekdayName(day) + u')') + 16;
            date.width = std::max(date.width, needed);
        }
    }
    std::vector<StatColumn> columns;
    switch (contents) {
        case kContentsSummary:
            columns = {StatColumn{QString(), 120}, heading(LanguageKey{"StatDlg", "NOFR"}, 110),
                       heading(LanguageKey{"Strings", "DIST"}, 100),
                       heading(LanguageKey{"Strings", "TOTM"}, 100),
                       heading(LanguageKey{"Strings", "AVGS"}, 100)};
            // The summary has no dates and no chart.
            m_start->setEnabled(false);
            m_end->setEnabled(false);
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
        m_style->setCurrentIndex(contents == kContentsSummary ? kStyleList : m_seriesStyle);
    }
    const bool chart = m_style->currentIndex() != kStyleList;
    m_list->setVisible(!chart);
    m_chart->setVisible(chart);

    SetUpColumns(contents);
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

    if (contents == kContentsSummary) {
        StatusLine().SetText(QString());
        m_model->SetRows(BuildPeriodSummary(m_rides), kSummaryTotalsRows);
    } else if (const std::optional<SeriesKind> kind = SeriesKindOf(contents)) {
        // The list and the chart show the same rows; the chart style keeps
        // them for its hover tips.
        m_series = BuildSeries(m_rides, *kind, PickerTime(m_start), PickerTime(m_end),
                               FirstWeekdayOf(GetWeekStart()), CurrentTime());
        m_model->SetRows(FormatSeries(*m_series));
    }
    if (m_chart->isVisibleTo(this)) {
        DrawChart(contents);
    }
}

QString StatDlg::Description(int contents) const {
    QString text = m_contents->itemText(contents) + QStringLiteral(" \u2014 ") + m_bicycles->currentText();
    if (contents != kContentsSummary) {
        text += QStringLiteral(", ") + FormatDate(PickerTime(m_start)) + QStringLiteral(" - ") +
                FormatDate(PickerTime(m_end));
    }
    return text;
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
        m_model->Rows(),
        m_contents->itemText(contents) + QStringLiteral(" \u2014 ") + m_bicycles->currentText(), axisTitle);
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
