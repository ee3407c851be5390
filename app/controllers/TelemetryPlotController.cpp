#include "TelemetryPlotController.h"

#include "ORVInteractiveCommandManager.h"
#include "StatusPoll.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

qint64 monotonicUs()
{
    // The library stamps samples with this clock.
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString reasonFor(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

TelemetryPlotController::TelemetryPlotController(QObject* parent)
    : QObject(parent)
    , poll(ORVInteractiveCommandManager::instance()->telemetryHistory())
{
    connect(poll, &StatusPoll::sg_historyArrived, this, &TelemetryPlotController::st_historyArrived,
            Qt::QueuedConnection);
}

TelemetryPlotController::~TelemetryPlotController()
{
    poll->setHistoryWanted(false);
    closeFile();
}

void TelemetryPlotController::setPageVisible(bool value)
{
    if (visible == value)
        return;
    visible = value;
    updateWanted();
    emit sigPageStateChanged();
}

void TelemetryPlotController::setPaused(bool value)
{
    if (isPaused == value)
        return;
    isPaused = value;
    updateWanted();
    emit sigPageStateChanged();
}

void TelemetryPlotController::updateWanted()
{
    poll->setHistoryWanted((visible && !isPaused) || recording());
}

double TelemetryPlotController::recordingSeconds() const
{
    return recording() ? recordingClock.elapsed() / 1000.0 : secondsRecorded;
}

void TelemetryPlotController::st_historyArrived()
{
    taken.clear();
    poll->takeHistory(taken, lostSamples);
    for (const procedures::TelemetrySample& sample : taken) {
        if (sample.kind == CRADLE_TELEMETRY_KIND_A) {
            if (const auto a = procedures::decodeTelemetryA(sample.record)) {
                TelemetryPlotBuffer::Values values;
                for (int axis = 0; axis < procedures::kAxes; ++axis) {
                    values[size_t(TelemetryPlotBuffer::RATE_X + axis)] = a->rate[size_t(axis)];
                    values[size_t(TelemetryPlotBuffer::ACCEL_X + axis)] = a->accelG(axis);
                    values[size_t(TelemetryPlotBuffer::ROLL + axis)] = a->attitude[size_t(axis)];
                }
                buffer.append(double(sample.receivedUs) / 1e6, values);
            }
        }
        // Samples from before the start (a backlog taken after a pause) are not part of the recording.
        if (writer && sample.receivedUs >= originUs && !writer->writeSample(sample, originUs) && writer->failed())
            break;
    }
    if (writer && !writer->failed())
        writer->flush();
    if (writer && writer->failed()) {
        failRecording(writer->error());
    } else if (writer) {
        emit sigRecordingProgress();
    }
    buffer.publish();
}

bool TelemetryPlotController::startRecording(const QString& portName)
{
    if (recording())
        return true;
    const QString folder = !folderOverride.isEmpty()
                               ? folderOverride
                               : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString port = QFileInfo(portName).fileName();
    port.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    const QString stem = QStringLiteral("telemetry-%1%2")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")),
                                  port.isEmpty() ? QString() : QLatin1Char('-') + port);
    QDir().mkpath(folder);
    // "x": never write over a file that is already there (two recordings in one second).
    int error = 0;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        filePath = QDir(folder).filePath(stem + (attempt ? QStringLiteral("-%1").arg(attempt) : QString()) + QStringLiteral(".csv"));
        errno = 0;
        file = std::fopen(QFile::encodeName(filePath).constData(), "wx");
        error = errno;
        if (!file && error != EEXIST)
            break;
    }
    if (!file) {
        emit sigRecordingFailed(filePath, reasonFor(error ? error : EIO));
        return false;
    }
    fileName = QFileInfo(filePath).fileName();
    writer = std::make_unique<procedures::TelemetryCsvWriter>(file);
    originUs = monotonicUs();
    recordingClock.start();
    rowsWritten = 0;
    secondsRecorded = 0.0;
    if (!writer->writeHeader() || !writer->flush()) {
        failRecording(writer->error());
        return false;
    }
    updateWanted();
    emit sigRecordingChanged();
    emit sigRecordingProgress();
    return true;
}

void TelemetryPlotController::stopRecording()
{
    if (!recording())
        return;
    // What the poll has taken up to the press goes into the file; samples still in the library's
    // history (at most one poll interval) do not.
    st_historyArrived();
    if (!recording())
        return; // the last write failed and was reported
    secondsRecorded = recordingClock.elapsed() / 1000.0;
    rowsWritten = int(writer->rows());
    const bool flushed = writer->flush();
    const int flushError = writer->error();
    writer.reset();
    errno = 0;
    const bool closed = std::fclose(file) == 0;
    const int closeError = errno;
    file = nullptr;
    updateWanted();
    emit sigRecordingChanged();
    if (!flushed || !closed)
        emit sigRecordingFailed(filePath, reasonFor(!flushed ? flushError : (closeError ? closeError : EIO)));
    else
        emit sigRecordingSaved(filePath);
}

void TelemetryPlotController::failRecording(int error)
{
    secondsRecorded = recordingClock.elapsed() / 1000.0;
    rowsWritten = writer ? int(writer->rows()) : 0;
    closeFile();
    updateWanted();
    emit sigRecordingChanged();
    emit sigRecordingFailed(filePath, reasonFor(error ? error : EIO));
}

void TelemetryPlotController::closeFile()
{
    writer.reset();
    if (file)
        std::fclose(file);
    file = nullptr;
}
