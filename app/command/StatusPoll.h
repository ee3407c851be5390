#ifndef STATUSPOLL_H
#define STATUSPOLL_H

#include "ORVInteractiveCommandManager.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <mutex>

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

signals:
    void sg_protocolCommandResult(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                                  int errorCode, QString errorInfo, QByteArray appendData);

private slots:
    void _st_updateCradleStatus();

private:
    QTimer* statusTimer;
    std::mutex runningLock; // held for a whole tick, so stop() waits for a tick in progress
    bool running = false;
};

#endif // STATUSPOLL_H
