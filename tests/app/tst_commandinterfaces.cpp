// The meta-object interfaces the pages and controllers are written against: member names and
// their order, enumerations and properties.
#include <QtTest>

#include "CalibrationControl.h"
#include "FirmwareController.h"
#include "FirmwareListModel.h"
#include "InstrumentConfig.h"
#include "JoyStickDevice.h"
#include "ORVInteractiveCommandThreadWorker.h"
#include "PidTunning.h"
#include "SensorsInformation.h"
#include "SerialPortController.h"
#include "StatusPoll.h"

namespace {
QStringList ownMethods(const QMetaObject& meta)
{
    QStringList methods;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        methods << QString::fromLatin1(meta.method(i).methodSignature());
    return methods;
}

const QString kResultSlot =
    QStringLiteral("st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum,int,int,QString,QByteArray)");

QStringList transferSignals(const char* finished)
{
    return {"sigDownloading()", "sigDownloadSucceed()", "sigDownloadFailed()", "sigDownloadFinished()",
            "sigUploading()", "sigUploadSucceed()", "sigUploadFailed()", QString::fromLatin1(finished)};
}

void checkReadOnlyProperty(const QMetaObject& meta, const char* name, const char* type, const char* notify)
{
    const QMetaProperty property = meta.property(meta.indexOfProperty(name));
    QVERIFY2(property.isValid(), name);
    QVERIFY(!property.isWritable());
    QCOMPARE(property.typeName(), type);
    QCOMPARE(property.notifySignal().name(), QByteArray(notify));
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
        QCOMPARE(manager.mid(15), QStringList({"sg_backupConfiguration(ProtocolCommandEnum,QString)",
                                               "sg_restoreConfiguration(ProtocolCommandEnum,QString)",
                                               "sg_setUpgradeBackup(bool)",
                                               "st_moduleStartUpgrade(signed char)", "_st_firmUpgradeProgress()",
                                               "st_protocolCommandResult(ProtocolCommandEnum,int,int,QString,QByteArray)"}));
        const QMetaEnum commands = ORVInteractiveCommandManager::staticMetaObject.enumerator(0);
        QCOMPARE(commands.name(), "ProtocolCommandEnum");
        QVERIFY(!commands.isFlag());
        // The original 18, then the three backup commands after them.
        QCOMPARE(commands.keyCount(), 21);
        QCOMPARE(commands.value(17), 17);
        QCOMPARE(commands.key(18), "PROTOCOL_CONFIGBACKUP");
        QCOMPARE(commands.key(17), "PROTOCOL_SERIALPORTDISCONNECT");

        const QStringList worker = ownMethods(ORVInteractiveCommandThreadWorker::staticMetaObject);
        // 7 signals, the 13 slots left after the status poll moved out, then the three backup slots.
        QCOMPARE(worker.size(), 7 + 13 + 3);
        QCOMPARE(worker.at(5), QStringLiteral("sg_openSerialPortResult(bool,int,QString)"));
        QCOMPARE(worker.at(7 + 7), QStringLiteral("_st_cardleCalibration(ORVInteractiveCommandManager::ProtocolCommandEnum,int)"));
        QCOMPARE(worker.at(7 + 12), QStringLiteral("_st_closeSerialPort(ORVInteractiveCommandManager::ProtocolCommandEnum)"));
        // The status poll runs on a thread of its own; it also copies the telemetry history for the plots.
        QCOMPARE(ownMethods(StatusPoll::staticMetaObject),
                 QStringList({"sg_protocolCommandResult(ORVInteractiveCommandManager::ProtocolCommandEnum,int,int,"
                              "QString,QByteArray)",
                              "sg_historyArrived()", "_st_updateCradleStatus()", "_st_readHistory()"}));
    }

