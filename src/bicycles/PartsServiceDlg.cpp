#include "bicycles/PartsServiceDlg.h"

#include "bicycles/ServiceReport.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/ModalRun.h"
#include "units/Clock.h"
#include "units/DayRange.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kPartKinds = 12;

QString Text(const LanguageKey& key) {
    return GetLanguageString(key);
}

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr LanguageKey kKindNames[] = {
    {"PartsService", "K00"}, {"PartsService", "K01"}, {"PartsService", "K02"}, {"PartsService", "K03"},
    {"PartsService", "K04"}, {"PartsService", "K05"}, {"PartsService", "K06"}, {"PartsService", "K07"},
    {"PartsService", "K08"}, {"PartsService", "K09"}, {"PartsService", "K10"}, {"PartsService", "K11"},
};
constexpr int kPartKindCount = static_cast<int>(std::size(kKindNames));
static_assert(kPartKindCount == kPartKinds);

constexpr LanguageKey kStarterTasks[] = {
    {"PartsService", "S01"}, {"PartsService", "S02"}, {"PartsService", "S03"}, {"PartsService", "S04"},
    {"PartsService", "S05"}, {"PartsService", "S06"}, {"PartsService", "S07"}, {"PartsService", "S08"},
    {"PartsService", "S09"}, {"PartsService", "S10"},
};

QString Figure(double value, int decimals = 0) {
    return QString::number(value, 'f', decimals);
}

QString DistanceText(double km) {
    return Figure(FromKilometres(km), 0) + QLatin1Char(' ') + GetDistanceUnitWord();
}

QString HoursText(int64_t seconds) {
    return FormatRidingTime(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                            static_cast<int>(seconds % 60));
}

QDate DateOf(int64_t day) {
    const LocalDateTime local = ToLocalDateTime(day);
    return QDate(local.year, local.month, local.day);
}

int32_t DayOf(const QDate& date) {
    return static_cast<int32_t>(LocalDayStart(date.year(), date.month(), date.day()));
}

QDateEdit* DateField(int64_t day, QWidget* parent) {
    auto* field = new QDateEdit(DateOf(day), parent);
    field->setCalendarPopup(true);
    field->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    return field;
}

QColor StateColour(TaskState state) {
    switch (state) {
        case TaskState::Ok:
            return QColor(0x2e, 0x8b, 0x57);
        case TaskState::DueSoon:
            return QColor(0xd9, 0x8c, 0x00);
        case TaskState::Due:
            return QColor(0xd0, 0x40, 0x20);
        case TaskState::Overdue:
            return QColor(0xb0, 0x10, 0x10);
    }
    return {};
}

