#ifndef ORVINTERACTIVECOMMANDMANAGER_H
#define ORVINTERACTIVECOMMANDMANAGER_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class QThread;
class QTimer;
class ORVFirmware;
class ORVInteractiveCommandThreadWorker;
class StatusPoll;

// The one gateway to the gimbal: controllers emit the request signals, the worker runs every
// library call on its own thread, and each outcome comes back through sg_protocolCommandResult.
class ORVInteractiveCommandManager : public QObject
{
    Q_OBJECT
public:
    enum ProtocolCommandEnum {
        PROTOCOL_UPDATEFIRM = 0,
        PROTOCOL_GETVERSION,
        PROTOCOL_PARAMETERCHANNELUPLOAD,
        PROTOCOL_PARAMETERCHANNELDOWNLOAD,
        PROTOCOL_PARAMETERINSTRUMENTUPLOAD,
        PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD,
        PROTOCOL_PARAMETERTUNNINGUPLOAD,
        PROTOCOL_PARAMETERTUNNINGDOWNLOAD,
        PROTOCOL_SENDREMOTECOMMAND,
        PROTOCOL_CALIBRATION,
        PROTOCOL_CRADLESTART,
        PROTOCOL_CRADLESTOP,
        PROTOCOL_CRADLEUPDATEFIRM,
        PROTOCOL_CRADLEDATAA,
        PROTOCOL_CRADLEDATAB,
        PROTOCOL_SERIALPORTOPEN,
        PROTOCOL_SERIALPORTCLOSE,
        PROTOCOL_SERIALPORTDISCONNECT,
        // Configuration backups, after the original commands so their values never move.
        PROTOCOL_CONFIGBACKUP,
        PROTOCOL_CONFIGRESTORE,
        PROTOCOL_UPGRADEBACKUP
    };
    Q_ENUM(ProtocolCommandEnum)

    static ORVInteractiveCommandManager* instance();
    // Stops the worker and the status poll and joins their threads; a command in progress is
    // finished first.
    ~ORVInteractiveCommandManager() override;

    // The records are copied before the request is queued, so the caller may change or free its
    // list and records at once; the copies live until the upgrade's final result has passed.
    void upgradeFirmware(QList<ORVFirmware*>* firmwareList);
    void upgradeFirmwareSingle(ORVFirmware* firmware);

    // The telemetry history as the status poll copies it from the library (see StatusPoll).
    StatusPoll* telemetryHistory() const { return statusPoll; }

signals:
    void sg_getVersion(ProtocolCommandEnum command);
    void sg_upgradeFirmware(ProtocolCommandEnum command, QList<ORVFirmware*>* firmwareList);
    void sg_upgradeFirmwareSingle(ProtocolCommandEnum command, ORVFirmware* firmwareList);
    void sg_moduleUpgradeProgressChanged(qint8 upgradeModuleName, double progress);
    void sg_uploadSettings(ProtocolCommandEnum command, QList<int> param_name, QList<int> param_value);
    void sg_downloadSettings(ProtocolCommandEnum command, QList<int> param_name);
    void sg_cardleUploadTunningValue(ProtocolCommandEnum command, QList<int> param_value);
    void sg_cardleDownloadTunninValue(ProtocolCommandEnum command);
    void sg_cardleCalibration(ProtocolCommandEnum command, short para_value);
    void sg_cardleStart(ProtocolCommandEnum command);
    void sg_cardleStop(ProtocolCommandEnum command);
    void sg_cardleUpdateFirm(ProtocolCommandEnum command);
    void sg_openSerialPort(ProtocolCommandEnum command, QString portName);
    void sg_closeSerialPort(ProtocolCommandEnum command);
    void sg_protocolCommandResult(ProtocolCommandEnum command, int result, int errorCode, QString errorInfo,
                                  QByteArray appendData);
    // Backup to and restore from a file; errorInfo of the result names the file or what went wrong.
    void sg_backupConfiguration(ProtocolCommandEnum command, QString filePath);
    void sg_restoreConfiguration(ProtocolCommandEnum command, QString filePath);
    // false: the next upgrade goes ahead without saving the configuration first (reported as a
    // successful PROTOCOL_UPGRADEBACKUP with no file).
    void sg_setUpgradeBackup(bool enabled);

public slots:
    void st_moduleStartUpgrade(qint8 upgradeModuleName);

private slots:
    void _st_firmUpgradeProgress();

public slots:
    void st_protocolCommandResult(ProtocolCommandEnum command, int result, int errorCode, QString errorInfo,
                                  QByteArray appendData);

private:
    ORVInteractiveCommandManager();
    void startProgressReports();
    // Called on the worker's thread right before a unit's write: the unit and its progress are
    // recorded there, in the order the write will change them.
    void beginModuleProgress(qint8 unit);
    // Called on the GUI thread once the worker has finished with the copy that key names.
    void releaseUpgradeCopy(const void* key);

    struct UpgradeSnapshot;

    QThread* workerThread = nullptr;
    QTimer* progressTimer = nullptr;
    ORVInteractiveCommandThreadWorker* worker = nullptr;
    // The status poll and its thread: telemetry stays live while the worker waits in a long call.
    QThread* statusThread = nullptr;
    StatusPoll* statusPoll = nullptr;
    qint8 upgradeModule = 0;
    quint8 upgradeProgress = 0;
    // Record copies of the upgrades queued or running, oldest first; the worker finishes them in order.
    std::deque<std::unique_ptr<UpgradeSnapshot>> pendingUpgrades;

    friend class ORVInteractiveCommandThreadWorker;
};

#endif // ORVINTERACTIVECOMMANDMANAGER_H
