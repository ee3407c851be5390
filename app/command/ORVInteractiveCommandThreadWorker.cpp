#include "ORVInteractiveCommandThreadWorker.h"

#include "Cradle.h"
#include "CradleCalls.h"
#include "ORVFirmware.h"
#include "ParameterRecord.h"
#include "PortDiagnosis.h"
#include "StatusPoll.h"

#include <array>

namespace {

using Command = ORVInteractiveCommandManager::ProtocolCommandEnum;

QString openFailureText(int lastError)
{
    switch (lastError) {
    case CRADLE_SERIAL_OK: return QStringLiteral("SERIAL_NOERROR");
    case CRADLE_SERIAL_NOT_CLOSED: return QStringLiteral("SERIAL_NOTCLOSED");
    case CRADLE_SERIAL_OPEN_FAILED: return QStringLiteral("SERIAL_OPENFAILED");
    case CRADLE_SERIAL_SETTINGS_FAILED: return QStringLiteral("SERIAL_DCBFAILED");
    case CRADLE_SERIAL_IN_USE: return QStringLiteral("SERIAL_USING");
    case 5: return QStringLiteral("SERIAL_SYSTEMERROR");  // a code the library itself never reports
    default: return QStringLiteral("UNKOWN ERROR");
    }
}

template <size_t N>
QByteArray bytes(const std::array<unsigned char, N>& buffer, int count)
{
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), count);
}

} // namespace

ORVInteractiveCommandThreadWorker::ORVInteractiveCommandThreadWorker(ORVInteractiveCommandManager* manager)
    : QObject(nullptr), manager(manager), upgradeProgress(&manager->upgradeProgress)
{
    using M = ORVInteractiveCommandManager;
    using W = ORVInteractiveCommandThreadWorker;
    connect(manager, &M::sg_getVersion, this, &W::_st_getVersion);
    connect(manager, &M::sg_upgradeFirmware, this, &W::_st_upgradeFirmware);
    connect(manager, &M::sg_upgradeFirmwareSingle, this, &W::_st_upgradeFirmwareSingle);
    connect(this, &W::sg_moduleStartUpgrade, manager, &M::st_moduleStartUpgrade);
    connect(manager, &M::sg_uploadSettings, this, &W::_st_uploadSettings);
    connect(manager, &M::sg_downloadSettings, this, &W::_st_downloadSettings);
    connect(manager, &M::sg_cardleUploadTunningValue, this, &W::_st_cardleUploadTunningValue);
    connect(manager, &M::sg_cardleDownloadTunninValue, this, &W::_st_cardleDownloadTunninValue);
    connect(manager, &M::sg_cardleCalibration, this, &W::_st_cardleCalibration);
    connect(manager, &M::sg_cardleStart, this, &W::_st_cardleStart);
    connect(manager, &M::sg_cardleStop, this, &W::_st_cardleStop);
    connect(manager, &M::sg_cardleUpdateFirm, this, &W::_st_cardleUpdateFirm);
    connect(manager, &M::sg_openSerialPort, this, &W::_st_openSerialPort);
    connect(manager, &M::sg_closeSerialPort, this, &W::_st_closeSerialPort);
    connect(this, &W::sg_protocolCommandResult, manager, &M::st_protocolCommandResult);
    connect(manager, &M::sg_backupConfiguration, this, &W::_st_backupConfiguration);
    connect(manager, &M::sg_restoreConfiguration, this, &W::_st_restoreConfiguration);
    connect(manager, &M::sg_setUpgradeBackup, this, &W::_st_setUpgradeBackup);
    // A written unit's 100 % travels with the results, so it always precedes the upgrade's end.
    connect(this, &W::sg_moduleUpgradeProgressChanged, manager, &M::sg_moduleUpgradeProgressChanged);
}

bool ORVInteractiveCommandThreadWorker::reportPortRemoval(int returnValue)
{
    if (cradleCall(cradleCalls().GetSerialLastError) != CRADLE_SERIAL_PORT_REMOVED)
        return false;
    // The call may return before the poll's next tick sees the loss; reporting it here, on this
    // thread, puts it ahead of the failure, so receivers tell a pulled cable from a refusal.
    emit sg_protocolCommandResult(ORVInteractiveCommandManager::PROTOCOL_SERIALPORTDISCONNECT, 1, returnValue,
                                  QString(), QByteArray());
    return true;
}

void ORVInteractiveCommandThreadWorker::emitResult(Command command, int returnValue, QByteArray appendData)
{
    if (returnValue != CRADLE_OK)
        reportPortRemoval(returnValue);
    emit sg_protocolCommandResult(command, returnValue != CRADLE_OK ? 1 : 0, returnValue, QString(), appendData);
}

