// The meta-object interfaces the pages and controllers are written against: member names and
// their order, enumerations and properties.
#include <QtTest>

#include "FirmwareController.h"
#include "FirmwareListModel.h"
#include "ORVInteractiveCommandThreadWorker.h"
#include "SerialPortController.h"

namespace {
QStringList ownMethods(const QMetaObject& meta)
{
    QStringList methods;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        methods << QString::fromLatin1(meta.method(i).methodSignature());
    return methods;
}
} // namespace

class CommandInterfacesTest : public QObject
{
    Q_OBJECT
private slots:
    void managerAndWorker()
    {
        const QStringList manager = ownMethods(ORVInteractiveCommandManager::staticMetaObject);
        QCOMPARE(manager.mid(0, 3), QStringList({"sg_getVersion(ProtocolCommandEnum)",
                                                 "sg_upgradeFirmware(ProtocolCommandEnum,QList<ORVFirmware*>*)",
                                                 "sg_upgradeFirmwareSingle(ProtocolCommandEnum,ORVFirmware*)"}));
        QCOMPARE(manager.at(8), QStringLiteral("sg_cardleCalibration(ProtocolCommandEnum,short)"));
        QCOMPARE(manager.at(14), QStringLiteral(
                     "sg_protocolCommandResult(ProtocolCommandEnum,int,int,QString,QByteArray)"));
        QCOMPARE(manager.mid(15), QStringList({"st_moduleStartUpgrade(signed char)", "_st_firmUpgradeProgress()",
                                               "st_protocolCommandResult(ProtocolCommandEnum,int,int,QString,QByteArray)"}));
        const QMetaEnum commands = ORVInteractiveCommandManager::staticMetaObject.enumerator(0);
        QCOMPARE(commands.name(), "ProtocolCommandEnum");
        QVERIFY(!commands.isFlag());
        QCOMPARE(commands.keyCount(), 18);
        QCOMPARE(commands.value(17), 17);
        QCOMPARE(commands.key(17), "PROTOCOL_SERIALPORTDISCONNECT");

        const QStringList worker = ownMethods(ORVInteractiveCommandThreadWorker::staticMetaObject);
        QCOMPARE(worker.size(), 7 + 14);
        QCOMPARE(worker.at(5), QStringLiteral("sg_openSerialPortResult(bool,int,QString)"));
        QCOMPARE(worker.at(7 + 7), QStringLiteral("_st_cardleCalibration(ORVInteractiveCommandManager::ProtocolCommandEnum,int)"));
        QCOMPARE(worker.last(), QStringLiteral("_st_updateCradleStatus()"));
    }

    void serialPortController()
    {
        const QMetaObject& meta = SerialPortController::staticMetaObject;
        QCOMPARE(ownMethods(meta),
                 QStringList({"availableSerialPortsChanged()", "opendPortNameChanged()", "sigOpendPortFailed()",
                              "sigDisconnect()",
                              "st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum,int,int,QString,QByteArray)",
                              "openSerialPort(QString)", "closeSerialPort()", "refreshAvailableSerialPorts()",
                              "isSerialPortValid()"}));
        const QMetaProperty ports = meta.property(meta.indexOfProperty("availableSerialPorts"));
        QVERIFY(!ports.isWritable());
        QCOMPARE(ports.notifySignal().name(), QByteArray("availableSerialPortsChanged"));
        QCOMPARE(meta.property(meta.indexOfProperty("opendPortName")).notifySignal().name(),
                 QByteArray("opendPortNameChanged"));
    }

    void firmwareControllerAndModel()
    {
        const QMetaObject& meta = FirmwareController::staticMetaObject;
        const QStringList methods = ownMethods(meta);
        QCOMPARE(methods.size(), 23);
        QCOMPARE(methods.at(5), QStringLiteral("sigFileUpgradeChanged(FirmwareUnit,int)"));
        QCOMPARE(methods.at(8), QStringLiteral("sigFirmwareListModelChanged()"));
        QCOMPARE(methods.mid(13, 2), QStringList({"getFirmware(FirmwareUnit)", "getFirmware(signed char)"}));
        QCOMPARE(methods.mid(17, 2), QStringList({"updateFirm(FirmwareUnit)", "updateFirm()"}));
        QCOMPARE(methods.last(), QStringLiteral("st_moduleUpgradeProgressChanged(signed char,double)"));
        const QMetaEnum units = meta.enumerator(meta.indexOfEnumerator("FirmwareUnit"));
        QCOMPARE(units.keyToValue("UNIT_UNKNOW"), 0);
        QCOMPARE(units.keyToValue("UNIT_MZ"), 8);
        const QMetaProperty model = meta.property(meta.indexOfProperty("firmwareListModel"));
        QVERIFY(!model.isWritable());
        QCOMPARE(model.notifySignal().name(), QByteArray("sigFirmwareListModelChanged"));

        QCOMPARE(ownMethods(FirmwareListModel::staticMetaObject),
                 QStringList({"clear()", "addFirmwareItem(ORVFirmware*)", "removeFirmwareItem(int)", "refreshView()"}));
    }
};

QTEST_GUILESS_MAIN(CommandInterfacesTest)
#include "tst_commandinterfaces.moc"