// A small form in a dialog with OK and Cancel; true when OK was pressed.
class FormDlg : public QDialog {
public:
    FormDlg(const QString& title, QWidget* parent) : QDialog(parent), m_form(new QFormLayout) {
        setWindowTitle(title);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(m_form);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->setObjectName(QStringLiteral("buttons"));
        buttons->button(QDialogButtonBox::Ok)->setText(GetLanguageString("Strings", "OKAY"));
        buttons->button(QDialogButtonBox::Cancel)->setText(GetLanguageString("Strings", "CANC"));
        connect(buttons, &QDialogButtonBox::accepted, this, &FormDlg::Check);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
    QFormLayout* Form() const { return m_form; }
    std::function<QString()> validate;

private:
    void Check() {
        const QString problem = validate ? validate() : QString();
        if (!problem.isEmpty()) {
            ShowError(this, problem);
            return;
        }
        accept();
    }
    QFormLayout* m_form;
};

QDoubleSpinBox* FigureField(double value, double maximum, int decimals, QWidget* parent) {
    auto* field = new QDoubleSpinBox(parent);
    field->setRange(0.0, maximum);
    field->setDecimals(decimals);
    field->setValue(value);
    return field;
}

// Asks for a part's fields; day is asked only when given.
bool EditPart(QWidget* parent, const QString& title, Part* part, int32_t* day) {
    GuardedModal dialog(new FormDlg(title, parent));
    auto* name = new QLineEdit(Utf8(part->Name), &*dialog);
    name->setObjectName(QStringLiteral("partName"));
    auto* kind = new QComboBox(&*dialog);
    for (int i = 0; i < kPartKinds; ++i) {
        kind->addItem(PartKindName(i));
    }
    kind->setCurrentIndex(std::clamp(part->Kind, 0, kPartKinds - 1));
    QDateEdit* date = day ? DateField(*day, &*dialog) : nullptr;
    auto* distance = FigureField(FromKilometres(part->PriorDistance), 1e7, 0, &*dialog);
    auto* hours = FigureField(static_cast<double>(part->PriorSeconds) / 3600.0, 1e6, 1, &*dialog);
    auto* cost = FigureField(part->Cost, 1e9, 2, &*dialog);
    auto* note = new QLineEdit(Utf8(part->Note), &*dialog);
    QFormLayout* form = dialog->Form();
    form->addRow(GetLanguageStringWithColon("PartsService", "PNAM"), name);
    form->addRow(GetLanguageStringWithColon("PartsService", "KIND"), kind);
    if (date) {
        form->addRow(GetLanguageStringWithColon("PartsService", "FITD"), date);
    }
    form->addRow(Text(LanguageKey{"PartsService", "PRID"}) + QStringLiteral(" (") + GetDistanceUnitWord() +
                     QStringLiteral("):"),
                 distance);
    form->addRow(GetLanguageStringWithColon("PartsService", "PRIT"), hours);
    form->addRow(GetLanguageStringWithColon("PartsService", "COST"), cost);
    form->addRow(GetLanguageStringWithColon("PartsService", "NOTE"), note);
    // A kind chosen for an unnamed part names it.
    QObject::connect(kind, &QComboBox::currentIndexChanged, name, [name, kind] {
        if (name->text().trimmed().isEmpty()) {
            name->setText(kind->currentText());
        }
    });
    dialog->validate = [name] {
        return name->text().trimmed().isEmpty() ? Text(LanguageKey{"PartsService", "NAMQ"}) : QString();
    };
    dialog->resize(380, dialog->sizeHint().height());
    if (dialog.Run(QDialog::Rejected) != QDialog::Accepted) {
        return false;
    }
    part->Name = name->text().trimmed().toStdString();
    part->Kind = kind->currentIndex();
    part->PriorDistance = ToKilometres(distance->value());
    part->PriorSeconds = std::llround(hours->value() * 3600.0);
    part->Cost = cost->value();
    part->Note = note->text().toStdString();
    if (day) {
        *day = DayOf(date->date());
    }
    return true;
}

MaintenanceRecord EntryFor(int bicycleNumber, const QString& firstLine) {
    MaintenanceRecord entry;
    entry.Date = static_cast<int32_t>(CurrentTime());
    entry.BicycleNumber = bicycleNumber;
    entry.Memo = ToTextBlock(firstLine);
    return entry;
}

}  // namespace

QString PartKindName(int kind) {
    return Text(kKindNames[std::clamp(kind, 0, kPartKinds - 1)]);
}

int64_t Today() {
    const LocalDateTime now = ToLocalDateTime(CurrentTime());
    return LocalDayStart(now.year, now.month, now.day);
}

QString ServiceLine(const ServiceCounts& counts) {
    QStringList parts;
    if (counts.due > 0) {
        parts << SafeFormat(Text(LanguageKey{"PartsService", "CDUE"}), {counts.due});
    }
    if (counts.soon > 0) {
        parts << SafeFormat(Text(LanguageKey{"PartsService", "CSOO"}), {counts.soon});
    }
    return parts.join(QStringLiteral(", "));
}

QString IntervalText(const ServiceTask& task) {
    QStringList figures;
    if (task.IntervalDistance > 0) {
        figures << DistanceText(task.IntervalDistance);
    }
    if (task.IntervalHours > 0) {
        figures << Figure(task.IntervalHours, task.IntervalHours == std::floor(task.IntervalHours) ? 0 : 1) +
                       QLatin1Char(' ') + Text(LanguageKey{"PartsService", "HOUR"});
    }
    if (task.IntervalDays > 0) {
        figures << QString::number(task.IntervalDays) + QLatin1Char(' ') +
                       Text(LanguageKey{"PartsService", "DAYU"});
    }
    const QString format = (task.Kind == TaskKind::At ? Text(LanguageKey{"PartsService", "ATWD"})
                                                      : Text(LanguageKey{"PartsService", "EVWD"}));
    return SafeFormat(format, {figures.join(QStringLiteral(", "))});
}

