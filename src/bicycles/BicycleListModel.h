#pragma once
// The bicycles of the page's last reload, one row each in store order. The
// model owns the fetched list; the card painter reads each row's record and
// its picture, which is decoded once per reload rather than on every paint.

#include "store/store.h"

#include <QAbstractListModel>
#include <QHash>
#include <QImage>
#include <vector>

class BicycleListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        RecordRole = Qt::UserRole + 1,  // const BicycleAttribute*, valid until the next reset
        PictureRole,                    // QImage, null when the picture cannot be shown
        ServiceRole,                    // QString: the card's service line, empty when nothing is due
    };

    explicit BicycleListModel(QObject* parent = nullptr);

    // Takes the list over; the rows show it from now on.
    void SetBicycles(BicycleList bicycles);
    // The service line of each bicycle by number; a bicycle not named has none.
    void SetServiceLines(QHash<int, QString> lines);
    // Releases the list; no row refers to a record any more.
    void Clear();

    const BicycleList& Bicycles() const { return m_bicycles; }
    const BicycleAttribute* Record(int row) const;
    // The row of the bicycle with that number, -1 when it is not listed.
    int RowOf(int bicycleNumber) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    BicycleList m_bicycles;
    mutable std::vector<QImage> m_pictures;
    mutable std::vector<bool> m_decoded;
    QHash<int, QString> m_serviceLines;
};

Q_DECLARE_METATYPE(const BicycleAttribute*)
