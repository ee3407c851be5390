#include "ScriptedCradle.h"

#include "Cradle.h"
#include "CradleCalls.h"
#include "ParameterRecord.h"

#include <QStandardPaths>

#include <chrono>
#include <cstring>

namespace {

using Lock = std::unique_lock<std::mutex>;

void note(ScriptedCradle::State& s, const char* name)
{
    s.calls.append(QString::fromLatin1(name));
}

void copyOut(unsigned char* buffer, const QByteArray& bytes, int limit)
{
    std::memcpy(buffer, bytes.constData(), size_t(qMin(bytes.size(), limit)));
}

int scriptedOpen(const char*, int, int, int, int)
{
    return ScriptedCradle::with([](ScriptedCradle::State& s) { note(s, "CSerialOpenPort"); return s.openResult; });
}

int scriptedClose()
{
    return ScriptedCradle::with([](ScriptedCradle::State& s) { note(s, "CSerialClosePort"); return 0; });
}

int scriptedLastError()
{
    return ScriptedCradle::with([](ScriptedCradle::State& s) { return s.lastError; });
}

int scriptedVersion(unsigned char* record)
{
    return ScriptedCradle::with([record](ScriptedCradle::State& s) {
        note(s, "UnitVersionInfo");
        copyOut(record, s.versionRecord, CRADLE_VERSION_BUFFER_SIZE);
        if (s.versionFailures > 0) {
            --s.versionFailures;
            return int(CRADLE_E_NO_REPLY);
        }
        return s.versionResult;
    });
}

int scriptedUpdateRequest(const int* unit)
{
    return ScriptedCradle::with([unit](ScriptedCradle::State& s) {
        note(s, "UpdateFirmRequest");
        return s.requestResult.value(*unit, CRADLE_OK);
    });
}

// Keeps the calling worker inside its calibration call until the test releases it.
void holdWhile(Lock& lock, ScriptedCradle::State& s, bool ScriptedCradle::State::*hold)
{
    if (!(s.*hold))
        return;
    s.writeWaiting = true;
    ScriptedCradle::changed().notify_all();
    ScriptedCradle::changed().wait(lock, [&s, hold] { return !(s.*hold); });
    s.writeWaiting = false;
}

int scriptedWriteFirm(const int* unit, const unsigned char* image, unsigned int length, unsigned char* progress)
{
    Lock lock(ScriptedCradle::mutex());
    ScriptedCradle::State& s = ScriptedCradle::state();
    note(s, "WriteFirm");
    s.writtenImages.append({*unit, QByteArray(reinterpret_cast<const char*>(image), int(length))});
    if (s.holdWrites || s.writePermits >= 0) {
        s.writeWaiting = true;
        ScriptedCradle::changed().notify_all();
        ScriptedCradle::changed().wait(lock, [&s] { return !s.holdWrites && s.writePermits != 0; });
        if (s.writePermits > 0)
            --s.writePermits;
        s.writeWaiting = false;
    }
    const int result = s.writeResult.value(*unit, CRADLE_OK);
    if (result == CRADLE_OK)
        *progress = 100;
    return result;
}

int scriptedStartApp()
{
    return ScriptedCradle::with([](ScriptedCradle::State& s) {
        note(s, "SendStartFsApp");
        if (!s.versionRecordAfterStart.isEmpty())
            s.versionRecord = s.versionRecordAfterStart;
        return 1;
    });
}

int scriptedUploadParameter(const unsigned char* record)
{
    return ScriptedCradle::with([record](ScriptedCradle::State& s) {
        note(s, "UploadCradleParameter");
        s.lastParameterRecord = QByteArray(reinterpret_cast<const char*>(record), CRADLE_PARAM_RECORD_SIZE);
        if (s.storesWrites && s.parameterResult == 0) {
            for (const ParameterRecord::Entry& entry : ParameterRecord::decode(s.lastParameterRecord))
                s.parameterValues[entry.number] = quint16(entry.value);
        }
        return s.parameterResult;
    });
}

int scriptedDownloadParameter(unsigned char* record)
{
    return ScriptedCradle::with([record](ScriptedCradle::State& s) {
        note(s, "DownloadCradleParameter");
        s.lastParameterRecord = QByteArray(reinterpret_cast<const char*>(record), CRADLE_PARAM_RECORD_SIZE);
        if (s.parameterResult != CRADLE_OK)
            return s.parameterResult;
        const int count = qMin(int(record[CRADLE_PARAM_COUNT_OFFSET]), int(CRADLE_PARAM_MAX_COUNT));
        for (int i = 0; i < count; ++i) {
            const quint16 value = s.parameterValues.value(record[CRADLE_PARAM_NUMBERS_OFFSET + i], 0);
            record[CRADLE_PARAM_VALUES_OFFSET + 2 * i] = value & 0xFF;
            record[CRADLE_PARAM_VALUES_OFFSET + 2 * i + 1] = value >> 8;
        }
        return int(CRADLE_OK);
    });
}

int scriptedUploadConfig(const unsigned char* record)
{
    return ScriptedCradle::with([record](ScriptedCradle::State& s) {
        note(s, "UploadCradleConfig");
        s.lastConfigRecord = QByteArray(reinterpret_cast<const char*>(record), CRADLE_CONFIG_BUFFER_SIZE);
        if (s.storesWrites && s.configResult == 0)
            s.configRecord = s.lastConfigRecord;
        return s.configResult;
    });
}

int scriptedDownloadConfig(unsigned char* record)
{
    return ScriptedCradle::with([record](ScriptedCradle::State& s) {
        note(s, "DownloadCradleConfig");
        copyOut(record, s.configRecord, CRADLE_CONFIG_BUFFER_SIZE);
        return s.configResult;
    });
}

int scriptedCalibration(int type)
{
    Lock lock(ScriptedCradle::mutex());
    ScriptedCradle::State& s = ScriptedCradle::state();
    note(s, "CradleCalibration");
    s.lastCalibration = type;
    holdWhile(lock, s, &ScriptedCradle::State::holdCalibrations);
    return s.controlResult;
}

int scriptedStart()
{
    return ScriptedCradle::with([](ScriptedCradle::State& s) { note(s, "CradleStart"); return s.controlResult; });
}

int scriptedStop()
{
    return ScriptedCradle::with([](ScriptedCradle::State& s) { note(s, "CradleStop"); return s.controlResult; });
}

int scriptedMechanismUpdate()
{
    return ScriptedCradle::with(
        [](ScriptedCradle::State& s) { note(s, "CradleUpdateMechanismFirm"); return s.controlResult; });
}

int scriptedTelemetryA(unsigned char* record)
{
    return ScriptedCradle::with([record](ScriptedCradle::State& s) {
        copyOut(record, s.telemetryA, CRADLE_TELEMETRY_A_BUFFER_SIZE);
        return s.telemetryAResult;
    });
}

int scriptedTelemetryB(unsigned char* record)
{
    return ScriptedCradle::with([record](ScriptedCradle::State& s) {
        copyOut(record, s.telemetryB, CRADLE_TELEMETRY_B_BUFFER_SIZE);
        return s.telemetryBResult;
    });
}

} // namespace