    void serialPortController()
    {
        const QMetaObject& meta = SerialPortController::staticMetaObject;
        QCOMPARE(ownMethods(meta),
                 QStringList({"availableSerialPortsChanged()", "opendPortNameChanged()", "sigOpendPortFailed()",
                              "sigDisconnect()", "sigPortLost(QString)", "sigPortReopening(QString)",
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
        QCOMPARE(methods.size(), 26);
        QCOMPARE(methods.at(5), QStringLiteral("sigFileUpgradeChanged(FirmwareUnit,int)"));
        QCOMPARE(methods.at(8), QStringLiteral("sigFirmwareListModelChanged()"));
        // The signals naming skipped package entries and unconfirmed units follow the agreed ones.
        QCOMPARE(methods.mid(9, 3), QStringList({"sigFirmwareEntryTooLarge(QString,qlonglong,qlonglong)",
                                                 "sigFirmwareEntryIncomplete(QString)",
                                                 "sigFirmwareVersionUnconfirmed(QString,QString,QString,int)"}));
        QCOMPARE(methods.mid(16, 2), QStringList({"getFirmware(FirmwareUnit)", "getFirmware(signed char)"}));
        QCOMPARE(methods.mid(20, 2), QStringList({"updateFirm(FirmwareUnit)", "updateFirm()"}));
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

    void controllersOfThePages()
    {
        QCOMPARE(ownMethods(SensorsInformation::staticMetaObject),
                 QStringList({"sigRefreshValue()", "getSensorValue(SensorDataIndex)",
                              "getSensorValueString(SensorDataIndex)", "getSensorValueGString(SensorDataIndex)",
                              kResultSlot}));

        QCOMPARE(ownMethods(PidTunning::staticMetaObject),
                 QStringList({"sigDefalutValueChanged()", "sigTunningValueChanged()"})
                     + transferSignals("sigUploadFinished()")
                     + QStringList({"setTunningValue(PidParameterIndex,int)", "getTunningValue(PidParameterIndex)",
                                    "saveTunningValue(QString)", "loadTunningValue(QString)", "uploadConfig()",
                                    "downloadConfig()", kResultSlot}));
        checkReadOnlyProperty(PidTunning::staticMetaObject, "p_defalutValue", "int", "sigDefalutValueChanged");
        QCOMPARE(QMetaEnum::fromType<PidTunning::PidParameterIndex>().keyToValue("DefUnKnow"), 38);

        QCOMPARE(ownMethods(InstrumentConfig::staticMetaObject),
                 QStringList({"sigInputChanged(short,short)", "sigRefreshValue()"})
                     + transferSignals("sigUploadFinished()")
                     + QStringList({"typeMechanismChanged()", "sigUpdateFirmFailed()", "sigUnsupportMechanism()",
                                    "sigUpdateFirmSucceed()", "sigControlInputForced(short,short)",
                                    "isFirmUpdateEnabled()", "updateMechanismFirm()",
                                    "setInstrumentValue(InstrumentType,short)", "getInstrumentValue(InstrumentType)",
                                    "uploadConfig()", "downloadConfig()", "loadDefaultConfig()", "isInfrared()",
                                    "is770K()", "is770W()", "isChannelEnabled()", "getControllerString()",
                                    "canReloadControllerMapping()", "isSupportProduct()", kResultSlot,
                                    "displayToIndex(short)", "indexToDisplay(short)", "mechanismToIndex(short)",
                                    "indexToMechanism(short)", "indexToController(short)",
                                    "controllerToIndex(QString)", "getInputMaxValue(short)",
                                    "getInputMinValue(short)"}));
        checkReadOnlyProperty(InstrumentConfig::staticMetaObject, "enableFirmUpdate", "bool", "typeMechanismChanged");

        QCOMPARE(ownMethods(CalibrationControl::staticMetaObject),
                 QStringList({"sigCalibrationSuccess(CRADLECALIBRATION)", "sigCalibrationStart(CRADLECALIBRATION)",
                              "sigCalibrationFailed(CRADLECALIBRATION)", "sigCradleStartFinished()",
                              "sigCradleStopFinished()", "sigCalibrationInterrupted(CRADLECALIBRATION)",
                              "startCalibartion(CRADLECALIBRATION)", "StartCradle()",
                              "StopCradle()", kResultSlot}));

        QCOMPARE(ownMethods(JoyStickDevice::staticMetaObject),
                 QStringList({"sigRefreshMapping()", "sigRefreshValue()", "sigRefreshStatus()",
                              "sigDefalutValueChanged()"})
                     + transferSignals("sigUploadFinish()")
                     + QStringList({"getChannelMapping(JoyStickChannelFunc)",
                                    "setChannelMapping(JoyStickChannelFunc,short)",
                                    "getChannelValue(JoyStickChannelFunc)", "setChannelValue(JoyStickChannelFunc,short)",
                                    "getChannelReverse(JoyStickChannelFunc)",
                                    "setChannelReverse(JoyStickChannelFunc,bool)",
                                    "getChannelOutput(JoyStickChannelFunc)", "getChannelStatus(JoyStickChannelFunc)",
                                    "getChannelStatusString(JoyStickChannelFunc)",
                                    "setChannelStatus(JoyStickChannelFunc,short)",
                                    "setChannelConfig(JoyStickChannelFunc,short,bool)", "getDefaultValue()",
                                    "canUploadChannelConfig(JoyStickChannelFunc)", "getChannelLostCtl()",
                                    "uploadConfig()", "downloadConfig()", "loadDefaultConfig()", kResultSlot}));
        checkReadOnlyProperty(JoyStickDevice::staticMetaObject, "p_defalutValue", "int", "sigDefalutValueChanged");
        const QMetaEnum channels = QMetaEnum::fromType<JoyStickDevice::JoyStickChannelFunc>();
        QCOMPARE(channels.keyToValue("CHANNEL_MAX_SELECTTION"), 20);
        QCOMPARE(channels.keyToValue("CHANNEL_NOLIMIT"), 23);
    }
};

QTEST_GUILESS_MAIN(CommandInterfacesTest)
#include "tst_commandinterfaces.moc"