QString StateText(TaskState state) {
    switch (state) {
        case TaskState::Ok:
            return Text(LanguageKey{"PartsService", "SOK"});
        case TaskState::DueSoon:
            return Text(LanguageKey{"PartsService", "SSOO"});
        case TaskState::Due:
            return Text(LanguageKey{"PartsService", "SDUE"});
        case TaskState::Overdue:
            return Text(LanguageKey{"PartsService", "SOVR"});
    }
    return {};
}

QString LeftText(const TaskStatus& status) {
    if (!status.hasInterval) {
        return {};
    }
    const double left = std::abs(status.left);
    QString amount;
    switch (status.measure) {
        case Measure::Distance:
            amount = DistanceText(left);
            break;
        case Measure::Hours:
            amount = Figure(left, 1) + QLatin1Char(' ') + Text(LanguageKey{"PartsService", "HOUR"});
            break;
        case Measure::Days:
            amount = Figure(left, 0) + QLatin1Char(' ') + Text(LanguageKey{"PartsService", "DAYU"});
            break;
    }
    const QString format = (status.left >= 0 ? Text(LanguageKey{"PartsService", "LEFT"})
                                             : Text(LanguageKey{"PartsService", "OVER"}));
    return SafeFormat(format, {amount});
}

std::vector<StarterTask> StarterTasks() {
    // Each entry: name;every or at;km;mi;hours;days, the figures round in both units.
    std::vector<StarterTask> tasks;
    const bool miles = GetDistanceUnit() != 0;
    for (const LanguageKey& key : kStarterTasks) {
        const QString entry = Text(key);
        const QStringList fields = entry.split(QLatin1Char(';'));
        if (fields.size() != 6 || fields[0].trimmed().isEmpty()) {
            continue;
        }
        StarterTask task;
        task.name = fields[0].trimmed();
        task.kind = fields[1].trimmed() == QLatin1String("at") ? TaskKind::At : TaskKind::Every;
        task.distance = ToKilometres(fields[miles ? 3 : 2].toDouble());
        task.hours = fields[4].toDouble();
        task.days = fields[5].toInt();
        tasks.push_back(task);
    }
    return tasks;
}