std::mutex& ScriptedCradle::mutex()
{
    static std::mutex m;
    return m;
}

std::condition_variable& ScriptedCradle::changed()
{
    static std::condition_variable c;
    return c;
}

ScriptedCradle::State& ScriptedCradle::state()
{
    static State s;
    return s;
}

void ScriptedCradle::install()
{
    QStandardPaths::setTestModeEnabled(true);
    reset();
    cradleCalls() = CradleCalls{
        scriptedOpen, scriptedClose, scriptedLastError, scriptedVersion, scriptedUpdateRequest,
        scriptedWriteFirm, scriptedStartApp, scriptedUploadParameter, scriptedDownloadParameter,
        scriptedUploadConfig, scriptedDownloadConfig, scriptedCalibration, scriptedStart, scriptedStop,
        scriptedMechanismUpdate, scriptedTelemetryA, scriptedTelemetryB,
        nullptr, // no telemetry history: it answers like a library without a port
    };
}

void ScriptedCradle::uninstall()
{
    cradleCalls() = cradleExports();
}

void ScriptedCradle::reset()
{
    std::lock_guard<std::mutex> lock(mutex());
    state() = State{};
    changed().notify_all();
}

QStringList ScriptedCradle::calls()
{
    return with([](State& s) { return s.calls; });
}

int ScriptedCradle::callCount(const QString& name)
{
    return with([&name](State& s) { return int(s.calls.count(name)); });
}

bool ScriptedCradle::waitForHeldWrite(int timeoutMs)
{
    Lock lock(mutex());
    return changed().wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return state().writeWaiting; });
}

void ScriptedCradle::releaseWrites()
{
    std::lock_guard<std::mutex> lock(mutex());
    state().holdWrites = false;
    state().holdCalibrations = false;
    changed().notify_all();
}
