// The firmware table's model: roles, editing, flags and row bounds.
#include <QSignalSpy>
#include <QtTest>

#include "FirmwareListModel.h"
#include "ORVFirmware.h"

class FirmwareListModelTest : public QObject
{
    Q_OBJECT
private slots:
    void rolesShowTheRecord()
    {
        FirmwareListModel model;
        QCOMPARE(model.roleNames().value(Qt::UserRole + 1), QByteArray("Name"));
        QCOMPARE(model.roleNames().value(261), QByteArray("UpgradeStatus"));
        QCOMPARE(model.roleNames().size(), 5);

        auto* record = new ORVFirmware(3, 2, QStringLiteral("7.12"));
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.addFirmwareItem(new ORVFirmware(8, 1, QStringLiteral("1.0")));
        model.addFirmwareItem(record);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex row = model.index(1);
        QCOMPARE(model.data(model.index(0), 257).toString(), QStringLiteral("MZ"));
        QCOMPARE(model.data(row, 257).toString(), QStringLiteral("UNKNOWN:3"));
        QCOMPARE(model.data(row, 258).toString(), QStringLiteral("7.12"));
        QCOMPARE(model.data(row, 259).toString(), QStringLiteral("--"));
        QCOMPARE(model.data(row, 260).userType(), int(QMetaType::Bool));
        QCOMPARE(model.data(row, 261).toInt(), 0);
        QVERIFY(!model.data(row, Qt::DisplayRole).isValid());
        QVERIFY(!model.data(model.index(5), 257).isValid());
        QCOMPARE(ORVFirmware::unitName(0), QStringLiteral("UNKNOWN:0"));
        QCOMPARE(ORVFirmware::unitName(255), QStringLiteral("UNKNOWN:255"));
    }

    void onlyWantUpdateIsWritable()
    {
        FirmwareListModel model;
        model.addFirmwareItem(new ORVFirmware(1, 1, QStringLiteral("1.0")));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.setData(model.index(0), true, 260));
        QCOMPARE(model.data(model.index(0), 260).toBool(), true);
        QVERIFY(model.setData(model.index(0), 55, 261));
        QCOMPARE(model.data(model.index(0), 261).toInt(), 0);
        QVERIFY(!model.setData(model.index(1), false, 260));
        QCOMPARE(model.data(model.index(0), 260).toBool(), true);
        QCOMPARE(changed.size(), 0);

        QVERIFY(model.flags(model.index(0)) & Qt::ItemIsEditable);
        QCOMPARE(model.flags(QModelIndex()), Qt::ItemFlags(Qt::ItemIsEnabled));
    }

    void removeKeepsToTheRows()
    {
        FirmwareListModel model;
        for (quint8 id : {1, 2, 4})
            model.addFirmwareItem(new ORVFirmware(id, 1, QStringLiteral("1.0")));
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        model.removeFirmwareItem(-1);
        model.removeFirmwareItem(3);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(removed.size(), 0);
        model.removeFirmwareItem(1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(1), 257).toString(), QStringLiteral("MY"));

        QList<ORVFirmware*>* rows = model.firmwareList();
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.clear();
        QCOMPARE(reset.size(), 1);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.firmwareList(), rows);
    }

    void refreshCoversEveryRow()
    {
        FirmwareListModel model;
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.refreshView();
        QCOMPARE(changed.size(), 0);
        for (quint8 id : {1, 2, 4})
            model.addFirmwareItem(new ORVFirmware(id, 1, QStringLiteral("1.0")));
        model.refreshView();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 0);
        QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 2);
        QVERIFY(changed.at(0).at(2).value<QVector<int>>().isEmpty());
    }
};

QTEST_GUILESS_MAIN(FirmwareListModelTest)
#include "tst_firmwarelistmodel.moc"
