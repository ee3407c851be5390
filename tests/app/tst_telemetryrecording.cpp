// Recording against the real library and the simulated gimbal: five seconds give about a hundred rows
// of each record, every sample once; a folder that cannot be written stops it with a message.
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "ORVInteractiveCommandManager.h"
#include "TelemetryPlotController.h"
#include "telemetry.h"

#ifdef TILTMATE_HAVE_SIMULATOR
#include <gimbalsim/Simulator.h>
#endif

using M = ORVInteractiveCommandManager;

class TelemetryRecordingTest : public QObject
{
    Q_OBJECT
#ifdef TILTMATE_HAVE_SIMULATOR
private slots:
    void recordsEverySampleForFiveSeconds()
    {
        gimbalsim::Options options;
        options.telemetryAHz = options.telemetryBHz = 20;
        gimbalsim::Simulator sim(options);
        QVERIFY(sim.start());
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, QString::fromStdString(sim.portPath()));
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(results.begin(), results.end(), [](const QList<QVariant>& r) {
            return r.at(0).value<M::ProtocolCommandEnum>() == M::PROTOCOL_SERIALPORTOPEN && r.at(1).toInt() == 0;
        }), 20000);

        QTemporaryDir folder;
        TelemetryPlotController controller;
        controller.setRecordingFolder(folder.path());
        QSignalSpy saved(&controller, &TelemetryPlotController::sigRecordingSaved);
        QSignalSpy failed(&controller, &TelemetryPlotController::sigRecordingFailed);
        QVERIFY(controller.startRecording(QStringLiteral("/dev/ttySIM0")));
        QVERIFY(controller.recording());
        QVERIFY(controller.recordingFile().endsWith(QStringLiteral("-ttySIM0.csv")));
        QTRY_VERIFY_WITH_TIMEOUT(controller.recordingSeconds() >= 5.0, 30000);
        controller.stopRecording();
        QVERIFY(!controller.recording());
        QCOMPARE(failed.count(), 0);
        QCOMPARE(saved.count(), 1);

        QFile file(saved.at(0).at(0).toString());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.first(), QByteArray::fromStdString(procedures::telemetryCsvHeader()));
        QMap<QByteArray, QList<double>> times;
        for (const QByteArray& line : lines.mid(1)) {
            if (line.isEmpty())
                continue;
            const QList<QByteArray> cells = line.split(',');
            QCOMPARE(cells.size(), 31);
            times[cells.at(1)].append(cells.at(0).toDouble());
        }
        for (const QByteArray& kind : {QByteArrayLiteral("A"), QByteArrayLiteral("B")}) {
            const QList<double>& t = times[kind];
            QVERIFY2(t.size() >= 85 && t.size() <= 120, qPrintable(kind + ": " + QByteArray::number(t.size())));
            QVERIFY(t.first() >= 0.0);
            for (int i = 1; i < t.size(); ++i)
                QVERIFY2(t[i] > t[i - 1], qPrintable(kind + " row " + QByteArray::number(i)));
        }
        QCOMPARE(controller.recordingRows(), times[QByteArrayLiteral("A")].size() + times[QByteArrayLiteral("B")].size());

        // Nowhere to write: refused with the path and the reason, and nothing runs.
        controller.setRecordingFolder(QStringLiteral("/proc/no-such-folder"));
        QVERIFY(!controller.startRecording(QStringLiteral("ttySIM0")));
        QVERIFY(!controller.recording());
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.at(0).at(0).toString().startsWith(QStringLiteral("/proc/no-such-folder/")));
        QVERIFY(!failed.at(0).at(1).toString().isEmpty());

        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(results.begin(), results.end(), [](const QList<QVariant>& r) {
            return r.at(0).value<M::ProtocolCommandEnum>() == M::PROTOCOL_SERIALPORTCLOSE;
        }), 20000);
    }
#endif
};

QTEST_GUILESS_MAIN(TelemetryRecordingTest)

#include "tst_telemetryrecording.moc"
