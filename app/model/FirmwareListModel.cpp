#include "FirmwareListModel.h"

#include "ORVFirmware.h"

#include <QDebug>

FirmwareListModel::FirmwareListModel(QObject* parent)
    : QAbstractListModel(parent), firmwares(new QList<ORVFirmware*>())
{
}

FirmwareListModel::~FirmwareListModel()
{
    qDeleteAll(*firmwares);
    delete firmwares;
}

int FirmwareListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : firmwares->size();
}

QVariant FirmwareListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= firmwares->size())
        return QVariant();
    const ORVFirmware* firmware = firmwares->at(row);
    switch (role) {
    case NameRole: return firmware->unitName();
    case AppVersionRole: return firmware->getAppVersion();
    case FileAppVersionRole: return firmware->getFileAppVersion();
    case WantUpdateRole: return firmware->getWantUpdate();
    case UpgradeStatusRole: return int(firmware->getUpgradeStatus());
    default: return QVariant();
    }
}

bool FirmwareListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    qDebug() << "SetData called";
    const int row = index.row();
    if (row < 0 || row >= firmwares->size())
        return false;
    if (role == WantUpdateRole)
        firmwares->at(row)->setWantUpdate(value.toBool());
    return true;
}

Qt::ItemFlags FirmwareListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsEnabled;
    return QAbstractListModel::flags(index) | Qt::ItemIsEditable;
}

QHash<int, QByteArray> FirmwareListModel::roleNames() const
{
    return {
        {NameRole, "Name"},
        {AppVersionRole, "AppVersion"},
        {FileAppVersionRole, "FileAppVersion"},
        {WantUpdateRole, "WantUpdate"},
        {UpgradeStatusRole, "UpgradeStatus"},
    };
}

void FirmwareListModel::clear()
{
    beginResetModel();
    qDeleteAll(*firmwares);
    firmwares->clear();
    endResetModel();
}

void FirmwareListModel::addFirmwareItem(ORVFirmware* item)
{
    const int row = firmwares->size();
    beginInsertRows(QModelIndex(), row, row);
    firmwares->append(item);
    endInsertRows();
}

void FirmwareListModel::removeFirmwareItem(int index)
{
    qDebug() << "removeFirmwareItem called";
    if (index < 0 || index >= firmwares->size())
        return;
    beginRemoveRows(QModelIndex(), index, index);
    delete firmwares->takeAt(index);
    endRemoveRows();
}

void FirmwareListModel::refreshView()
{
    if (firmwares->isEmpty())
        return;
    emit dataChanged(index(0), index(firmwares->size() - 1), {});
}
