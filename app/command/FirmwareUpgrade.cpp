// The worker's firmware upgrade: copy each selected unit's image out of the package, write it
// through the library, and end with exactly one final result.
#include "ORVInteractiveCommandThreadWorker.h"

#include "CradleCalls.h"
#include "ORVFirmware.h"
#include "UpgradeReport.h"

#include <QFile>
#include <QMetaObject>
#include <QTemporaryFile>
#include <QThread>

#include <algorithm>

#include "firmware_package_format.h"

namespace {

using Command = ORVInteractiveCommandManager::ProtocolCommandEnum;

// Anything larger is no image of this gimbal; refusing it keeps a corrupt header from
// making us allocate gigabytes.
constexpr qint64 kMaxImageBytes = firmware_package::kMaxImageBytes;
constexpr unsigned long kPauseAfterWriteMs = 1000;

const QString kRebooting = QStringLiteral("rebooting>>>");
const QString kNoModuleUpgrade = QStringLiteral("no module upgrade");
const QString kTempFileFailed = QStringLiteral("failed to generate temp file!");
const QString kTempFileUnreadable = QStringLiteral("failed to open temp file!");
// The port vanished mid-upgrade: the rest of the list is abandoned and no start command is sent.
const QString kPortRemoved = QStringLiteral("port removed");
constexpr double kWriteComplete = 100.0;
// The configuration could not be saved first, so nothing was written.
const QString kBackupFailed = QStringLiteral("no backup, nothing written");

// Copies the image into the temporary file. False on any read or write error, and when the
// package holds fewer bytes than the header promises: a short image must never be flashed.
bool copyImage(QFile& package, QFile& temporary, qint64 imageStart, qint64 length)
{
    if (length > kMaxImageBytes || imageStart < 0 || package.size() - imageStart < length)
        return false;
    QByteArray buffer(static_cast<int>(length), Qt::Uninitialized);
    qint64 copied = 0;
    while (copied < length) {
        const qint64 got = package.read(buffer.data() + copied, length - copied);
        if (got <= 0)
            return false;
        qint64 written = 0;
        while (written < got) {
            const qint64 put = temporary.write(buffer.constData() + copied + written, got - written);
            if (put < 0)
                return false;
            written += put;
        }
        copied += got;
    }
    return true;
}

} // namespace

ORVInteractiveCommandThreadWorker::ModuleOutcome
ORVInteractiveCommandThreadWorker::writeModule(Command command, const ORVFirmware& firmware, bool announceModule)
{
    QFile package(firmware.getPackagePath());
    if (!package.open(QIODevice::ReadOnly))
        return ModuleOutcome::CopyFailed;
    QTemporaryFile temporary;
    if (!temporary.open())
        return ModuleOutcome::CopyFailed;

    if (package.seek(firmware.getImageStart())) {
        if (!copyImage(package, temporary, firmware.getImageStart(), firmware.imageLength()))
            return ModuleOutcome::CopyFailed;
    }

    temporary.close();
    QByteArray image;
    if (!temporary.open() || temporary.size() == 0) {
        emit sg_protocolCommandResult(command, 2, 0, kTempFileUnreadable, QByteArray());
        // The library divides by the block count, so an empty image must not reach it.
        return ModuleOutcome::NotWritten;
    }
    image = temporary.readAll();
    temporary.close();
    if (image.isEmpty()) {
        emit sg_protocolCommandResult(command, 2, 0, kTempFileUnreadable, QByteArray());
        return ModuleOutcome::NotWritten;
    }

    const int unit = firmware.getUnitId();
    const qint8 unitName = static_cast<qint8>(firmware.getUnitId());
    // Reset here, before the write can move it: a reset queued to the GUI thread could land after
    // the write and wipe its 100 %.
    manager->beginModuleProgress(unitName);
    if (announceModule)
        emit sg_moduleStartUpgrade(unitName);
    const int rc = cradleCall(cradleCalls().WriteFirm, static_cast<const int*>(&unit),
                              reinterpret_cast<const unsigned char*>(image.constData()),
                              static_cast<unsigned int>(image.size()), static_cast<unsigned char*>(upgradeProgress));
    if (rc != CRADLE_OK)
        return reportPortRemoval(rc) ? ModuleOutcome::PortRemoved : ModuleOutcome::NotWritten;
    // The 500 ms samples may miss it; every written unit reports its 100 % before the final result.
    emit sg_moduleUpgradeProgressChanged(unitName, kWriteComplete);
    // Gives the unit time to commit the image before the next request.
    QThread::msleep(kPauseAfterWriteMs);
    return ModuleOutcome::Written;
}

