#include "StatusPoll.h"

#include "Cradle.h"
#include "CradleCalls.h"

#include <QTimer>

#include <array>

namespace {

constexpr int kStatusIntervalMs = 200;

using M = ORVInteractiveCommandManager;

template <size_t N>
QByteArray bytes(const std::array<unsigned char, N>& buffer, int count)
{
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), count);
}

} // namespace

StatusPoll::StatusPoll()
    : QObject(nullptr), statusTimer(new QTimer(this))
{
    statusTimer->setInterval(kStatusIntervalMs);
    statusTimer->setSingleShot(false);
    connect(statusTimer, &QTimer::timeout, this, &StatusPoll::_st_updateCradleStatus);
}

void StatusPoll::start()
{
    {
        std::lock_guard<std::mutex> lock(runningLock);
        running = true;
    }
    QTimer* timer = statusTimer;
    QMetaObject::invokeMethod(timer, [timer] { timer->start(); }, Qt::QueuedConnection);
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
