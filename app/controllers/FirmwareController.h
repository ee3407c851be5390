#ifndef FIRMWARECONTROLLER_H
#define FIRMWARECONTROLLER_H

#include <QHash>
#include <QObject>
#include <QString>

#include <deque>

#include "FirmwareListModel.h"
#include "ORVFirmware.h"
#include "ORVInteractiveCommandManager.h"

class InstrumentConfig;

// The gimbal's firmware units: asks for their versions once a port is open, loads firmware
// packages, starts upgrades and follows their progress.
class FirmwareController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(FirmwareListModel* firmwareListModel READ firmwareListModel NOTIFY sigFirmwareListModelChanged)
public:
    enum FirmwareUnit {
        UNIT_UNKNOW = 0,
        UNIT_IFB = 1,
        UNIT_MX = 2,
        UNIT_MY = 4,
        UNIT_MZ = 8
    };
    Q_ENUM(FirmwareUnit)

    explicit FirmwareController(QObject* parent = nullptr);
    ~FirmwareController() override;

    // Source of the camera module code for the package check; not owned.
    void setInstrumentConfig(InstrumentConfig* instrumentConfig);
    FirmwareListModel* firmwareListModel() const { return listModel; }

signals:
    void sigFileInfoChanged();
    void sigWrongFirmFile();
    void sigFirmclosed();
    void sigFileUpgradeStart();
    void sigFileUpgradeFinished();
    void sigFileUpgradeChanged(FirmwareUnit unitid, int progress);
    void sigGetVersionFailed();
    void sigGetVersionSuccessed();
    void sigFirmwareListModelChanged();
    // An entry for one of the gimbal's units that is not offered: its image is larger than one
    // firmware transfer carries, or the file does not hold it whole.
    void sigFirmwareEntryTooLarge(QString unitName, qint64 imageBytes, qint64 maxImageBytes);
    void sigFirmwareEntryIncomplete(QString unitName);
    // A unit was written but, after the reboot, does not report the package's version: it reports
    // another one (reason 0, reportedVersion), is missing from the report (1), or the gimbal did not
    // answer the version query (2).
    void sigFirmwareVersionUnconfirmed(QString unitName, QString reportedVersion, QString packageVersion, int reason);

public slots:
    void getVersion();
    QString getAppVersion(FirmwareUnit unitid);
    QString getFileAppVersion(FirmwareUnit unitid);
    uchar getHardwareVersion(FirmwareUnit unitid);
    ORVFirmware* getFirmware(FirmwareUnit unitid);
    ORVFirmware* getFirmware(qint8 unitid);
    void clearFirmInfo();
    void clearFirmInfoContent();
    void updateFirm(FirmwareUnit unitid);
    void updateFirm();
    void unpackFileFirmware(QString fileName);
    bool canUpdateFirm();
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result, int errorCode,
                         QString errorInfo, QByteArray appendData);
    void st_moduleUpgradeProgressChanged(qint8 upgradeModuleName, double progress);

private:
    ORVFirmware* findFirmware(quint8 unitId) const;
    void fillFromVersionReport(const QByteArray& report);
    // Unit -> the application version it ran before the upgrade.
    using UpgradeBatch = QHash<quint8, QString>;

    void applyUpgradeReport(const QByteArray& report, const UpgradeBatch& batch);
    static void markCompleted(ORVFirmware* firmware);
    void startUpgradeBatch(const QList<ORVFirmware*>& units);
    void markUpgradeCut();
    void restorePackageMarks(const QList<ORVFirmware>& previous);

    FirmwareListModel* listModel;
    ORVInteractiveCommandManager* manager;
    bool portOpen = false;
    qint32 versionRetryCount = 0;
    InstrumentConfig* instrumentConfig = nullptr;
    // The units of each upgrade queued or running, oldest first: the worker finishes them in order.
    std::deque<UpgradeBatch> upgradeBatches;
    // A disconnect came while an upgrade was in flight: its rows stay failed and no late progress
    // sample moves them.
    bool upgradeCut = false;
    // The rows and their package survive the close after a cut upgrade, and go back onto the
    // units once they are read again, so the technician can press update without reloading.
    bool keepPackageAfterCut = false;
};

#endif // FIRMWARECONTROLLER_H
