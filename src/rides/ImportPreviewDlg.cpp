#include "rides/ImportPreviewDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/ModalRun.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

namespace {

enum Column { kDate, kName, kType, kDistance, kTime, kBicycle, kStatus, kColumns };

QString StartText(const std::optional<int64_t>& start) {
    if (!start) {
        return QString();
    }
    const LocalDateTime local = ToLocalDateTime(*start);
    return QString::asprintf("%04d/%02d/%02d %02d:%02d", local.year, local.month, local.day, local.hour,
                             local.minute);
}

}  // namespace

// The plan's activities as rows; the first column's box includes a row, the
// bicycle column is changed with a chooser.
class ImportPreviewModel : public QAbstractTableModel {
public:
    ImportPreviewModel(ImportPlan& plan, QObject* parent) : QAbstractTableModel(parent), m_plan(plan) {}

    void SetBicycleNames(QMap<int32_t, QString> names) { m_names = std::move(names); }
    const QMap<int32_t, QString>& BicycleNames() const { return m_names; }
    void Changed() {
        if (rowCount() > 0) {
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
        }
    }
    std::function<void()> onEdited;
    // Rows whose bicycle the rider chose in the row itself: a later change of
    // their gear's bicycle leaves them as they are.
    bool ChosenByHand(size_t row) const { return m_chosenByHand.contains(row); }
    void ForgetHandChoice(size_t row) { m_chosenByHand.erase(row); }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_plan.activities.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return {};
        }
        switch (section) {
            case kDate:
                return GetLanguageString("ArchiveImport", "CDAT");
            case kName:
                return GetLanguageString("ArchiveImport", "CNAM");
            case kType:
                return GetLanguageString("ArchiveImport", "CTYP");
            case kDistance:
                return QString(GetLanguageString("ArchiveImport", "CDST") + QStringLiteral(" (") +
                               GetDistanceUnitWord() + u')');
            case kTime:
                return GetLanguageString("ArchiveImport", "CTIM");
            case kBicycle:
                return GetLanguageString("ArchiveImport", "CBIC");
            case kStatus:
                return GetLanguageString("ArchiveImport", "CSTA");
            default:
                return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const ImportActivity& activity = m_plan.activities[static_cast<size_t>(index.row())];
        if (!Importable(activity)) {
            return flags;
        }
        if (index.column() == kDate) {
            flags |= Qt::ItemIsUserCheckable;
        }
        if (index.column() == kBicycle) {
            flags |= Qt::ItemIsEditable;
        }
        return flags;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const ImportActivity& activity = m_plan.activities[static_cast<size_t>(index.row())];
        if (role == Qt::CheckStateRole && index.column() == kDate) {
            return activity.include && Importable(activity) ? Qt::Checked : Qt::Unchecked;
        }
        if (role == Qt::ToolTipRole && index.column() == kStatus && !activity.problem.isEmpty()) {
            return activity.problem;
        }
        if (role == Qt::TextAlignmentRole && (index.column() == kDistance || index.column() == kTime)) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role == Qt::EditRole && index.column() == kBicycle) {
            return activity.bicycle;
        }
        if (role != Qt::DisplayRole) {
            return {};
        }
        switch (index.column()) {
            case kDate:
                return StartText(activity.start);
            case kName:
                return activity.name.isEmpty() ? QFileInfo(activity.entry).fileName()
                                               : activity.name.simplified();
            case kType:
                return activity.type;
            case kDistance:
                return activity.distanceKm > 0.0 ? FormatNumber(FromKilometres(activity.distanceKm))
                                                 : QString();
            case kTime: {
                const int64_t seconds = activity.movingSeconds;
                return seconds > 0 ? FormatRidingTime(static_cast<int>(seconds / 3600),
                                                      static_cast<int>(seconds / 60 % 60),
                                                      static_cast<int>(seconds % 60))
                                   : QString();
            }
            case kBicycle:
                return m_names.value(activity.bicycle);
            case kStatus:
                if (!activity.problem.isEmpty()) {
                    return GetLanguageString("ArchiveImport", "SERR");
                }
                if (activity.known) {
                    return GetLanguageString("ArchiveImport", "SKNW");
                }
                return activity.include ? GetLanguageString("ArchiveImport", "SNEW")
                                        : GetLanguageString("ArchiveImport", "SOUT");
            default:
                return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        ImportActivity& activity = m_plan.activities[static_cast<size_t>(index.row())];
        if (role == Qt::CheckStateRole && index.column() == kDate) {
            activity.include = value.toInt() == Qt::Checked;
        } else if (role == Qt::EditRole && index.column() == kBicycle) {
            activity.bicycle = value.toInt();
            m_chosenByHand.insert(static_cast<size_t>(index.row()));
        } else {
            return false;
        }
        Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), kColumns - 1));
        if (onEdited) {
            onEdited();
        }
        return true;
    }

    static bool Importable(const ImportActivity& activity) {
        return !activity.known && activity.problem.isEmpty();
    }