void ORVInteractiveCommandThreadWorker::_st_getVersion(Command command)
{
    std::array<unsigned char, CRADLE_VERSION_BUFFER_SIZE> buffer{};
    const int rc = cradleCall(cradleCalls().UnitVersionInfo, buffer.data());
    emitResult(command, rc, bytes(buffer, CRADLE_VERSION_RECORD_SIZE));
}

void ORVInteractiveCommandThreadWorker::_st_uploadSettings(Command command, QList<int> param_name,
                                                           QList<int> param_value)
{
    // A request the record cannot hold is refused as not sent, before any frame is built.
    ParameterRecord::Buffer record{};
    if (!ParameterRecord::encode(record, param_name, param_value)) {
        emitResult(command, CRADLE_E_NOT_SENT);
        return;
    }
    emitResult(command, cradleCall(cradleCalls().UploadCradleParameter, static_cast<const unsigned char*>(record.data())));
}

void ORVInteractiveCommandThreadWorker::_st_downloadSettings(Command command, QList<int> param_name)
{
    ParameterRecord::Buffer record{};
    if (!ParameterRecord::encodeNumbers(record, param_name)) {
        emitResult(command, CRADLE_E_NOT_SENT);
        return;
    }
    const int rc = cradleCall(cradleCalls().DownloadCradleParameter, record.data());
    emitResult(command, rc, rc == CRADLE_OK ? bytes(record, CRADLE_PARAM_RECORD_SIZE) : QByteArray());
}

void ORVInteractiveCommandThreadWorker::_st_cardleUploadTunningValue(Command command, QList<int> param_value)
{
    std::array<unsigned char, CRADLE_CONFIG_BUFFER_SIZE> buffer{};
    if (param_value.size() > CRADLE_CONFIG_BUFFER_SIZE) {
        emitResult(command, CRADLE_E_NOT_SENT);
        return;
    }
    for (int i = 0; i < param_value.size(); ++i)
        buffer[i] = static_cast<unsigned char>(param_value[i]);
    emitResult(command, cradleCall(cradleCalls().UploadCradleConfig, static_cast<const unsigned char*>(buffer.data())));
}

void ORVInteractiveCommandThreadWorker::_st_cardleDownloadTunninValue(Command command)
{
    std::array<unsigned char, CRADLE_CONFIG_BUFFER_SIZE> buffer{};
    const int rc = cradleCall(cradleCalls().DownloadCradleConfig, buffer.data());
    emitResult(command, rc, rc == CRADLE_OK ? bytes(buffer, CRADLE_CONFIG_BUFFER_SIZE) : QByteArray());
}

void ORVInteractiveCommandThreadWorker::_st_cardleCalibration(Command command, int para_value)
{
    const int rc = cradleCall(cradleCalls().CradleCalibration, para_value);
    const quint32 value = static_cast<quint32>(para_value);
    QByteArray appendData;
    for (int shift = 0; shift < 32; shift += 8)
        appendData.append(char((value >> shift) & 0xFF));
    emitResult(command, rc, appendData);
}

void ORVInteractiveCommandThreadWorker::_st_cardleStart(Command command)
{
    emitResult(command, cradleCall(cradleCalls().CradleStart));
}

void ORVInteractiveCommandThreadWorker::_st_cardleStop(Command command)
{
    emitResult(command, cradleCall(cradleCalls().CradleStop));
}

void ORVInteractiveCommandThreadWorker::_st_cardleUpdateFirm(Command command)
{
    emitResult(command, cradleCall(cradleCalls().CradleUpdateMechanismFirm));
}

void ORVInteractiveCommandThreadWorker::_st_openSerialPort(Command command, QString portName)
{
    const std::string name = portName.toStdString();
    const auto openPort = cradleCalls().CSerialOpenPort;
    // The open reports 1 for an open port, not a result code.
    if (openPort && openPort(name.c_str(), CRADLE_LINE_BAUD, CRADLE_LINE_PARITY, CRADLE_LINE_DATA_BITS,
                             CRADLE_LINE_STOP_BITS) != 0) {
        openPortName = portName;
        manager->statusPoll->start();
        emit sg_protocolCommandResult(command, 0, 0, QString(), QByteArray());
        return;
    }
    const int lastError = cradleCall(cradleCalls().GetSerialLastError);
    // The library says only that the open failed; what the system shows about the path says why.
    emit sg_protocolCommandResult(command, 1, lastError, openFailureText(lastError),
                                  diagnoseOpenFailure(portName).toBytes());
}

void ORVInteractiveCommandThreadWorker::_st_closeSerialPort(Command command)
{
    manager->statusPoll->stop();
    cradleCall(cradleCalls().CSerialClosePort);
    emit sg_protocolCommandResult(command, 0, 0, QString(), QByteArray());
}