PartsServiceDlg::PartsServiceDlg(int bicycleNumber, const QString& bicycleName, BicycleList bicycles,
                                 MaintenanceEntryEditor editEntry, QWidget* parent)
    : QDialog(parent),
      m_bicycleNumber(bicycleNumber),
      m_bicycles(std::move(bicycles)),
      m_editEntry(std::move(editEntry)),
      m_parts(new QTreeWidget(this)),
      m_tasks(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("PartsServiceDlg"));
    setWindowTitle(Text(LanguageKey{"PartsService", "TITL"}) + QStringLiteral(" - ") + bicycleName);
    auto* layout = new QVBoxLayout(this);
    const auto addButtons =
        [this, layout](std::initializer_list<std::pair<LanguageKey, void (PartsServiceDlg::*)()>> list) {
            auto* row = new QHBoxLayout;
            for (const auto& [key, slot] : list) {
                auto* button = new QPushButton(Text(key), this);
                button->setObjectName(QString::fromLatin1(key.key));
                button->setAutoDefault(false);
                connect(button, &QPushButton::clicked, this, slot);
                row->addWidget(button);
            }
            row->addStretch();
            layout->addLayout(row);
        };
    auto* heading = new QLabel(bicycleName, this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    heading->setFont(headingFont);
    layout->addWidget(heading);
    auto* partsTitle = new QLabel(
        QStringLiteral("<b>%1</b>").arg(Text(LanguageKey{"PartsService", "PART"}).toHtmlEscaped()), this);
    layout->addWidget(partsTitle);
    m_parts->setObjectName(QStringLiteral("parts"));
    m_parts->setRootIsDecorated(false);
    m_parts->setHeaderLabels(
        {Text(LanguageKey{"PartsService", "PNAM"}), Text(LanguageKey{"PartsService", "KIND"}),
         Text(LanguageKey{"PartsService", "FITD"}), Text(LanguageKey{"PartsService", "DIST"}),
         Text(LanguageKey{"PartsService", "TIME"}), Text(LanguageKey{"PartsService", "DAYS"}),
         Text(LanguageKey{"PartsService", "COST"})});
    layout->addWidget(m_parts, 1);
    addButtons({{LanguageKey{"PartsService", "ADDP"}, &PartsServiceDlg::OnAddPart},
                {LanguageKey{"PartsService", "EDTP"}, &PartsServiceDlg::OnEditPart},
                {LanguageKey{"PartsService", "EDDT"}, &PartsServiceDlg::OnEditDates},
                {LanguageKey{"PartsService", "REPP"}, &PartsServiceDlg::OnReplacePart},
                {LanguageKey{"PartsService", "MOVP"}, &PartsServiceDlg::OnMovePart},
                {LanguageKey{"PartsService", "DELP"}, &PartsServiceDlg::OnDeletePart}});
    auto* tasksTitle = new QLabel(
        QStringLiteral("<b>%1</b>").arg(Text(LanguageKey{"PartsService", "TASK"}).toHtmlEscaped()), this);
    layout->addWidget(tasksTitle);
    m_tasks->setObjectName(QStringLiteral("tasks"));
    m_tasks->setRootIsDecorated(false);
    m_tasks->setHeaderLabels(
        {Text(LanguageKey{"PartsService", "TNAM"}), Text(LanguageKey{"PartsService", "IVAL"}),
         Text(LanguageKey{"PartsService", "LAST"}), Text(LanguageKey{"PartsService", "PROG"}),
         Text(LanguageKey{"PartsService", "STAT"})});
    layout->addWidget(m_tasks, 1);
    addButtons({{LanguageKey{"PartsService", "ADDT"}, &PartsServiceDlg::OnAddTask},
                {LanguageKey{"PartsService", "DONE"}, &PartsServiceDlg::OnDone},
                {LanguageKey{"PartsService", "EDTT"}, &PartsServiceDlg::OnEditTask},
                {LanguageKey{"PartsService", "DELT"}, &PartsServiceDlg::OnDeleteTask}});
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setText(GetLanguageString("Strings", "CLOS"));
    auto* report = close->addButton(GetLanguageString("PartsService", "REPT"), QDialogButtonBox::ActionRole);
    report->setObjectName(QStringLiteral("report"));
    report->setAutoDefault(false);
    connect(report, &QPushButton::clicked, this, &PartsServiceDlg::OnReport);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(close);
    connect(m_tasks, &QTreeWidget::itemDoubleClicked, this, &PartsServiceDlg::OnEditTask);
    connect(m_parts, &QTreeWidget::itemDoubleClicked, this, &PartsServiceDlg::OnEditPart);
    resize(760, 560);
    Reload();
}

