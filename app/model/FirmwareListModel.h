#ifndef FIRMWARELISTMODEL_H
#define FIRMWARELISTMODEL_H

#include <QAbstractListModel>
#include <QList>

class ORVFirmware;

// The firmware page's table: one row per unit. The model owns its records; an upgrade works on
// copies (see ORVInteractiveCommandManager), so rows may be dropped at any time.
class FirmwareListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum FirmwareRoles {
        NameRole = Qt::UserRole + 1,
        AppVersionRole,
        FileAppVersionRole,
        WantUpdateRole,
        UpgradeStatusRole
    };

    explicit FirmwareListModel(QObject* parent = nullptr);
    ~FirmwareListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

    Q_INVOKABLE void clear();
    Q_INVOKABLE void addFirmwareItem(ORVFirmware* item);
    Q_INVOKABLE void removeFirmwareItem(int index);
    Q_INVOKABLE void refreshView();

    // The rows; the address stays the same for the model's whole life.
    QList<ORVFirmware*>* firmwareList() const { return firmwares; }

private:
    QList<ORVFirmware*>* firmwares;
};

#endif // FIRMWARELISTMODEL_H
