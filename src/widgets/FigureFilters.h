#pragma once
// The figure filters under the list pages' top row: a ride's distance and
// riding time, an entry's cost, each between an optional least and most typed
// as the rider's language writes numbers. The list follows as the rider types,
// after a short pause, and at once on Return. A bound that is no figure is
// left out of the filter and named, with its reason, in its tooltip and by
// Refusal().

#include "language/Language.h"
#include "units/RecordFolders.h"

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

class FlowLayout;
class QLabel;
class QLineEdit;
class QTimer;

enum class FigureKind { Distance, Duration, Money };

struct FigureFilter {
    const char* name;        // the fields are named name + "From" and name + "To"
    LanguageKey label;       // the figure's name in the rider's language
    const char* expression;  // the figure in the store's condition, in stored units
    FigureKind kind;
};

// The figures a kind's page filters by.
std::vector<FigureFilter> FigureFiltersOf(RecordKind kind);

class FigureFilterBar : public QWidget {
    Q_OBJECT
public:
    FigureFilterBar(std::vector<FigureFilter> filters, QWidget* parent);

    void RefreshCaptions();
    // " and (...)" for every bound that holds a figure; empty without one.
    std::string Condition() const;
    // Why the first bound that holds no figure is refused; empty when every one is read.
    QString Refusal() const;
    // Empties every field, without a Changed.
    void Clear();
    // The row, wrapping where it is narrow, for the page's own controls after the figures.
    FlowLayout* Row() const { return m_row; }

Q_SIGNALS:
    // The bounds changed: the list should be read again.
    void Changed();

private:
    struct Fields {
        FigureFilter filter;
        QLabel* label;
        QLineEdit* least;
        QLineEdit* most;
    };
    // The bound a field holds in stored units, widened by half the last
    // shown digit so that a record listed as 10.00 km is in "at least 10";
    // nothing when empty. Sets *refused when the text is no figure.
    std::optional<double> Bound(const Fields& fields, const QLineEdit* field, bool least,
                                bool* refused) const;
    QString RefusalOf(const Fields& fields, const QLineEdit* field) const;
    void MarkRefusals();

    std::vector<Fields> m_fields;
    FlowLayout* m_row;
    QTimer* m_pause;
};