void PartsServiceDlg::Reload() {
    const int selectedPart = SelectedPart();
    m_parts->clear();
    m_tasks->clear();
    if (LoadServiceData(&m_data) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    const int64_t today = Today();
    for (const Part* part : PartsOfBicycle(m_data, m_bicycleNumber)) {
        const Usage usage = PartUsage(m_data, *part);
        const std::vector<PartStretch> stretches = StretchesOf(m_data, part->PartNumber);
        const PartStretch& last = stretches.back();
        QString fitted = FormatDate(last.Fitted);
        if (last.Removed) {
            fitted += QStringLiteral(" - ") + FormatDate(*last.Removed);
        }
        const int days = DaysBetween(stretches.front().Fitted, last.Removed ? *last.Removed : today);
        auto* item = new QTreeWidgetItem(
            m_parts, {Utf8(part->Name), PartKindName(part->Kind), fitted, DistanceText(usage.distance),
                      HoursText(usage.seconds), QString::number(days), FormatMoney(part->Cost)});
        item->setData(0, Qt::UserRole, part->PartNumber);
        item->setToolTip(0, Utf8(part->Note));
        if (last.Removed) {
            for (int c = 0; c < item->columnCount(); ++c) {
                item->setForeground(c, palette().color(QPalette::Disabled, QPalette::Text));
            }
        }
        if (part->PartNumber == selectedPart) {
            m_parts->setCurrentItem(item);
        }
    }
    for (const ServiceTask& task : m_data.tasks) {
        if (task.BicycleNumber != m_bicycleNumber) {
            continue;
        }
        const TaskStatus status = WorkOutTask(m_data, task, today);
        const QString last = task.Kind == TaskKind::At ? QString() : FormatDate(status.lastDone);
        auto* item = new QTreeWidgetItem(
            m_tasks, {Utf8(task.Name), IntervalText(task), last, QString(),
                      StateText(status.state) + QStringLiteral(" - ") + LeftText(status)});
        item->setData(0, Qt::UserRole, task.TaskNumber);
        item->setForeground(4, StateColour(status.state));
        auto* bar = new QProgressBar(m_tasks);
        bar->setRange(0, 100);
        bar->setValue(static_cast<int>(std::clamp(status.share, 0.0, 1.0) * 100.0));
        bar->setFormat(QStringLiteral("%1 %").arg(std::lround(status.share * 100.0)));
        bar->setStyleSheet(
            QStringLiteral("QProgressBar{border:1px solid #aaa;border-radius:3px;text-align:center;"
                           "max-height:14px}QProgressBar::chunk{background:%1}")
                .arg(StateColour(status.state).name()));
        m_tasks->setItemWidget(item, 3, bar);
    }
    for (QTreeWidget* list : {m_parts, m_tasks}) {
        for (int c = 0; c < list->columnCount(); ++c) {
            list->resizeColumnToContents(c);
        }
    }
    m_tasks->setColumnWidth(3, 130);
}

int PartsServiceDlg::SelectedPart() const {
    const QTreeWidgetItem* item = m_parts->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

const ServiceTask* PartsServiceDlg::SelectedTask() const {
    const QTreeWidgetItem* item = m_tasks->currentItem();
    if (!item) {
        return nullptr;
    }
    const int number = item->data(0, Qt::UserRole).toInt();
    for (const ServiceTask& task : m_data.tasks) {
        if (task.TaskNumber == number) {
            return &task;
        }
    }
    return nullptr;
}

void PartsServiceDlg::OnAddPart() {
    Part part;
    int32_t day = static_cast<int32_t>(Today());
    if (!EditPart(this, Text(LanguageKey{"PartsService", "ADDP"}), &part, &day)) {
        return;
    }
    if (DB_InsertPart(&part, m_bicycleNumber, day) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
    }
    Reload();
}

void PartsServiceDlg::OnEditPart() {
    const int number = SelectedPart();
    for (const Part& stored : m_data.parts) {
        if (stored.PartNumber != number) {
            continue;
        }
        Part part = stored;
        if (EditPart(this, Text(LanguageKey{"PartsService", "EDTP"}), &part, nullptr) &&
            DB_UpdatePart(&part) != store::kOk) {
            ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
        }
        Reload();
        return;
    }
}

void PartsServiceDlg::OnMovePart() {
    const int number = SelectedPart();
    if (number == 0 || FittedBicycle(m_data, number) == 0) {
        return;
    }
    GuardedModal dialog(new FormDlg(Text(LanguageKey{"PartsService", "MOVP"}), this));
    auto* target = new QComboBox(&*dialog);
    target->setObjectName(QStringLiteral("target"));
    target->addItem(Text(LanguageKey{"PartsService", "NONE"}), 0);
    for (const BicycleAttribute& bicycle : m_bicycles) {
        if (bicycle.BicycleNumber != m_bicycleNumber) {
            target->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
        }
    }
    target->setCurrentIndex(target->count() > 1 ? 1 : 0);
    QDateEdit* date = DateField(Today(), &*dialog);
    dialog->Form()->addRow(GetLanguageStringWithColon("PartsService", "TOBI"), target);
    dialog->Form()->addRow(GetLanguageStringWithColon("PartsService", "ONDY"), date);
    if (dialog.Run(QDialog::Rejected) != QDialog::Accepted) {
        return;
    }
    if (DB_MovePart(number, target->currentData().toInt(), DayOf(date->date())) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
    }
    Reload();
}

namespace {

QString StretchDatesProblem(StretchDatesFault fault) {
    switch (fault) {
        case StretchDatesFault::None:
            break;
        case StretchDatesFault::RemovedBeforeFitted:
            return Text(LanguageKey{"PartsService", "SDRB"});
        case StretchDatesFault::Overlap:
            return Text(LanguageKey{"PartsService", "SDOV"});
        case StretchDatesFault::Changed:
            return Text(LanguageKey{"PartsService", "SDCH"});
    }
    return {};
}

}  // namespace

void PartsServiceDlg::OnEditDates() {
    const int number = SelectedPart();
    const std::vector<PartStretch> stored = StretchesOf(m_data, number);
    if (number == 0 || stored.empty()) {
        return;
    }
    GuardedModal dialog(new FormDlg(Text(LanguageKey{"PartsService", "DTTL"}), this));
    auto* hint = new QLabel(Text(LanguageKey{"PartsService", "DTHI"}), &*dialog);
    hint->setWordWrap(true);
    dialog->Form()->addRow(hint);
    // One row a stretch: its bicycle, then its fitting and removal day.
    std::vector<std::pair<QDateEdit*, QDateEdit*>> fields;
    for (const PartStretch& stretch : stored) {
        QString bicycleName = QStringLiteral("?");
        for (const BicycleAttribute& bicycle : m_bicycles) {
            if (bicycle.BicycleNumber == stretch.BicycleNumber) {
                bicycleName = FromTextBlock(bicycle.BicycleName);
            }
        }
        auto* row = new QHBoxLayout;
        QDateEdit* fitted = DateField(stretch.Fitted, &*dialog);
        fitted->setObjectName(QStringLiteral("fitted%1").arg(fields.size()));
        row->addWidget(fitted);
        row->addWidget(new QLabel(QStringLiteral("\u2013"), &*dialog));
        QDateEdit* removed = nullptr;
        if (stretch.Removed) {
            removed = DateField(*stretch.Removed, &*dialog);
            removed->setObjectName(QStringLiteral("removed%1").arg(fields.size()));
            row->addWidget(removed);
        } else {
            row->addWidget(new QLabel(Text(LanguageKey{"PartsService", "STIL"}), &*dialog));
        }
        row->addStretch();
        dialog->Form()->addRow(bicycleName + QLatin1Char(':'), row);
        fields.emplace_back(fitted, removed);
    }
    const auto edited = [&stored, &fields] {
        std::vector<PartStretch> stretches = stored;
        for (size_t i = 0; i < stretches.size(); ++i) {
            stretches[i].Fitted = DayOf(fields[i].first->date());
            if (fields[i].second) {
                stretches[i].Removed = DayOf(fields[i].second->date());
            }
        }
        return stretches;
    };
    dialog->validate = [&] {
        return StretchDatesProblem(CheckStretchDates(stored, edited(), m_data.frozen));
    };
    dialog->resize(440, dialog->sizeHint().height());
    if (dialog.Run(QDialog::Rejected) != QDialog::Accepted) {
        return;
    }
    StretchDatesFault fault = StretchDatesFault::None;
    if (DB_SetStretchDates(number, edited(), &fault) != store::kOk) {
        if (fault != StretchDatesFault::None) {
            ShowError(this, StretchDatesProblem(fault));
        } else {
            ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
        }
    }
    Reload();
}

void PartsServiceDlg::OnReplacePart() {
    const int number = SelectedPart();
    if (number == 0 || FittedBicycle(m_data, number) != m_bicycleNumber) {
        return;
    }
    Part replacement;
    for (const Part& old : m_data.parts) {
        if (old.PartNumber == number) {
            replacement.Name = old.Name;
            replacement.Kind = old.Kind;
        }
    }
    if (!EditPart(this, Text(LanguageKey{"PartsService", "REPP"}), &replacement, nullptr) || !m_editEntry) {
        return;
    }
    const MaintenanceRecord entry = EntryFor(
        m_bicycleNumber, SafeFormat(Text(LanguageKey{"PartsService", "REPM"}), {Utf8(replacement.Name)}));
    // The entry's date is the day of the swap; the editor may move it to the past.
    m_editEntry(this, entry, [number, replacement](const MaintenanceRecord& edited) {
        const LocalDateTime local = ToLocalDateTime(edited.Date);
        Part part = replacement;
        return DB_ReplacePart(number, &part,
                              static_cast<int32_t>(LocalDayStart(local.year, local.month, local.day)),
                              &edited) == store::kOk;
    });
    Reload();
}

void PartsServiceDlg::OnDeletePart() {
    const int number = SelectedPart();
    if (number == 0 || !AskYesNo(this, Text(LanguageKey{"PartsService", "DELQ"}))) {
        return;
    }
    if (DB_DeletePart(number) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "DFDB"));
    }
    Reload();
}

