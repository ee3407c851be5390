// The worker's configuration backups: read the gimbal into the backup format cradlectl writes, save
// it, and write a checked backup back, reading everything again to prove it took.
#include "ORVInteractiveCommandThreadWorker.h"

#include "BackupOutcome.h"
#include "CradleCalls.h"
#include "ParameterRecord.h"
#include "backup.h"

#include <QStandardPaths>


#include <algorithm>
#include <ctime>

namespace {

using Command = ORVInteractiveCommandManager::ProtocolCommandEnum;

// Parameter numbers 0 .. kParameterCount-1, in records of at most CRADLE_PARAM_MAX_COUNT.
QList<QList<int>> parameterBatches()
{
    QList<QList<int>> batches;
    for (int first = 0; first < procedures::kParameterCount; first += CRADLE_PARAM_MAX_COUNT) {
        QList<int> numbers;
        for (int n = first; n < std::min(first + CRADLE_PARAM_MAX_COUNT, procedures::kParameterCount); ++n)
            numbers.append(n);
        batches.append(numbers);
    }
    return batches;
}

int readParameters(procedures::Parameters& values)
{
    for (const QList<int>& numbers : parameterBatches()) {
        ParameterRecord::Buffer record{};
        ParameterRecord::encodeNumbers(record, numbers);
        const int rc = cradleCall(cradleCalls().DownloadCradleParameter, record.data());
        if (rc != CRADLE_OK)
            return rc;
        const QList<ParameterRecord::Entry> entries =
            ParameterRecord::decode(QByteArray(reinterpret_cast<const char*>(record.data()), int(record.size())));
        // The reply answers the numbers in the order asked.
        for (int i = 0; i < entries.size() && i < numbers.size(); ++i)
            values[size_t(numbers[i])] = quint16(entries[i].value);
    }
    return CRADLE_OK;
}

int writeParameters(const procedures::Parameters& values)
{
    for (const QList<int>& numbers : parameterBatches()) {
        QList<int> batchValues;
        for (int n : numbers)
            batchValues.append(values[size_t(n)]);
        ParameterRecord::Buffer record{};
        ParameterRecord::encode(record, numbers, batchValues);
        const int rc = cradleCall(cradleCalls().UploadCradleParameter, static_cast<const unsigned char*>(record.data()));
        if (rc != CRADLE_OK)
            return rc;
    }
    return CRADLE_OK;
}

int readConfig(procedures::ConfigRecord& config)
{
    std::array<unsigned char, CRADLE_CONFIG_BUFFER_SIZE> buffer{};
    const int rc = cradleCall(cradleCalls().DownloadCradleConfig, buffer.data());
    if (rc == CRADLE_OK)
        std::copy(buffer.begin(), buffer.begin() + CRADLE_CONFIG_RECORD_SIZE, config.begin());
    return rc;
}

int writeConfig(const procedures::ConfigRecord& config)
{
    std::array<unsigned char, CRADLE_CONFIG_BUFFER_SIZE> buffer{};
    std::copy(config.begin(), config.end(), buffer.begin());
    return cradleCall(cradleCalls().UploadCradleConfig, static_cast<const unsigned char*>(buffer.data()));
}

// Versions, parameters and configuration, as cradlectl's backup reads them; the failing call's result.
int readGimbal(procedures::Backup& backup, const QString& port)
{
    backup.taken = std::time(nullptr);
    backup.port = port.toStdString();
    std::array<unsigned char, CRADLE_VERSION_BUFFER_SIZE> versions{};
    int rc = cradleCall(cradleCalls().UnitVersionInfo, versions.data());
    if (rc != CRADLE_OK)
        return rc;
    backup.units = procedures::decodeVersionReport(versions.data(), CRADLE_VERSION_RECORD_SIZE);
    rc = readParameters(backup.parameters);
    return rc != CRADLE_OK ? rc : readConfig(backup.config);
}

QString gimbalFailure(const char* what, int rc)
{
    return QStringLiteral("%1 failed (library result %2)").arg(QLatin1String(what)).arg(rc);
}

} // namespace

void ORVInteractiveCommandThreadWorker::_st_backupConfiguration(Command command, QString filePath)
{
    procedures::Backup backup;
    if (const int rc = readGimbal(backup, openPortName); rc != CRADLE_OK) {
        emit sg_protocolCommandResult(command, 1, rc, gimbalFailure("reading the gimbal", rc),
                                      BackupOutcome::failure(BackupOutcome::kGimbalFailed));
        return;
    }
    const procedures::Status saved = procedures::saveBackup(filePath.toStdString(), backup);
    if (!saved.ok()) {
        emit sg_protocolCommandResult(command, 1, 0, QString::fromStdString(saved.message),
                                      BackupOutcome::failure(BackupOutcome::kFileNotWritten));
        return;
    }
    emit sg_protocolCommandResult(command, 0, 0, filePath, QByteArray());
}

void ORVInteractiveCommandThreadWorker::_st_restoreConfiguration(Command command, QString filePath)
{
    procedures::Backup backup;
    // The whole file is checked before the first write: a bad one changes nothing on the gimbal.
    if (const procedures::Status loaded = procedures::loadBackup(filePath.toStdString(), backup); !loaded.ok()) {
        emit sg_protocolCommandResult(command, 1, 0, QString::fromStdString(loaded.message),
                                      BackupOutcome::failure(BackupOutcome::kFileUnusable));
        return;
    }
    procedures::Parameters parameters{};
    procedures::ConfigRecord config{};
    const char* step = "writing the parameters";
    int rc = writeParameters(backup.parameters);
    if (rc == CRADLE_OK) {
        step = "writing the configuration";
        rc = writeConfig(backup.config);
    }
    if (rc == CRADLE_OK) {
        step = "reading back";
        rc = readParameters(parameters);
    }
    if (rc == CRADLE_OK)
        rc = readConfig(config);
    if (rc != CRADLE_OK) {
        emit sg_protocolCommandResult(command, 1, rc, gimbalFailure(step, rc),
                                      BackupOutcome::failure(BackupOutcome::kGimbalFailed));
        return;
    }
    const std::string differences = procedures::restoreDifferences(backup, parameters, config);
    if (!differences.empty()) {
        emit sg_protocolCommandResult(command, 1, 0, QString::fromStdString(differences),
                                      BackupOutcome::failure(BackupOutcome::kReadBackDiffers));
        return;
    }
    emit sg_protocolCommandResult(command, 0, 0, filePath, QByteArray());
}

bool ORVInteractiveCommandThreadWorker::takeAutomaticBackup()
{
    const Command command = ORVInteractiveCommandManager::PROTOCOL_UPGRADEBACKUP;
    procedures::Backup backup;
    if (const int rc = readGimbal(backup, openPortName); rc != CRADLE_OK) {
        emit sg_protocolCommandResult(command, 1, rc, gimbalFailure("reading the gimbal", rc),
                                      BackupOutcome::failure(BackupOutcome::kGimbalFailed));
        return false;
    }
    std::string path;
    // The program's data folder, the one cradlectl's flash uses too; it only reads the environment
    // and the application's names, which are fixed before the worker runs.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const procedures::Status saved = procedures::saveAutomaticBackup(folder.toStdString(), backup, path);
    if (!saved.ok()) {
        emit sg_protocolCommandResult(command, 1, 0, QString::fromStdString(saved.message),
                                      BackupOutcome::failure(BackupOutcome::kFileNotWritten));
        return false;
    }
    emit sg_protocolCommandResult(command, 0, 0, QString::fromStdString(path), QByteArray());
    return true;
}