void ORVInteractiveCommandThreadWorker::releaseUpgradeCopy(const void* key)
{
    // Queued behind the final result, so the GUI thread has seen the result before the copy goes.
    ORVInteractiveCommandManager* owner = manager;
    QMetaObject::invokeMethod(owner, [owner, key] { owner->releaseUpgradeCopy(key); }, Qt::QueuedConnection);
}

void ORVInteractiveCommandThreadWorker::_st_upgradeFirmware(Command command, QList<ORVFirmware*>* firmwareList)
{
    QByteArray report;
    auto finish = [&](int result, const QString& text) {
        emit sg_protocolCommandResult(command, result, 0, text, report);
        releaseUpgradeCopy(firmwareList);
    };

    if (!firmwareList || firmwareList->isEmpty()) {
        finish(0, kNoModuleUpgrade);
        return;
    }
    const bool anySelected = std::any_of(firmwareList->cbegin(), firmwareList->cend(),
                                         [](const ORVFirmware* firmware) { return firmware && firmware->getWantUpdate(); });
    if (anySelected && !takeAutomaticBackup()) {
        finish(1, kBackupFailed);
        return;
    }
    bool anyWritten = false;
    for (int i = 0; i < firmwareList->size(); ++i) {
        const ORVFirmware* firmware = firmwareList->at(i);
        if (!firmware || !firmware->getWantUpdate())
            continue;
        const int unit = firmware->getUnitId();
        const int requestResult = cradleCall(cradleCalls().UpdateFirmRequest, static_cast<const int*>(&unit));
        if (requestResult != CRADLE_OK) {
            UpgradeReport::add(report, firmware->getUnitId(), false);
            if (reportPortRemoval(requestResult)) {
                finish(1, kPortRemoved);
                return;
            }
            continue;
        }
        const ModuleOutcome outcome = writeModule(command, *firmware, true);
        UpgradeReport::add(report, firmware->getUnitId(), outcome == ModuleOutcome::Written);
        if (outcome == ModuleOutcome::CopyFailed) {
            finish(1, kTempFileFailed);
            return;
        }
        if (outcome == ModuleOutcome::PortRemoved) {
            finish(1, kPortRemoved);
            return;
        }
        anyWritten = anyWritten || outcome == ModuleOutcome::Written;
    }
    if (anyWritten) {
        cradleCall(cradleCalls().SendStartFsApp);
        finish(0, kRebooting);
    } else {
        finish(0, kNoModuleUpgrade);
    }
}

void ORVInteractiveCommandThreadWorker::_st_upgradeFirmwareSingle(Command command, ORVFirmware* firmwareList)
{
    QByteArray report;
    auto finish = [&](int result, const QString& text) {
        emit sg_protocolCommandResult(command, result, 0, text, report);
        releaseUpgradeCopy(firmwareList);
    };

    if (!firmwareList) {
        finish(0, kNoModuleUpgrade);
        return;
    }
    if (!takeAutomaticBackup()) {
        finish(1, kBackupFailed);
        return;
    }
    const int unit = firmwareList->getUnitId();
    const int requestResult = cradleCall(cradleCalls().UpdateFirmRequest, static_cast<const int*>(&unit));
    if (requestResult != CRADLE_OK) {
        UpgradeReport::add(report, firmwareList->getUnitId(), false);
        if (reportPortRemoval(requestResult))
            finish(1, kPortRemoved);
        else
            finish(0, kNoModuleUpgrade);
        return;
    }
    const ModuleOutcome outcome = writeModule(command, *firmwareList, false);
    UpgradeReport::add(report, firmwareList->getUnitId(), outcome == ModuleOutcome::Written);
    if (outcome == ModuleOutcome::CopyFailed) {
        finish(1, kTempFileFailed);
    } else if (outcome == ModuleOutcome::PortRemoved) {
        finish(1, kPortRemoved);
    } else if (outcome == ModuleOutcome::Written) {
        cradleCall(cradleCalls().SendStartFsApp);
        finish(0, kRebooting);
    } else {
        finish(0, kNoModuleUpgrade);
    }
}
