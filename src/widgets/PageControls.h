#pragma once
// The controls along the top of the list pages (rides, maintenance,
// statistics): the page's buttons on the left, each chooser under its label
// beside them, the bicycle chooser first; what the page lists fills the rest
// below them.

#include "store/store.h"

#include <optional>

class ImageButton;
class QBoxLayout;
class QComboBox;
class QHBoxLayout;
class QVBoxLayout;
class QWidget;

// The margin around the page's controls and its list, and where the list starts.
inline constexpr int kPageMargin = 4;
inline constexpr int kPageControlsHeight = 60;

// Lays the page out with a row of controls on top and room below; returns the row.
QHBoxLayout* AddPageControlRow(QWidget* page);
// A button of that row: 84 to 104 pixels wide, 34 high.
void AddPageButton(QBoxLayout* row, ImageButton* button);
// Keeps a button of that row at least as wide as its caption, which may run
// longer in another language; called after each new caption.
void FitPageButton(ImageButton* button);
// A control under its label.
QVBoxLayout* LabelledControl(QWidget* label, QWidget* control);

// Fills a bicycle chooser from the store: "all bicycles" first, then every
// bicycle by name, with its number as the entry's data. False when the store
// cannot be read: the chooser then offers "all bicycles" alone and the list is
// empty. The caller blocks the chooser's signals and chooses the entry.
bool FillBicycleFilter(QComboBox* filter, BicycleList* bicycles);
// The number of the bicycle chosen, none for "all bicycles" or no choice.
std::optional<int> FilteredBicycle(const QComboBox* filter);
