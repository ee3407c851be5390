#ifndef SCRIPTEDCRADLE_H
#define SCRIPTEDCRADLE_H

#include <QByteArray>
#include <QList>
#include <QMap>

#include <condition_variable>
#include <mutex>

// A scripted library behind the worker's call table: each answer is set by the test, and every
// call and buffer the worker hands over is kept for inspection. The worker calls it on its own
// thread, so all state sits behind one lock.
class ScriptedCradle
{
public:
    struct State {
        int openResult = 1;               // CSerialOpenPort: non-zero means open
        int lastError = 0;                // GetSerialLastError
        int versionResult = 0;            // UnitVersionInfo, once the failures below are used up
        int versionFailures = 0;          // this many first queries fail with code 2
        QByteArray versionRecord;         // copied into its buffer (at most 188 bytes)
        int parameterResult = 0;          // Upload/DownloadCradleParameter
        QMap<int, quint16> parameterValues; // what a download puts in for each requested number
        int configResult = 0;             // Upload/DownloadCradleConfig
        QByteArray configRecord;          // what a download puts in (at most 40 bytes)
        bool storesWrites = false;        // uploads change what later downloads give, like a gimbal
        int controlResult = 0;            // calibration, start, stop, mechanism update
        int telemetryAResult = 0, telemetryBResult = 0;
        QByteArray telemetryA, telemetryB; // what GetLogCradleDataA/B put in
        QMap<int, int> requestResult;     // UpdateFirmRequest per unit (default 0)
        QMap<int, int> writeResult;       // WriteFirm per unit (default 0)
        QByteArray versionRecordAfterStart; // once set, SendStartFsApp makes it the version record:
                                            // the versions the gimbal reboots into

        QStringList calls;                // names of the calls, in order
        QByteArray lastParameterRecord;   // the 52 bytes handed to the last parameter call
        QByteArray lastConfigRecord;      // the 40 bytes handed to the last config call
        int lastCalibration = -1;
        QList<QPair<int, QByteArray>> writtenImages; // unit and image of every WriteFirm
        bool holdWrites = false;          // WriteFirm waits until releaseWrites()
        int writePermits = -1;            // from 0 on, each WriteFirm waits for a permit of its own
        bool holdCalibrations = false;    // CradleCalibration waits until releaseWrites()
        bool writeWaiting = false;        // a WriteFirm or CradleCalibration is being held
    };

    // Points the worker's call table at the script and resets the script. Qt's test mode keeps the
    // automatic backups an upgrade takes out of the user's own data folder.
    static void install();
    // Restores the library's exports.
    static void uninstall();
    static void reset();

    // Runs f on the script's state under its lock.
    template <typename F>
    static auto with(F f)
    {
        std::lock_guard<std::mutex> lock(mutex());
        return f(state());
    }

    static QStringList calls();
    static int callCount(const QString& name);
    // Waits (condition variable) until a WriteFirm or CradleCalibration is held; false after the time-out.
    static bool waitForHeldWrite(int timeoutMs);
    static void releaseWrites();

    // Internals shared with the scripted functions.
    static std::mutex& mutex();
    static std::condition_variable& changed();
    static State& state();
};

#endif // SCRIPTEDCRADLE_H