bool PartsServiceDlg::EditTask(ServiceTask* task) {
    GuardedModal dialog(new FormDlg(task->TaskNumber ? Text(LanguageKey{"PartsService", "EDTT"})
                                                     : Text(LanguageKey{"PartsService", "ADDT"}),
                                    this));
    auto* starter = new QComboBox(&*dialog);
    starter->setObjectName(QStringLiteral("starter"));
    starter->addItem(Text(LanguageKey{"PartsService", "CUST"}));
    const std::vector<StarterTask> starters = StarterTasks();
    for (const StarterTask& s : starters) {
        ServiceTask shown;
        shown.Kind = s.kind;
        shown.IntervalDistance = s.distance;
        shown.IntervalHours = s.hours;
        shown.IntervalDays = s.days;
        starter->addItem(s.name + QStringLiteral(" (") + IntervalText(shown) + QLatin1Char(')'));
    }
    auto* name = new QLineEdit(Utf8(task->Name), &*dialog);
    name->setObjectName(QStringLiteral("taskName"));
    auto* kind = new QComboBox(&*dialog);
    kind->addItem(Text(LanguageKey{"PartsService", "TKEV"}));
    kind->addItem(Text(LanguageKey{"PartsService", "TKAT"}));
    kind->setCurrentIndex(task->Kind == TaskKind::At ? 1 : 0);
    auto* part = new QComboBox(&*dialog);
    part->addItem(Text(LanguageKey{"PartsService", "WHOL"}), 0);
    for (const Part* p : PartsOfBicycle(m_data, m_bicycleNumber)) {
        if (FittedBicycle(m_data, p->PartNumber) == m_bicycleNumber) {
            part->addItem(Utf8(p->Name), p->PartNumber);
        }
    }
    part->setCurrentIndex(std::max(0, part->findData(task->PartNumber)));
    auto* distance = FigureField(FromKilometres(task->IntervalDistance), 1e7, 0, &*dialog);
    auto* hours = FigureField(task->IntervalHours, 1e5, 1, &*dialog);
    auto* days = new QSpinBox(&*dialog);
    days->setRange(0, 36500);
    days->setValue(task->IntervalDays);
    QDateEdit* last = DateField(task->LastDone ? task->LastDone : Today(), &*dialog);
    auto* soon = new QSpinBox(&*dialog);
    soon->setRange(5, 100);
    soon->setSuffix(QStringLiteral(" %"));
    soon->setValue(static_cast<int>(std::lround(task->DueSoonShare * 100.0)));
    QFormLayout* form = dialog->Form();
    if (task->TaskNumber == 0) {
        form->addRow(GetLanguageStringWithColon("PartsService", "STRT"), starter);
    }
    form->addRow(GetLanguageStringWithColon("PartsService", "TNAM"), name);
    form->addRow(GetLanguageStringWithColon("PartsService", "KIND"), kind);
    form->addRow(GetLanguageStringWithColon("PartsService", "TPRT"), part);
    form->addRow(Text(LanguageKey{"PartsService", "DIST"}) + QStringLiteral(" (") + GetDistanceUnitWord() +
                     QStringLiteral("):"),
                 distance);
    form->addRow(GetLanguageStringWithColon("PartsService", "IVHO"), hours);
    form->addRow(GetLanguageStringWithColon("PartsService", "IVDA"), days);
    form->addRow(GetLanguageStringWithColon("PartsService", "LAST"), last);
    form->addRow(GetLanguageStringWithColon("PartsService", "SOON"), soon);
    connect(starter, &QComboBox::currentIndexChanged, &*dialog, [&](int index) {
        if (index < 1 || index > static_cast<int>(starters.size())) {
            return;
        }
        const StarterTask& s = starters[static_cast<size_t>(index - 1)];
        name->setText(s.name);
        kind->setCurrentIndex(s.kind == TaskKind::At ? 1 : 0);
        distance->setValue(std::round(FromKilometres(s.distance)));
        hours->setValue(s.hours);
        days->setValue(s.days);
    });
    dialog->validate = [&] {
        if (name->text().trimmed().isEmpty()) {
            return Text(LanguageKey{"PartsService", "NAMQ"});
        }
        if (distance->value() <= 0 && hours->value() <= 0 && days->value() <= 0) {
            return Text(LanguageKey{"PartsService", "INTQ"});
        }
        return QString();
    };
    dialog->resize(420, dialog->sizeHint().height());
    if (dialog.Run(QDialog::Rejected) != QDialog::Accepted) {
        return false;
    }
    task->BicycleNumber = m_bicycleNumber;
    task->Name = name->text().trimmed().toStdString();
    task->Kind = kind->currentIndex() == 1 ? TaskKind::At : TaskKind::Every;
    task->PartNumber = part->currentData().toInt();
    task->IntervalDistance = ToKilometres(distance->value());
    task->IntervalHours = hours->value();
    task->IntervalDays = days->value();
    task->LastDone = DayOf(last->date());
    task->DueSoonShare = soon->value() / 100.0;
    return true;
}

