#pragma once
// Asks which bicycle imported rides belong to, when the rides page lists
// every bicycle and so cannot tell.

#include "store/store.h"

#include <QDialog>

class QComboBox;

class RideImportDlg : public QDialog {
    Q_OBJECT
public:
    RideImportDlg(const BicycleList& bicycles, int fileCount, QWidget* parent);

    // The chosen bicycle's number, once accepted.
    int32_t BicycleNumber() const { return m_bicycleNumber; }

    // Runs the question (guarded against its parent closing); true with a
    // bicycle chosen, false when the rider cancelled.
    static bool Ask(QWidget* parent, const BicycleList& bicycles, int fileCount, int32_t* bicycleNumber);

private:
    void OnOk();

    QComboBox* m_bicycle;
    int32_t m_bicycleNumber = 0;
};
