#pragma once
// Running the modal dialogs a page opens (editors, the export chooser). Tests
// set a driver that answers the dialog through its own widgets: while one is
// set, the dialog is shown without a modal loop and handed to the driver,
// and what the driver left as the dialog's result counts.

#include <QDialog>
#include <functional>

using ModalDriver = std::function<void(QDialog&)>;
void SetModalDriverForTesting(ModalDriver driver);

// Runs dialog modally and returns its result code. cancelled is returned when
// the dialog went away while it was open (its parent closed) or was left open
// by a test driver.
int RunModal(QDialog* dialog, int cancelled);