void PartsServiceDlg::OnAddTask() {
    ServiceTask task;
    if (EditTask(&task) && DB_InsertServiceTask(&task) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
    }
    Reload();
}

void PartsServiceDlg::OnEditTask() {
    const ServiceTask* selected = SelectedTask();
    if (!selected) {
        return;
    }
    ServiceTask task = *selected;
    if (EditTask(&task) && DB_UpdateServiceTask(&task) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "STDB"));
    }
    Reload();
}

void PartsServiceDlg::OnDeleteTask() {
    const ServiceTask* selected = SelectedTask();
    if (!selected || !AskYesNo(this, Text(LanguageKey{"PartsService", "DELT"}) + QStringLiteral("?"))) {
        return;
    }
    if (DB_DeleteServiceTask(selected->TaskNumber) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "DFDB"));
    }
    Reload();
}

void PartsServiceDlg::OnDone() {
    const ServiceTask* selected = SelectedTask();
    if (!selected || !m_editEntry) {
        return;
    }
    if (selected->Kind == TaskKind::At && selected->PartNumber > 0) {
        // A part's life is over: the work done is its replacement.
        for (int row = 0; row < m_parts->topLevelItemCount(); ++row) {
            if (m_parts->topLevelItem(row)->data(0, Qt::UserRole).toInt() == selected->PartNumber) {
                m_parts->setCurrentItem(m_parts->topLevelItem(row));
                OnReplacePart();
                return;
            }
        }
    }
    const int taskNumber = selected->TaskNumber;
    // The saved entry links back and so resets the task; its date (today, or
    // a past day the rider picks in the editor) is the day counted from.
    m_editEntry(this, EntryFor(m_bicycleNumber, Utf8(selected->Name)),
                [taskNumber](const MaintenanceRecord& entry) {
                    return DB_InsertLinkedMaintenanceRecord(&entry, taskNumber, 0) == store::kOk;
                });
    Reload();
}

