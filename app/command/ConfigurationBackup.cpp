// The worker's configuration backups: the engine reads the gimbal into the backup format cradlectl
// writes, and writes a checked backup back, reading everything again to prove it took. Here they only
// become command results.
#include "ORVInteractiveCommandThreadWorker.h"

#include "BackupOutcome.h"
#include "CradleCalls.h"
#include "configuration.h"
#include "exit_codes.h"
#include "gimbal_io.h"

#include <QStandardPaths>

namespace {

using Command = ORVInteractiveCommandManager::ProtocolCommandEnum;

QString text(const std::string& message)
{
    return QString::fromStdString(message);
}

} // namespace

void ORVInteractiveCommandThreadWorker::_st_backupConfiguration(Command command, QString filePath)
{
    procedures::Backup backup;
    if (const procedures::Status read = procedures::readBackup(cradleCalls(), openPortName.toStdString(), backup); !read.ok()) {
        emit sg_protocolCommandResult(command, 1, read.libraryResult, text(read.message),
                                      BackupOutcome::failure(BackupOutcome::kGimbalFailed));
        return;
    }
    const procedures::Status saved = procedures::saveBackup(filePath.toStdString(), backup);
    if (!saved.ok()) {
        emit sg_protocolCommandResult(command, 1, 0, text(saved.message), BackupOutcome::failure(BackupOutcome::kFileNotWritten));
        return;
    }
    emit sg_protocolCommandResult(command, 0, 0, filePath, QByteArray());
}

void ORVInteractiveCommandThreadWorker::_st_restoreConfiguration(Command command, QString filePath)
{
    procedures::Backup backup;
    // The whole file is checked before the first write: a bad one changes nothing on the gimbal.
    if (const procedures::Status loaded = procedures::loadBackup(filePath.toStdString(), backup); !loaded.ok()) {
        emit sg_protocolCommandResult(command, 1, 0, text(loaded.message), BackupOutcome::failure(BackupOutcome::kFileUnusable));
        return;
    }
    // The program offers no forcing: a backup from another kind of gimbal is refused like a bad file.
    procedures::RestoreOptions options;
    options.backup.enabled = false;
    const procedures::RestoreResult r = procedures::restoreBackup(cradleCalls(), openPortName.toStdString(), backup, options);
    if (r.status.ok()) {
        emit sg_protocolCommandResult(command, 0, 0, filePath, QByteArray());
        return;
    }
    const BackupOutcome::Failure failure = r.status.exit == procedures::kExitBadFile ? BackupOutcome::kFileUnusable
        : r.status.exit == procedures::kExitVerifyFailed                            ? BackupOutcome::kReadBackDiffers
                                                                                     : BackupOutcome::kGimbalFailed;
    emit sg_protocolCommandResult(command, 1, r.status.libraryResult, text(r.status.message), BackupOutcome::failure(failure));
}

void ORVInteractiveCommandThreadWorker::_st_setUpgradeBackup(bool enabled)
{
    upgradeBackupEnabled = enabled;
}

bool ORVInteractiveCommandThreadWorker::takeAutomaticBackup(bool enabled)
{
    const Command command = ORVInteractiveCommandManager::PROTOCOL_UPGRADEBACKUP;
    procedures::BackupPolicy policy;
    // The program's data folder, the one cradlectl's flash uses too; it only reads the environment
    // and the application's names, which are fixed before the worker runs.
    policy.folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    policy.enabled = enabled;
    std::string path;
    const procedures::Status s = procedures::takeAutomaticBackup(cradleCalls(), openPortName.toStdString(), policy, path);
    if (!s.ok()) {
        const bool readFailed = s.libraryResult != 0;
        emit sg_protocolCommandResult(command, 1, s.libraryResult, text(s.message),
                                      BackupOutcome::failure(readFailed ? BackupOutcome::kGimbalFailed : BackupOutcome::kFileNotWritten));
        return false;
    }
    emit sg_protocolCommandResult(command, 0, 0, QString::fromStdString(path), QByteArray());
    return true;
}
