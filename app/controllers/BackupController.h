#ifndef BACKUPCONTROLLER_H
#define BACKUPCONTROLLER_H

#include <QObject>
#include <QString>

#include "BackupOutcome.h"
#include "ORVInteractiveCommandManager.h"

// Configuration backups for the pages: backup to and restore from a file the technician picks, and
// the automatic backup the worker takes before every firmware upgrade, offered for restoring once
// the upgrade has ended. The worker does the reading, writing and file work.
class BackupController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy NOTIFY sigBusyChanged)
    Q_PROPERTY(QString upgradeBackupPath READ upgradeBackupPath NOTIFY sigUpgradeBackupChanged)
    // The last upgrade wrote nothing because its backup failed: the page offers to go without one.
    Q_PROPERTY(bool upgradeBackupFailed READ upgradeBackupFailed NOTIFY sigUpgradeBackupChanged)
public:
    // Why a restore failed, as the worker reports it, for the page's choice of message.
    enum RestoreFailure {
        RESTORE_FILE_UNUSABLE = BackupOutcome::kFileUnusable,
        RESTORE_GIMBAL_FAILED = BackupOutcome::kGimbalFailed,
        RESTORE_READBACK_DIFFERS = BackupOutcome::kReadBackDiffers
    };
    Q_ENUM(RestoreFailure)

    explicit BackupController(QObject* parent = nullptr);

    bool busy() const { return pending > 0; }
    // The automatic backup taken before the last upgrade; empty until an upgrade has ended.
    QString upgradeBackupPath() const { return lastUpgradeBackup; }
    bool upgradeBackupFailed() const { return backupFailed; }

signals:
    void sigBusyChanged();
    void sigBackupSucceed(QString path);
    void sigBackupFailed(QString reason);
    void sigRestoreSucceed(QString path);
    void sigRestoreFailed(int failure, QString reason);
    void sigUpgradeBackupChanged();
    // An upgrade ended; its configuration was saved to path before anything was written.
    void sigUpgradeFinishedWithBackup(QString path);
    // The configuration could not be saved, so the upgrade wrote nothing.
    void sigUpgradeBackupFailed(QString reason);

public slots:
    // Both take the URL a file dialog gives (or a plain path).
    void backupToFile(QString fileUrl);
    void restoreFromFile(QString fileUrl);
    void restoreUpgradeBackup();
    // The technician's explicit choice for units that cannot answer parameter reads: the next upgrade
    // writes without saving the configuration first. Call it right before starting that upgrade.
    void upgradeWithoutBackup();
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result, int errorCode,
                         QString errorInfo, QByteArray appendData);

private:
    void request(bool backup, const QString& path);
    void finishOne();

    ORVInteractiveCommandManager* manager;
    int pending = 0;
    QString takenBeforeUpgrade;
    QString lastUpgradeBackup;
    bool backupFailed = false;
};

#endif // BACKUPCONTROLLER_H