void PartsServiceDlg::OnReport() {
    ExportServiceReport(this);
}

DueListDlg::DueListDlg(const ServiceData& data, const BicycleList& bicycles, QWidget* parent)
    : QDialog(parent), m_list(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("DueListDlg"));
    setWindowTitle(Text(LanguageKey{"PartsService", "DUEL"}));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("<b>%1</b>").arg(windowTitle().toHtmlEscaped()), this);
    layout->addWidget(heading);
    m_list->setObjectName(QStringLiteral("dueList"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {Text(LanguageKey{"PartsService", "BIKE"}), Text(LanguageKey{"PartsService", "TNAM"}),
         Text(LanguageKey{"PartsService", "IVAL"}), Text(LanguageKey{"PartsService", "STAT"})});
    layout->addWidget(m_list);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setText(GetLanguageString("Strings", "CLOS"));
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(close);
    const int64_t today = Today();
    std::vector<std::pair<TaskStatus, const ServiceTask*>> due;
    for (const ServiceTask& task : data.tasks) {
        const TaskStatus status = WorkOutTask(data, task, today);
        if (status.state != TaskState::Ok) {
            due.emplace_back(status, &task);
        }
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a.first.share > b.first.share; });
    for (const auto& [status, task] : due) {
        const BicycleAttribute* bicycle = nullptr;
        QString bicycleName;
        if (DB_FindBicycle(task->BicycleNumber, &bicycles, &bicycle) == store::kOk) {
            bicycleName = FromTextBlock(bicycle->BicycleName);
        }
        auto* item =
            new QTreeWidgetItem(m_list, {bicycleName, Utf8(task->Name), IntervalText(*task),
                                         StateText(status.state) + QStringLiteral(" - ") + LeftText(status)});
        item->setForeground(3, StateColour(status.state));
    }
    for (int c = 0; c < m_list->columnCount(); ++c) {
        m_list->resizeColumnToContents(c);
    }
    resize(640, 320);
}
