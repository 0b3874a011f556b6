#include "bicycles/BicycleListModel.h"

#include "bicycles/BicyclePicture.h"
#include "units/TextBlock.h"

BicycleListModel::BicycleListModel(QObject* parent) : QAbstractListModel(parent) {}

void BicycleListModel::SetBicycles(BicycleList bicycles) {
    beginResetModel();
    DB_ReleaseBicycleList(&m_bicycles);
    m_bicycles = std::move(bicycles);
    m_pictures.assign(m_bicycles.size(), QImage());
    m_decoded.assign(m_bicycles.size(), false);
    endResetModel();
}

void BicycleListModel::SetServiceLines(QHash<int, QString> lines) {
    m_serviceLines = std::move(lines);
    if (!m_bicycles.empty()) {
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {ServiceRole});
    }
}

void BicycleListModel::Clear() {
    SetBicycles({});
}

const BicycleAttribute* BicycleListModel::Record(int row) const {
    if (row < 0 || row >= static_cast<int>(m_bicycles.size())) {
        return nullptr;
    }
    return &m_bicycles[static_cast<size_t>(row)];
}

int BicycleListModel::RowOf(int bicycleNumber) const {
    for (size_t row = 0; row < m_bicycles.size(); ++row) {
        if (m_bicycles[row].BicycleNumber == bicycleNumber) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

int BicycleListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_bicycles.size());
}

QVariant BicycleListModel::data(const QModelIndex& index, int role) const {
    const BicycleAttribute* record = Record(index.row());
    if (!index.isValid() || !record) {
        return {};
    }
    const size_t row = static_cast<size_t>(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return FromTextBlock(record->BicycleName);
        case RecordRole:
            return QVariant::fromValue(record);
        case PictureRole:
            if (!m_decoded[row]) {
                m_pictures[row] = DecodeThumbnail(record->PictureData);
                m_decoded[row] = true;
            }
            return m_pictures[row];
        case ServiceRole:
            return m_serviceLines.value(record->BicycleNumber);
        default:
            return {};
    }
}
