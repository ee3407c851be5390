#include "StatusPoll.h"

#include "Cradle.h"
#include "CradleCalls.h"

#include <QTimer>

#include <array>

namespace {

constexpr int kStatusIntervalMs = 200;
// The plots redraw at most 10 times a second: each redraw repaints the whole window, which a software
// renderer pays for; 10 a second keeps a 20 Hz stream smooth and the page within its budget.
constexpr int kHistoryIntervalMs = 100;
// Samples queued for a taker that does not come (a stalled GUI): the ring's worth of both kinds.
constexpr size_t kMaxQueued = 2 * CRADLE_TELEMETRY_HISTORY_SIZE;

using M = ORVInteractiveCommandManager;

template <size_t N>
QByteArray bytes(const std::array<unsigned char, N>& buffer, int count)
{
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), count);
}

} // namespace

StatusPoll::StatusPoll()
    : QObject(nullptr), statusTimer(new QTimer(this)), historyTimer(new QTimer(this))
{
    statusTimer->setInterval(kStatusIntervalMs);
    statusTimer->setSingleShot(false);
    connect(statusTimer, &QTimer::timeout, this, &StatusPoll::_st_updateCradleStatus);
    historyTimer->setInterval(kHistoryIntervalMs);
    connect(historyTimer, &QTimer::timeout, this, &StatusPoll::_st_readHistory);
    read.reserve(kMaxQueued);
}

void StatusPoll::start()
{
    {
        std::lock_guard<std::mutex> lock(runningLock);
        running = true;
    }
    QTimer* timer = statusTimer;
    QMetaObject::invokeMethod(timer, [timer] { timer->start(); }, Qt::QueuedConnection);
    applyHistoryTimer();
}

void StatusPoll::stop()
{
    {
        std::lock_guard<std::mutex> lock(runningLock);
        running = false;
    }
    // The timer lives on the poll's thread; a tick that fires before this arrives finds running false.
    QTimer* timer = statusTimer;
    QMetaObject::invokeMethod(timer, [timer] { timer->stop(); }, Qt::QueuedConnection);
    applyHistoryTimer();
}

void StatusPoll::setHistoryWanted(bool wanted)
{
    {
        std::lock_guard<std::mutex> lock(runningLock);
        historyWanted = wanted;
    }
    applyHistoryTimer();
}

// Runs on the poll's thread, after every change queued before it, so the last change wins.
void StatusPoll::applyHistoryTimer()
{
    QMetaObject::invokeMethod(this, [this] {
        bool reading;
        {
            std::lock_guard<std::mutex> lock(runningLock);
            reading = running && historyWanted;
        }
        if (reading && !historyTimer->isActive())
            historyTimer->start();
        else if (!reading)
            historyTimer->stop();
    }, Qt::QueuedConnection);
}

void StatusPoll::_st_readHistory()
{
    read.clear();
    cursor.readNew(read);
    const quint64 ringLost = cursor.lost();
    if (read.empty() && ringLost == reportedRingLost)
        return;
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> lock(historyLock);
        wasEmpty = queued.empty();
        queued.insert(queued.end(), read.begin(), read.end());
        if (queued.size() > kMaxQueued) {
            const size_t dropped = queued.size() - kMaxQueued;
            queued.erase(queued.begin(), queued.begin() + std::ptrdiff_t(dropped));
            queuedLost += dropped;
        }
        queuedLost += ringLost - reportedRingLost;
    }
    reportedRingLost = ringLost;
    if (wasEmpty)
        emit sg_historyArrived();
}

void StatusPoll::takeHistory(std::vector<procedures::TelemetrySample>& out, quint64& lost)
{
    std::lock_guard<std::mutex> lock(historyLock);
    out.insert(out.end(), queued.begin(), queued.end());
    queued.clear();
    lost += queuedLost;
    queuedLost = 0;
}

void StatusPoll::_st_updateCradleStatus()
{
    std::lock_guard<std::mutex> lock(runningLock);
    if (!running)
        return;

    std::array<unsigned char, CRADLE_TELEMETRY_A_BUFFER_SIZE> recordA{};
    if (cradleCall(cradleCalls().GetLogCradleDataA, recordA.data()) == CRADLE_OK)
        emit sg_protocolCommandResult(M::PROTOCOL_CRADLEDATAA, 0, 0, QString(), bytes(recordA, CRADLE_TELEMETRY_A_SIZE));

    std::array<unsigned char, CRADLE_TELEMETRY_B_BUFFER_SIZE> recordB{};
    const int rcB = cradleCall(cradleCalls().GetLogCradleDataB, recordB.data());
    if (rcB == CRADLE_OK)
        emit sg_protocolCommandResult(M::PROTOCOL_CRADLEDATAB, 0, 0, QString(), bytes(recordB, CRADLE_TELEMETRY_B_SIZE));

    if (cradleCall(cradleCalls().GetSerialLastError) == CRADLE_SERIAL_PORT_REMOVED)
        emit sg_protocolCommandResult(M::PROTOCOL_SERIALPORTDISCONNECT, rcB != 0 ? 1 : 0, rcB, QString(), QByteArray());
}
