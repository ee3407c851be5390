// The worker's firmware upgrade: the engine's upgrade run over the selected records, with the
// program's results, texts and progress signals around it.
#include "ORVInteractiveCommandThreadWorker.h"

#include "CradleCalls.h"
#include "ORVFirmware.h"
#include "UpgradeReport.h"
#include "upgrade.h"

#include <QFile>
#include <QMetaObject>

#include <algorithm>

namespace {

using Command = ORVInteractiveCommandManager::ProtocolCommandEnum;
using procedures::UnitOutcome;
using procedures::UpgradeResult;

const QString kRebooting = QStringLiteral("rebooting>>>");
const QString kNoModuleUpgrade = QStringLiteral("no module upgrade");
const QString kTempFileFailed = QStringLiteral("failed to generate temp file!");
const QString kTempFileUnreadable = QStringLiteral("failed to open temp file!");
// The port vanished mid-upgrade: the rest of the list is abandoned and no start command is sent.
const QString kPortRemoved = QStringLiteral("port removed");
constexpr double kWriteComplete = 100.0;
// The configuration could not be saved first, so nothing was written.
const QString kBackupFailed = QStringLiteral("no backup, nothing written");

procedures::UpgradeItem itemOf(const ORVFirmware& firmware)
{
    const ORVFirmware::ImageHeader header = firmware.getImageHeader();
    procedures::UpgradeItem item;
    item.unit = firmware.getUnitId();
    item.packagePath = QFile::encodeName(firmware.getPackagePath()).toStdString();
    // A negative position cannot be read; the engine then reports the image unreadable.
    item.imageStart = firmware.getImageStart() < 0 ? ~uint64_t(0) : uint64_t(firmware.getImageStart());
    item.length = firmware.imageLength();
    item.major = header[1];
    item.minor = header[2];
    item.from = firmware.getAppVersion().toStdString();
    return item;
}

char reportedOutcome(const UnitOutcome& outcome)
{
    switch (outcome.state) {
    case UnitOutcome::State::Written:
    case UnitOutcome::State::Verified: return UpgradeReport::kModuleWritten;
    case UnitOutcome::State::VersionMismatch:
        return outcome.reportedMissing ? UpgradeReport::kModuleMissing : UpgradeReport::kModuleOtherVersion;
    case UnitOutcome::State::NotVerified: return UpgradeReport::kModuleNotConfirmed;
    default: return UpgradeReport::kModuleFailed;
    }
}

// One entry per unit the run tried (it was requested), in list order.
QByteArray reportOf(const std::vector<procedures::UpgradeItem>& items, const UpgradeResult& result)
{
    QByteArray report;
    for (size_t i = 0; i < items.size(); ++i) {
        const UnitOutcome& outcome = result.units[i];
        const bool tried = outcome.state != UnitOutcome::State::NotReached
                           || ((result.end == UpgradeResult::End::ImageUnreadable || result.end == UpgradeResult::End::PortRemoved)
                               && i == result.failedItem);
        if (tried)
            UpgradeReport::add(report, items[i].unit, reportedOutcome(outcome), outcome.reported.major, outcome.reported.minor);
    }
    return report;
}

} // namespace

void ORVInteractiveCommandThreadWorker::runUpgrade(Command command, const QList<const ORVFirmware*>& records,
                                                   bool announceModules, const void* copyKey)
{
    std::vector<procedures::UpgradeItem> items;
    for (const ORVFirmware* record : records)
        items.push_back(itemOf(*record));

    procedures::UpgradeHooks hooks;
    hooks.progressByte = static_cast<unsigned char*>(upgradeProgress);
    hooks.writing = [&](size_t i) {
        const qint8 unit = static_cast<qint8>(items[i].unit);
        // Reset here, before the write can move it: a reset queued to the GUI thread could land
        // after the write and wipe its 100 %.
        manager->beginModuleProgress(unit);
        if (announceModules)
            emit sg_moduleStartUpgrade(unit);
    };
    // The 500 ms samples may miss it; every written unit reports its 100 % before the final result.
    hooks.written = [&](size_t i) { emit sg_moduleUpgradeProgressChanged(static_cast<qint8>(items[i].unit), kWriteComplete); };
    hooks.emptyImage = [&](size_t) { emit sg_protocolCommandResult(command, 2, 0, kTempFileUnreadable, QByteArray()); };

    const UpgradeResult result = procedures::runUpgrade(items, hooks);
    const QByteArray report = reportOf(items, result);
    auto finish = [&](int code, const QString& text) {
        emit sg_protocolCommandResult(command, code, 0, text, report);
        releaseUpgradeCopy(copyKey);
    };
    if (result.end == UpgradeResult::End::PortRemoved) {
        const int failedCall = result.failedItem < result.units.size() ? result.units[result.failedItem].cradleResult : 0;
        reportPortRemoval(failedCall);
    }
    if (result.started)
        finish(0, kRebooting);
    else if (result.end == UpgradeResult::End::ImageUnreadable)
        finish(1, kTempFileFailed);
    else if (result.end == UpgradeResult::End::PortRemoved)
        finish(1, kPortRemoved);
    else
        finish(0, kNoModuleUpgrade);
}

void ORVInteractiveCommandThreadWorker::releaseUpgradeCopy(const void* key)
{
    // Queued behind the final result, so the GUI thread has seen the result before the copy goes.
    ORVInteractiveCommandManager* owner = manager;
    QMetaObject::invokeMethod(owner, [owner, key] { owner->releaseUpgradeCopy(key); }, Qt::QueuedConnection);
}

void ORVInteractiveCommandThreadWorker::_st_upgradeFirmware(Command command, QList<ORVFirmware*>* firmwareList)
{
    // Going without a backup is the technician's choice for this upgrade only, even one that ends early.
    const bool backup = std::exchange(upgradeBackupEnabled, true);
    QList<const ORVFirmware*> selected;
    if (firmwareList) {
        for (const ORVFirmware* firmware : *firmwareList) {
            if (firmware && firmware->getWantUpdate())
                selected.append(firmware);
        }
    }
    if (selected.isEmpty()) {
        emit sg_protocolCommandResult(command, 0, 0, kNoModuleUpgrade, QByteArray());
        releaseUpgradeCopy(firmwareList);
        return;
    }
    if (!takeAutomaticBackup(backup)) {
        emit sg_protocolCommandResult(command, 1, 0, kBackupFailed, QByteArray());
        releaseUpgradeCopy(firmwareList);
        return;
    }
    runUpgrade(command, selected, true, firmwareList);
}

void ORVInteractiveCommandThreadWorker::_st_upgradeFirmwareSingle(Command command, ORVFirmware* firmwareList)
{
    const bool backup = std::exchange(upgradeBackupEnabled, true);  // for this upgrade only, as above
    if (!firmwareList) {
        emit sg_protocolCommandResult(command, 0, 0, kNoModuleUpgrade, QByteArray());
        releaseUpgradeCopy(firmwareList);
        return;
    }
    if (!takeAutomaticBackup(backup)) {
        emit sg_protocolCommandResult(command, 1, 0, kBackupFailed, QByteArray());
        releaseUpgradeCopy(firmwareList);
        return;
    }
    runUpgrade(command, {firmwareList}, false, firmwareList);
}
