#include "BackupController.h"

#include <QUrl>

namespace {

constexpr int kUpgradeWarning = 2;

QString localPath(const QString& fileUrl)
{
    const QUrl url(fileUrl, QUrl::TolerantMode);
    return url.isLocalFile() ? url.toLocalFile() : fileUrl;
}

} // namespace

BackupController::BackupController(QObject* parent)
    : QObject(parent), manager(ORVInteractiveCommandManager::instance())
{
    connect(manager, &ORVInteractiveCommandManager::sg_protocolCommandResult, this, &BackupController::st_serial_event);
}

void BackupController::request(bool backup, const QString& path)
{
    ++pending;
    if (pending == 1)
        emit sigBusyChanged();
    if (backup)
        emit manager->sg_backupConfiguration(ORVInteractiveCommandManager::PROTOCOL_CONFIGBACKUP, path);
    else
        emit manager->sg_restoreConfiguration(ORVInteractiveCommandManager::PROTOCOL_CONFIGRESTORE, path);
}

void BackupController::finishOne()
{
    if (pending > 0 && --pending == 0)
        emit sigBusyChanged();
}

void BackupController::backupToFile(QString fileUrl)
{
    request(true, localPath(fileUrl));
}

void BackupController::restoreFromFile(QString fileUrl)
{
    request(false, localPath(fileUrl));
}

void BackupController::restoreUpgradeBackup()
{
    if (!lastUpgradeBackup.isEmpty())
        request(false, lastUpgradeBackup);
}

void BackupController::upgradeWithoutBackup()
{
    emit manager->sg_setUpgradeBackup(false);
}

void BackupController::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result, int,
                                       QString errorInfo, QByteArray appendData)
{
    switch (command) {
    case ORVInteractiveCommandManager::PROTOCOL_CONFIGBACKUP:
        finishOne();
        if (result == 0)
            emit sigBackupSucceed(errorInfo);
        else
            emit sigBackupFailed(errorInfo);
        break;
    case ORVInteractiveCommandManager::PROTOCOL_CONFIGRESTORE:
        finishOne();
        if (result == 0)
            emit sigRestoreSucceed(errorInfo);
        else
            emit sigRestoreFailed(appendData.isEmpty() ? int(RESTORE_GIMBAL_FAILED) : int(appendData[0]), errorInfo);
        break;
    case ORVInteractiveCommandManager::PROTOCOL_UPGRADEBACKUP:
        takenBeforeUpgrade = result == 0 ? errorInfo : QString();
        if (backupFailed != (result != 0)) {
            backupFailed = result != 0;
            emit sigUpgradeBackupChanged();
        }
        if (result != 0)
            emit sigUpgradeBackupFailed(errorInfo);
        break;
    case ORVInteractiveCommandManager::PROTOCOL_UPDATEFIRM:
        // The warning is not the end of the upgrade.
        if (result != kUpgradeWarning && !takenBeforeUpgrade.isEmpty()) {
            lastUpgradeBackup = takenBeforeUpgrade;
            takenBeforeUpgrade.clear();
            emit sigUpgradeBackupChanged();
            emit sigUpgradeFinishedWithBackup(lastUpgradeBackup);
        }
        break;
    default:
        break;
    }
}