private:
    ImportPlan& m_plan;
    QMap<int32_t, QString> m_names;
    std::set<size_t> m_chosenByHand;
};

namespace {

// The bicycle column's chooser: every bicycle of the log and those being added.
class BicycleDelegate : public QStyledItemDelegate {
public:
    BicycleDelegate(const ImportPreviewModel& model, QObject* parent)
        : QStyledItemDelegate(parent), m_model(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* chooser = new QComboBox(parent);
        chooser->setObjectName(QStringLiteral("rowBicycle"));
        const QMap<int32_t, QString>& names = m_model.BicycleNames();
        for (auto name = names.begin(); name != names.end(); ++name) {
            chooser->addItem(name.value(), name.key());
        }
        return chooser;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* chooser = static_cast<QComboBox*>(editor);
        chooser->setCurrentIndex(chooser->findData(index.data(Qt::EditRole)));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* chooser = static_cast<QComboBox*>(editor);
        if (chooser->currentIndex() >= 0) {
            model->setData(index, chooser->currentData(), Qt::EditRole);
        }
    }

private:
    const ImportPreviewModel& m_model;
};

constexpr int32_t kNewFallback = -1000;

}  // namespace

ImportPreviewDlg::ImportPreviewDlg(ImportPlan plan, const BicycleList& bicycles,
                                   std::optional<int32_t> fallback, const KnownRides& known, QWidget* parent)
    : QDialog(parent),
      m_plan(std::move(plan)),
      m_bicycles(bicycles),
      m_known(known),
      m_model(new ImportPreviewModel(m_plan, this)),
      m_table(new QTableView(this)),
      m_count(new QLabel(this)) {
    setObjectName(QStringLiteral("ImportPreviewDlg"));
    setWindowTitle(GetLanguageString("ArchiveImport", "PTTL"));
    auto* layout = new QVBoxLayout(this);

    auto* source = new QLabel(this);
    source->setTextFormat(Qt::PlainText);
    source->setObjectName(QStringLiteral("source"));
    source->setText(m_plan.source.isEmpty() ? SafeFormat(GetLanguageString("ArchiveImport", "PFIL"),
                                                         {static_cast<int>(m_plan.activities.size())})
                                            : QFileInfo(m_plan.source).fileName());
    QFont bold = source->font();
    bold.setBold(true);
    source->setFont(bold);
    layout->addWidget(source);

    auto* choices = new QHBoxLayout;
    auto* bicycleBox = new QGroupBox(GetLanguageString("ArchiveImport", "GEAR"), this);
    auto* bicycleForm = new QFormLayout(bicycleBox);
    m_gears = GearNames(m_plan);
    for (qsizetype i = 0; i < m_gears.size(); ++i) {
        std::optional<int32_t> same;
        for (const BicycleAttribute& bicycle : m_bicycles) {
            if (FromTextBlock(bicycle.BicycleName).trimmed().compare(m_gears[i], Qt::CaseInsensitive) == 0) {
                same = bicycle.BicycleNumber;
            }
        }
        const BicycleChooser chooser = AddChooser(QStringLiteral("gear%1").arg(i), m_gears[i], same);
        auto* row = new QHBoxLayout;
        row->addWidget(chooser.bicycle, 1);
        row->addWidget(chooser.newName, 1);
        auto* label = new QLabel(m_gears[i], bicycleBox);
        label->setTextFormat(Qt::PlainText);
        bicycleForm->addRow(label, row);
        m_gearChoosers.push_back(chooser);
    }
    m_fallback = AddChooser(QStringLiteral("bicycle"), QString(), fallback);
    auto* fallbackRow = new QHBoxLayout;
    fallbackRow->addWidget(m_fallback.bicycle, 1);
    fallbackRow->addWidget(m_fallback.newName, 1);
    bicycleForm->addRow(m_gears.isEmpty() ? GetLanguageStringWithColon("ArchiveImport", "BALL")
                                          : GetLanguageStringWithColon("ArchiveImport", "NOGR"),
                        fallbackRow);
    choices->addWidget(bicycleBox, 3);

    QMap<QString, int> typeCounts;
    QSet<QString> rideTypes;
    for (const ImportActivity& activity : m_plan.activities) {
        if (!activity.type.isEmpty()) {
            ++typeCounts[activity.type];
            if (activity.ride) {
                rideTypes.insert(activity.type);
            }
        }
    }
    if (!typeCounts.isEmpty()) {
        auto* typeBox = new QGroupBox(GetLanguageString("ArchiveImport", "TYPS"), this);
        auto* typeLayout = new QVBoxLayout(typeBox);
        int i = 0;
        for (auto type = typeCounts.begin(); type != typeCounts.end(); ++type, ++i) {
            auto* box = new QCheckBox(QStringLiteral("%1 (%2)").arg(type.key()).arg(type.value()), typeBox);
            box->setObjectName(QStringLiteral("type%1").arg(i));
            box->setChecked(rideTypes.contains(type.key()));
            typeLayout->addWidget(box);
            m_types.emplace_back(type.key(), box);
            connect(box, &QCheckBox::toggled, this, [this, name = type.key()](bool on) {
                for (ImportActivity& activity : m_plan.activities) {
                    if (activity.type == name) {
                        activity.include = on;
                    }
                }
                m_model->Changed();
                UpdateCount();
            });
        }
        typeLayout->addStretch(1);
        choices->addWidget(typeBox, 1);
    }
    layout->addLayout(choices);

    m_table->setObjectName(QStringLiteral("activities"));
    m_table->setModel(m_model);
    m_table->setItemDelegateForColumn(kBicycle, new BicycleDelegate(*m_model, m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(kName, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(kStatus, QHeaderView::Stretch);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    layout->addWidget(m_table, 1);
    m_model->onEdited = [this] {
        MarkKnown(m_plan, m_known);
        m_model->Changed();
        UpdateCount();
    };

    m_count->setObjectName(QStringLiteral("count"));
    layout->addWidget(m_count);
    if (!m_plan.problems.isEmpty()) {
        auto* problems = new QLabel(m_plan.problems.mid(0, 5).join(u'\n'), this);
        problems->setObjectName(QStringLiteral("problems"));
        problems->setTextFormat(Qt::PlainText);
        problems->setStyleSheet(QStringLiteral("color: #a03000"));
        layout->addWidget(problems);
    }

    auto* ok = new QPushButton(GetLanguageString("ArchiveImport", "IMPB"), this);
    auto* cancel =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CANC", QStringLiteral("C")), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &ImportPreviewDlg::OnImport);
    connect(cancel, &QPushButton::clicked, this, &ImportPreviewDlg::reject);

    ApplyChoices();
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setSectionResizeMode(kName, QHeaderView::Stretch);
    resize(980, 620);
}

ImportPreviewDlg::~ImportPreviewDlg() = default;

BicycleChooser ImportPreviewDlg::AddChooser(const QString& objectName, const QString& newName,
                                            std::optional<int32_t> chosen) {
    BicycleChooser chooser;
    chooser.bicycle = new QComboBox(this);
    chooser.bicycle->setObjectName(objectName);
    for (const BicycleAttribute& bicycle : m_bicycles) {
        chooser.bicycle->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
    }
    chooser.bicycle->addItem(GetLanguageString("ArchiveImport", "NEWB"), 0);
    chooser.newName = new QLineEdit(newName, this);
    chooser.newName->setObjectName(objectName + QStringLiteral("Name"));
    chooser.newName->setPlaceholderText(GetLanguageString("ArchiveImport", "NBNM"));
    if (chosen) {
        chooser.bicycle->setCurrentIndex(chooser.bicycle->findData(*chosen));
    } else if (!newName.isEmpty() || m_bicycles.empty()) {
        chooser.bicycle->setCurrentIndex(chooser.bicycle->count() - 1);
    } else {
        // Nothing chosen yet: rides on the wrong bicycle are worse than one more click.
        chooser.bicycle->setCurrentIndex(-1);
    }
    const auto update = [this, chooser] {
        chooser.newName->setEnabled(chooser.bicycle->currentIndex() >= 0 &&
                                    chooser.bicycle->currentData().toInt() == 0);
        ApplyChoices();
    };
    chooser.newName->setEnabled(chooser.bicycle->currentIndex() >= 0 &&
                                chooser.bicycle->currentData().toInt() == 0);
    connect(chooser.bicycle, &QComboBox::currentIndexChanged, this, update);
    connect(chooser.newName, &QLineEdit::textChanged, this, [this] { ApplyChoices(); });
    return chooser;
}

void ImportPreviewDlg::ApplyChoices() {
    if (!m_fallback.bicycle) {
        return;  // still being built
    }
    m_newBicycles.clear();
    QMap<int32_t, QString> names;
    for (const BicycleAttribute& bicycle : m_bicycles) {
        names.insert(bicycle.BicycleNumber, FromTextBlock(bicycle.BicycleName));
    }
    const auto numberOf = [&](const BicycleChooser& chooser, int32_t newNumber) -> int32_t {
        if (chooser.bicycle->currentIndex() < 0) {
            return 0;
        }
        const int32_t number = chooser.bicycle->currentData().toInt();
        if (number != 0) {
            return number;
        }
        const QString name = chooser.newName->text().trimmed();
        m_newBicycles.emplace_back(newNumber, name);
        names.insert(newNumber, name);
        return newNumber;
    };
    QMap<QString, int32_t> byGear;
    for (size_t i = 0; i < m_gearChoosers.size(); ++i) {
        byGear.insert(m_gears[static_cast<qsizetype>(i)],
                      numberOf(m_gearChoosers[i], -1 - static_cast<int32_t>(i)));
    }
    const int32_t fallback = numberOf(m_fallback, kNewFallback);
    for (size_t row = 0; row < m_plan.activities.size(); ++row) {
        ImportActivity& activity = m_plan.activities[row];
        // A bicycle chosen in the row stays while it is still offered.
        if (m_model->ChosenByHand(row) && names.contains(activity.bicycle)) {
            continue;
        }
        m_model->ForgetHandChoice(row);
        activity.bicycle = byGear.value(activity.gear, fallback);
    }
    MarkKnown(m_plan, m_known);
    m_model->SetBicycleNames(names);
    m_model->Changed();
    UpdateCount();
}

QString ImportPreviewDlg::CountText() const {
    int chosen = 0;
    int known = 0;
    int failed = 0;
    for (const ImportActivity& activity : m_plan.activities) {
        if (!activity.problem.isEmpty()) {
            ++failed;
        } else if (activity.known) {
            ++known;
        } else if (activity.include) {
            ++chosen;
        }
    }
    return SafeFormat(GetLanguageString("ArchiveImport", "PSUM"),
                      {chosen, static_cast<int>(m_plan.activities.size()), known, failed});
}

void ImportPreviewDlg::UpdateCount() {
    m_count->setText(CountText());
}

void ImportPreviewDlg::OnImport() {
    // Only the new bicycles that rides will go to are made.
    std::vector<std::pair<int32_t, QString>> used;
    for (const auto& [number, name] : m_newBicycles) {
        const bool needed = std::any_of(m_plan.activities.begin(), m_plan.activities.end(),
                                        [number = number](const ImportActivity& activity) {
                                            return activity.include && !activity.known &&
                                                   activity.problem.isEmpty() && activity.bicycle == number;
                                        });
        if (!needed) {
            continue;
        }
        if (name.isEmpty()) {
            ShowError(this, GetLanguageString("ArchiveImport", "NONB"));
            return;
        }
        used.emplace_back(number, name);
    }
    for (const ImportActivity& activity : m_plan.activities) {
        if (activity.include && !activity.known && activity.problem.isEmpty() && activity.bicycle == 0) {
            ShowError(this, GetLanguageString("ErrorStrings", "SELB"));
            m_fallback.bicycle->setFocus();
            return;
        }
    }
    m_newBicycles = std::move(used);
    accept();
}

bool ImportPreviewDlg::Ask(QWidget* parent, ImportPlan* plan, const BicycleList& bicycles,
                           std::optional<int32_t> fallback, const KnownRides& known,
                           std::vector<std::pair<int32_t, QString>>* newBicycles) {
    GuardedModal dialog(new ImportPreviewDlg(std::move(*plan), bicycles, fallback, known, parent));
    const bool accepted = RunModal(&*dialog, QDialog::Rejected) == QDialog::Accepted && dialog.Alive();
    if (dialog.Alive()) {
        *plan = dialog->Plan();
        *newBicycles = dialog->NewBicycles();
    }
    return accepted;
}

QProgressDialog* NewImportProgress(QWidget* parent, const QString& title) {
    auto* progress = new QProgressDialog(parent);
    progress->setObjectName(QStringLiteral("importProgress"));
    progress->setWindowTitle(title);
    progress->setCancelButtonText(GetLanguageString("Strings", "CANC"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setMinimumWidth(420);
    auto* label = new QLabel(progress);
    label->setTextFormat(Qt::PlainText);
    progress->setLabel(label);
    return progress;
}
