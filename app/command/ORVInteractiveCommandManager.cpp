#include "ORVInteractiveCommandManager.h"

#include "ORVFirmware.h"
#include "ORVInteractiveCommandThreadWorker.h"
#include "StatusPoll.h"

#include <QThread>
#include <QTimer>

#include <atomic>

namespace {
constexpr int kProgressIntervalMs = 500;
}

// Copies of the records one upgrade walks; the worker reads only these, so the firmware list
// can be refilled, cleared or edited on the GUI thread while the upgrade runs.
struct ORVInteractiveCommandManager::UpgradeSnapshot {
    QList<ORVFirmware*> records;
    ~UpgradeSnapshot() { qDeleteAll(records); }
};

ORVInteractiveCommandManager* ORVInteractiveCommandManager::instance()
{
    // Lives until main deletes it after the event loop; only ever reached from the GUI thread.
    static ORVInteractiveCommandManager* manager = new ORVInteractiveCommandManager();
    return manager;
}

ORVInteractiveCommandManager::ORVInteractiveCommandManager()
    : QObject(nullptr)
{
    progressTimer = new QTimer(this);
    qRegisterMetaType<ProtocolCommandEnum>("ProtocolCommandEnum");
    qRegisterMetaType<QList<int>>();
    workerThread = new QThread(this);
    statusThread = new QThread(this);
    statusPoll = new StatusPoll();
    statusPoll->moveToThread(statusThread);
    connect(statusPoll, &StatusPoll::sg_protocolCommandResult, this,
            &ORVInteractiveCommandManager::st_protocolCommandResult);
    statusThread->start(QThread::InheritPriority);
    worker = new ORVInteractiveCommandThreadWorker(this);
    worker->moveToThread(workerThread);
    workerThread->start(QThread::InheritPriority);
    workerThread->setPriority(QThread::HighPriority);
    progressTimer->setSingleShot(false);
    progressTimer->setInterval(kProgressIntervalMs);
    connect(progressTimer, &QTimer::timeout, this, &ORVInteractiveCommandManager::_st_firmUpgradeProgress);
}

ORVInteractiveCommandManager::~ORVInteractiveCommandManager()
{
    worker->deleteLater();
    workerThread->quit();
    workerThread->wait();
    delete workerThread;
    workerThread = nullptr;
    // After the worker: its last close may still stop the poll.
    statusPoll->deleteLater();
    statusThread->quit();
    statusThread->wait();
    delete statusThread;
    statusThread = nullptr;
}

void ORVInteractiveCommandManager::startProgressReports()
{
    std::atomic_ref<quint8>(upgradeProgress).store(0, std::memory_order_relaxed);
    progressTimer->start();
}

void ORVInteractiveCommandManager::upgradeFirmware(QList<ORVFirmware*>* firmwareList)
{
    QList<ORVFirmware*>* walked = nullptr;
    if (firmwareList) {
        auto snapshot = std::make_unique<UpgradeSnapshot>();
        for (const ORVFirmware* record : *firmwareList) {
            if (record)
                snapshot->records.append(new ORVFirmware(*record));
        }
        walked = &snapshot->records;
        pendingUpgrades.push_back(std::move(snapshot));
    }
    startProgressReports();
    emit sg_upgradeFirmware(PROTOCOL_UPDATEFIRM, walked);
}

void ORVInteractiveCommandManager::upgradeFirmwareSingle(ORVFirmware* firmware)
{
    ORVFirmware* walked = nullptr;
    if (firmware) {
        auto snapshot = std::make_unique<UpgradeSnapshot>();
        snapshot->records.append(new ORVFirmware(*firmware));
        walked = snapshot->records.first();
        pendingUpgrades.push_back(std::move(snapshot));
    }
    startProgressReports();
    emit sg_upgradeFirmwareSingle(PROTOCOL_UPDATEFIRM, walked);
}

void ORVInteractiveCommandManager::releaseUpgradeCopy(const void* key)
{
    for (auto it = pendingUpgrades.begin(); it != pendingUpgrades.end(); ++it) {
        const UpgradeSnapshot& snapshot = **it;
        if (key == &snapshot.records || (!snapshot.records.isEmpty() && key == snapshot.records.first())) {
            pendingUpgrades.erase(it);
            return;
        }
    }
}

void ORVInteractiveCommandManager::beginModuleProgress(qint8 unit)
{
    std::atomic_ref<quint8>(upgradeProgress).store(0, std::memory_order_relaxed);
    std::atomic_ref<qint8>(upgradeModule).store(unit, std::memory_order_release);
}

// The worker has already recorded the module and reset its progress (beginModuleProgress); a reset
// from here would arrive late and could wipe a finished write. Show the new row at once instead.
void ORVInteractiveCommandManager::st_moduleStartUpgrade(qint8)
{
    if (progressTimer->isActive())
        _st_firmUpgradeProgress();
}

void ORVInteractiveCommandManager::_st_firmUpgradeProgress()
{
    // The module first: once its new value is seen, so is the reset of the progress before it.
    const qint8 module = std::atomic_ref<qint8>(upgradeModule).load(std::memory_order_acquire);
    const quint8 progress = std::atomic_ref<quint8>(upgradeProgress).load(std::memory_order_relaxed);
    emit sg_moduleUpgradeProgressChanged(module, double(progress));
}

void ORVInteractiveCommandManager::st_protocolCommandResult(ProtocolCommandEnum command, int result, int errorCode,
                                                            QString errorInfo, QByteArray appendData)
{
    emit sg_protocolCommandResult(command, result, errorCode, errorInfo, appendData);
    if (command == PROTOCOL_UPDATEFIRM)
        progressTimer->stop();
}
