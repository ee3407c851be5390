#ifndef TELEMETRYPLOTCONTROLLER_H
#define TELEMETRYPLOTCONTROLLER_H

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdio>
#include <memory>
#include <vector>

#include "TelemetryPlotBuffer.h"
#include "telemetry.h"

class StatusPoll;

// The plot page's controller: takes every telemetry sample from the status poll's copy of the library's
// history (only while the page is shown and running, or while recording), feeds record A to the plots,
// and records both records to a CSV file in the documents folder.
class TelemetryPlotController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(TelemetryPlotBuffer* history READ history CONSTANT)
    // Set by the page: samples are taken only while it is shown and not paused (or while recording).
    Q_PROPERTY(bool pageVisible READ pageVisible WRITE setPageVisible NOTIFY sigPageStateChanged)
    Q_PROPERTY(bool paused READ paused WRITE setPaused NOTIFY sigPageStateChanged)
    Q_PROPERTY(bool recording READ recording NOTIFY sigRecordingChanged)
    Q_PROPERTY(QString recordingFile READ recordingFile NOTIFY sigRecordingChanged)
    Q_PROPERTY(double recordingSeconds READ recordingSeconds NOTIFY sigRecordingProgress)
    Q_PROPERTY(int recordingRows READ recordingRows NOTIFY sigRecordingProgress)

public:
    explicit TelemetryPlotController(QObject* parent = nullptr);
    ~TelemetryPlotController() override;

    TelemetryPlotBuffer* history() { return &buffer; }
    bool pageVisible() const { return visible; }
    void setPageVisible(bool value);
    bool paused() const { return isPaused; }
    void setPaused(bool value);
    bool recording() const { return file != nullptr; }
    QString recordingFile() const { return fileName; }
    double recordingSeconds() const;
    int recordingRows() const { return writer ? int(writer->rows()) : rowsWritten; }

public slots:
    // Starts a recording named by the time and the port; false (with sigRecordingFailed) when the file
    // cannot be created.
    bool startRecording(const QString& portName);
    // Closes the file; sigRecordingSaved once it is complete on disk, else sigRecordingFailed.
    void stopRecording();
    // Where recordings go: the user's documents folder, unless a test or the user chose another.
    void setRecordingFolder(const QString& folder) { folderOverride = folder; }

signals:
    void sigPageStateChanged();
    void sigRecordingChanged();
    void sigRecordingProgress();
    void sigRecordingSaved(QString path);
    // The recording stopped: path of the file and what went wrong, in the system's words.
    void sigRecordingFailed(QString path, QString reason);

private slots:
    void st_historyArrived();

private:
    void updateWanted();
    void failRecording(int error);
    void closeFile();

    StatusPoll* poll;
    TelemetryPlotBuffer buffer;
    std::vector<procedures::TelemetrySample> taken;
    quint64 lostSamples = 0;
    bool visible = false;
    bool isPaused = false;

    QString folderOverride;
    std::FILE* file = nullptr;
    std::unique_ptr<procedures::TelemetryCsvWriter> writer;
    QString filePath, fileName;
    qint64 originUs = 0;
    QElapsedTimer recordingClock;
    double secondsRecorded = 0.0;
    int rowsWritten = 0;
};

#endif // TELEMETRYPLOTCONTROLLER_H
