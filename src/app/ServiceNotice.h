#pragma once
// What ties parts and service to the rest of the program: the maintenance
// editor lent to the parts and service window, and the notice of due service
// in the status line once the bicycle cards have been painted.

#include "bicycles/PartsServiceDlg.h"

class LinkLabel;
class QWidget;

// Opens the maintenance page's editor for a new, prefilled entry.
MaintenanceEntryEditor MaintenanceEntryEditorForService();

class BicycleDlg;
// The first time the bicycles page has counted what is due (after its cards
// are painted): when something is, the status line says so and a click on it
// opens the list.
void WatchForDueService(QWidget* window, BicycleDlg* page, LinkLabel* statusLine);
