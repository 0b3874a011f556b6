#include "widgets/PageControls.h"

#include "language/Language.h"
#include "units/TextBlock.h"
#include "widgets/ImageButton.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kButtonMinimumWidth = 84;
constexpr int kButtonMaximumWidth = 104;
constexpr int kButtonHeight = 34;
}  // namespace

QHBoxLayout* AddPageControlRow(QWidget* page) {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(kPageMargin, 4, kPageMargin, 0);
    row->setSpacing(12);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addStretch(1);
    return row;
}

void AddPageButton(QBoxLayout* row, ImageButton* button) {
    button->setMinimumSize(kButtonMinimumWidth, kButtonHeight);
    button->setMaximumSize(kButtonMaximumWidth, kButtonHeight);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    row->addWidget(button);
}

void FitPageButton(ImageButton* button) {
    // A squeezed row gives its buttons less than they ask for, never less
    // than this; the window widens when the row needs more.
    const int caption = button->minimumSizeHint().width();
    button->setMinimumWidth(std::max(kButtonMinimumWidth, caption));
    button->setMaximumWidth(std::max(kButtonMaximumWidth, caption));
}

QVBoxLayout* LabelledControl(QWidget* label, QWidget* control) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(label);
    column->addWidget(control);
    return column;
}

bool FillBicycleFilter(QComboBox* filter, BicycleList* bicycles) {
    filter->clear();
    filter->addItem(GetLanguageString("Strings", "ALBC"));
    DB_ReleaseBicycleList(bicycles);
    if (DB_GetBicycleList(bicycles) != store::kOk) {
        DB_ReleaseBicycleList(bicycles);
        return false;
    }
    // Every bicycle is offered, one without a name too: leaving it out would
    // hide its records from the choice.
    for (const BicycleAttribute& bicycle : *bicycles) {
        filter->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
    }
    return true;
}

std::optional<int> FilteredBicycle(const QComboBox* filter) {
    const int position = filter->currentIndex();
    if (position > 0 && filter->itemData(position).isValid()) {
        return filter->itemData(position).toInt();
    }
    return std::nullopt;
}
