#ifndef STATUSPOLL_H
#define STATUSPOLL_H

#include "ORVInteractiveCommandManager.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <mutex>
#include <vector>

#include "telemetry.h"

class QTimer;

// The 200 ms status poll: telemetry A, telemetry B, then the removal check. It runs on a thread of
// its own so the values stay live and a pulled cable is noticed while the command worker is blocked
// in a long library call (a calibration, a firmware transfer); the exports it calls only copy a
// record under the library's store lock, so it never waits on a command.
class StatusPoll : public QObject
{
    Q_OBJECT
public:
    StatusPoll();

    // Both are called from the worker's thread. After stop() returns no poll result is emitted
    // until the next start(), so a close result is never followed by a stale poll result.
    void start();
    void stop();

    // Every telemetry sample, not only the latest: while wanted and the port is open, the poll copies
    // the library's history 10 times a second into a bounded queue. Both calls are safe from any
    // thread; takeHistory copies under a lock and never waits on the line.
    void setHistoryWanted(bool wanted);
    // Moves the queued samples (oldest first) into `out`; `lost` grows by the samples the library's ring
    // or this queue dropped before they were taken.
    void takeHistory(std::vector<procedures::TelemetrySample>& out, quint64& lost);

signals:
    void sg_protocolCommandResult(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                                  int errorCode, QString errorInfo, QByteArray appendData);
    // Emitted when the queue turns non-empty, so a taker is woken once per batch, not per sample.
    void sg_historyArrived();

private slots:
    void _st_updateCradleStatus();
    void _st_readHistory();

private:
    void applyHistoryTimer();

    QTimer* statusTimer;
    QTimer* historyTimer;
    std::mutex runningLock; // held for a whole tick, so stop() waits for a tick in progress
    bool running = false;
    bool historyWanted = false; // guarded by runningLock

    procedures::TelemetryCursor cursor;            // the poll thread's own
    quint64 reportedRingLost = 0;                   // of cursor.lost(), already queued as lost
    std::vector<procedures::TelemetrySample> read; // reused by every read
    std::mutex historyLock;
    std::vector<procedures::TelemetrySample> queued; // guarded by historyLock
    quint64 queuedLost = 0;                          // guarded by historyLock
};

#endif // STATUSPOLL_H
