#include "widgets/FigureFilters.h"

#include "units/FigureRange.h"
#include "units/NumberInput.h"
#include "units/SafeFormat.h"
#include "units/Units.h"
#include "widgets/FlowLayout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

// Long enough for a number to be typed, short enough to feel at once.
constexpr int kTypingPauseMs = 300;

QString UnitWordOf(FigureKind kind) {
    switch (kind) {
        case FigureKind::Distance:
            return GetDistanceUnitWord();
        case FigureKind::Money:
            return GetCurrencySymbol();
        case FigureKind::Duration:
            break;
    }
    return QString();
}

}  // namespace

std::vector<FigureFilter> FigureFiltersOf(RecordKind kind) {
    if (kind == RecordKind::Ride) {
        return {{"distance", LanguageKey{"Strings", "DIST"}, "Distance", FigureKind::Distance},
                {"ridingTime", LanguageKey{"RideRecordDlg", "RDTM"}, "(Hours*3600+Minutes*60+Seconds)",
                 FigureKind::Duration}};
    }
    return {{"cost", LanguageKey{"Strings", "COST"}, "Cost", FigureKind::Money}};
}

FigureFilterBar::FigureFilterBar(std::vector<FigureFilter> filters, QWidget* parent)
    : QWidget(parent), m_row(new FlowLayout(12, 6)), m_pause(new QTimer(this)) {
    setLayout(m_row);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_pause->setSingleShot(true);
    m_pause->setInterval(kTypingPauseMs);
    connect(m_pause, &QTimer::timeout, this, [this] {
        MarkRefusals();
        Q_EMIT Changed();
    });
    for (const FigureFilter& filter : filters) {
        Fields fields{filter, new QLabel(this), new QLineEdit(this), new QLineEdit(this)};
        fields.least->setObjectName(QString::fromLatin1(filter.name) + QStringLiteral("From"));
        fields.most->setObjectName(QString::fromLatin1(filter.name) + QStringLiteral("To"));
        // A figure's fields stay together when the row wraps.
        auto* group = new QHBoxLayout;
        group->setSpacing(6);
        group->addWidget(fields.label);
        for (QLineEdit* field : {fields.least, fields.most}) {
            field->setMaximumWidth(80);
            field->setClearButtonEnabled(true);
            connect(field, &QLineEdit::textEdited, m_pause, qOverload<>(&QTimer::start));
            connect(field, &QLineEdit::returnPressed, this, [this] {
                m_pause->stop();
                MarkRefusals();
                Q_EMIT Changed();
            });
            // The clear button empties the field without textEdited.
            connect(field, &QLineEdit::textChanged, this, [this](const QString& text) {
                if (text.isEmpty()) {
                    m_pause->start();
                }
            });
        }
        group->addWidget(fields.least);
        group->addWidget(new QLabel(QStringLiteral("–"), this));
        group->addWidget(fields.most);
        m_row->AddLayout(group);
        m_fields.push_back(fields);
    }
    RefreshCaptions();
}

void FigureFilterBar::RefreshCaptions() {
    for (const Fields& fields : m_fields) {
        const QString unit = UnitWordOf(fields.filter.kind);
        fields.label->setText(GetLanguageString(fields.filter.label) +
                              (unit.isEmpty() ? QString() : QStringLiteral(" (") + unit + u')'));
        fields.least->setPlaceholderText(GetLanguageString("Search", "LEST"));
        fields.most->setPlaceholderText(GetLanguageString("Search", "MOST"));
    }
    MarkRefusals();
}

std::optional<double> FigureFilterBar::Bound(const Fields& fields, const QLineEdit* field, bool least,
                                             bool* refused) const {
    const QString text = field->text().trimmed();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const FigureKind kind = fields.filter.kind;
    if (kind == FigureKind::Duration) {
        // Riding times are whole seconds: the bound is exact.
        const std::optional<int> seconds = ReadDuration(text);
        *refused = !seconds;
        return seconds ? std::optional<double>(*seconds) : std::nullopt;
    }
    const std::optional<double> value = ReadNumber(text, NumberKind::Decimal, UnitWordOf(kind));
    if (!value) {
        *refused = true;
        return std::nullopt;
    }
    const double shown = least ? *value - 0.005 : *value + 0.005;
    return kind == FigureKind::Distance ? ToKilometres(shown) : shown;
}

std::string FigureFilterBar::Condition() const {
    std::string condition;
    for (const Fields& fields : m_fields) {
        bool refused = false;
        condition +=
            FigureRangeCondition(fields.filter.expression, Bound(fields, fields.least, true, &refused),
                                 Bound(fields, fields.most, false, &refused));
    }
    return condition;
}

QString FigureFilterBar::RefusalOf(const Fields& fields, const QLineEdit* field) const {
    bool refused = false;
    (void)Bound(fields, field, field == fields.least, &refused);
    if (!refused) {
        return QString();
    }
    const QString name = GetLanguageString(fields.filter.label);
    return fields.filter.kind == FigureKind::Duration
               ? SafeFormat(GetLanguageString("Search", "TIMF"), {name})
               : NumberRefusal(name, NumberKind::Decimal);
}

QString FigureFilterBar::Refusal() const {
    for (const Fields& fields : m_fields) {
        for (const QLineEdit* field : {fields.least, fields.most}) {
            if (QString refusal = RefusalOf(fields, field); !refusal.isEmpty()) {
                return refusal;
            }
        }
    }
    return QString();
}

void FigureFilterBar::MarkRefusals() {
    for (const Fields& fields : m_fields) {
        for (QLineEdit* field : {fields.least, fields.most}) {
            const QString refusal = RefusalOf(fields, field);
            field->setToolTip(refusal);
            field->setStyleSheet(refusal.isEmpty() ? QString()
                                                   : QStringLiteral("QLineEdit { background: #ffd8d8; }"));
        }
    }
}

void FigureFilterBar::Clear() {
    m_pause->stop();
    for (const Fields& fields : m_fields) {
        for (QLineEdit* field : {fields.least, fields.most}) {
            const QSignalBlocker quiet(field);
            field->clear();
        }
    }
    MarkRefusals();
}
