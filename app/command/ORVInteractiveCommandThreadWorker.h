#ifndef ORVINTERACTIVECOMMANDTHREADWORKER_H
#define ORVINTERACTIVECOMMANDTHREADWORKER_H

#include "ORVInteractiveCommandManager.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class ORVFirmware;

// Lives on the manager's worker thread and runs every command's library call: one request at a
// time, in the order they were emitted. It starts and stops the status poll, which runs on a thread
// of its own so that a long call here does not freeze the live values or hide a pulled cable.
class ORVInteractiveCommandThreadWorker : public QObject
{
    Q_OBJECT
public:
    explicit ORVInteractiveCommandThreadWorker(ORVInteractiveCommandManager* manager);

signals:
    void sg_moduleStartUpgrade(qint8 upgradeModuleName);
    void sg_moduleUpgradeProgressChanged(qint8 upgradeModuleName, double progress);
    void sg_protocolCommandResult(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                                  int errorCode, QString errorInfo, QByteArray appendData);
    void sg_commandExecutingProgress(quint8 commandID, double progress);
    void sg_writeData(QByteArray data);
    void sg_openSerialPortResult(bool openReuslt, int errorCode, QString errorInfo);
    void sg_cradleStatus(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result, int errorCode,
                         QString errorInfo, QByteArray appendData);

private slots:
    void _st_getVersion(ORVInteractiveCommandManager::ProtocolCommandEnum command);
    void _st_upgradeFirmware(ORVInteractiveCommandManager::ProtocolCommandEnum command,
                             QList<ORVFirmware*>* firmwareList);
    void _st_upgradeFirmwareSingle(ORVInteractiveCommandManager::ProtocolCommandEnum command,
                                   ORVFirmware* firmwareList);
    void _st_uploadSettings(ORVInteractiveCommandManager::ProtocolCommandEnum command, QList<int> param_name,
                            QList<int> param_value);
    void _st_downloadSettings(ORVInteractiveCommandManager::ProtocolCommandEnum command, QList<int> param_name);
    void _st_cardleUploadTunningValue(ORVInteractiveCommandManager::ProtocolCommandEnum command,
                                      QList<int> param_value);
    void _st_cardleDownloadTunninValue(ORVInteractiveCommandManager::ProtocolCommandEnum command);
    void _st_cardleCalibration(ORVInteractiveCommandManager::ProtocolCommandEnum command, int para_value);
    void _st_cardleStart(ORVInteractiveCommandManager::ProtocolCommandEnum command);
    void _st_cardleStop(ORVInteractiveCommandManager::ProtocolCommandEnum command);
    void _st_cardleUpdateFirm(ORVInteractiveCommandManager::ProtocolCommandEnum command);
    void _st_openSerialPort(ORVInteractiveCommandManager::ProtocolCommandEnum command, QString portName);
    void _st_closeSerialPort(ORVInteractiveCommandManager::ProtocolCommandEnum command);
    void _st_backupConfiguration(ORVInteractiveCommandManager::ProtocolCommandEnum command, QString filePath);
    void _st_restoreConfiguration(ORVInteractiveCommandManager::ProtocolCommandEnum command, QString filePath);
    // Whether the next upgrade saves the configuration first; queued ahead of the upgrade it concerns.
    void _st_setUpgradeBackup(bool enabled);

private:
    // Runs the engine's upgrade over these records and sends the final result; copyKey names the
    // manager's copy of the records, released after the result.
    void runUpgrade(ORVInteractiveCommandManager::ProtocolCommandEnum command, const QList<const ORVFirmware*>& records,
                    bool announceModules, const void* copyKey);
    void emitResult(ORVInteractiveCommandManager::ProtocolCommandEnum command, int returnValue,
                    QByteArray appendData = QByteArray());
    void releaseUpgradeCopy(const void* key);
    // True when the port vanished; the loss is then reported ahead of the failure it caused.
    bool reportPortRemoval(int returnValue);
    // Saves the gimbal's configuration into the automatic backup folder before an upgrade writes
    // anything, and reports where it went (PROTOCOL_UPGRADEBACKUP); false when it could not.
    bool takeAutomaticBackup(bool enabled);

    ORVInteractiveCommandManager* manager;
    quint8* upgradeProgress;
    // The port automatic backups are named after.
    QString openPortName;
    // Cleared by the technician's explicit choice for units that cannot answer parameter reads; the
    // next upgrade's backup step uses it and sets it again.
    bool upgradeBackupEnabled = true;
};

#endif // ORVINTERACTIVECOMMANDTHREADWORKER_H
