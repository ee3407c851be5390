// The serial port controller against a scripted library: the port list, and the signal order of
// open, failed open (with what the system shows about the path), close, a lost port and its return.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "ScriptedCradle.h"
#include "SerialPortController.h"
#include "SignalRecorder.h"

using M = ORVInteractiveCommandManager;

class SerialPortControllerTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString extraPort;

    static bool waitUntil(SignalRecorder& recorder, const QStringList& expected, int timeoutMs = 5000)
    {
        QSignalSpy spy(&recorder, &SignalRecorder::recorded);
        QElapsedTimer timer;
        timer.start();
        while (recorder.names().size() < expected.size() && timer.elapsed() < timeoutMs)
            spy.wait(int(timeoutMs - timer.elapsed()));
        return recorder.names() == expected;
    }

private slots:
    void initTestCase()
    {
        extraPort = dir.filePath("ttySIM0");
        QFile file(extraPort);
        QVERIFY(file.open(QIODevice::WriteOnly));
        qputenv("TILTMATE_EXTRA_PORTS", QString(extraPort + ":" + dir.filePath("absent") + "::").toUtf8());
    }
    void init() { ScriptedCradle::install(); }
    void cleanup() { ScriptedCradle::uninstall(); }

    void refreshListsPortsThatExist()
    {
        SerialPortController controller;
        QVERIFY(controller.availableSerialPorts().contains(extraPort));
        QVERIFY(!controller.availableSerialPorts().contains(dir.filePath("absent")));
        QCOMPARE(controller.availableSerialPorts().last(), extraPort);
        QVERIFY(controller.isSerialPortValid());
        SignalRecorder recorder;
        recorder.watch(&controller);
        controller.refreshAvailableSerialPorts();
        QCOMPARE(recorder.names(), QStringList({"availableSerialPortsChanged"}));
    }

    void noPortsMeansNoRequest()
    {
        qunsetenv("TILTMATE_EXTRA_PORTS");
        SerialPortController controller;
        controller.setSystemPortsListed(false);
        qputenv("TILTMATE_EXTRA_PORTS", extraPort.toUtf8());
        QCOMPARE(controller.availableSerialPorts(), QStringList());
        QVERIFY(!controller.isSerialPortValid());
        SignalRecorder recorder;
        recorder.watch(&controller);
        QSignalSpy requests(M::instance(), &M::sg_openSerialPort);
        controller.openSerialPort(QStringLiteral("ttyS9"));
        QCOMPARE(requests.size(), 0);
        QCOMPARE(recorder.names(), QStringList());
        QCOMPARE(controller.opendPortName(), QString());
    }

    void failedOpenClearsTheName()
    {
        ScriptedCradle::with([](ScriptedCradle::State& s) {
            s.openResult = 0;
            s.lastError = 2;
        });
        SerialPortController controller;
        SignalRecorder recorder;
        recorder.watch(&controller);
        controller.openSerialPort(QStringLiteral("ttyNOTLISTED"));
        QCOMPARE(controller.opendPortName(), QStringLiteral("ttyNOTLISTED"));
        QVERIFY(waitUntil(recorder, {"opendPortNameChanged", "opendPortNameChanged", "sigOpendPortFailed"}));
        QCOMPARE(controller.opendPortName(), QString());
        // Nothing is at that path: the program says so rather than "check the link".
        QCOMPARE(controller.openFailure().value("kind").toInt(), int(SerialPortController::OPEN_FAILURE_GONE));
        QCOMPARE(controller.openFailure().value("path").toString(), QStringLiteral("/dev/ttyNOTLISTED"));
    }

    void lostPortRepeatsUntilClosed()
    {
        SerialPortController controller;
        SignalRecorder recorder;
        recorder.watch(&controller);
        controller.openSerialPort(extraPort);
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        QVERIFY(results.wait(5000));
        QCOMPARE(recorder.names(), QStringList({"opendPortNameChanged"}));
        QCOMPARE(ScriptedCradle::callCount("CSerialOpenPort"), 1);

        ScriptedCradle::with([](ScriptedCradle::State& s) { s.lastError = 7; });
        QVERIFY(waitUntil(recorder, {"opendPortNameChanged", "sigPortLost", "sigDisconnect", "sigDisconnect"}));
        QCOMPARE(controller.opendPortName(), extraPort);

        // The close takes effect only when its result arrives.
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.lastError = 0; });
        recorder.clear();
        controller.closeSerialPort();
        QCOMPARE(controller.opendPortName(), extraPort);
        QSignalSpy changed(&controller, &SerialPortController::opendPortNameChanged);
        QVERIFY(changed.wait(5000));
        QCOMPARE(controller.opendPortName(), QString());
        QVERIFY(!recorder.names().isEmpty());
        QCOMPARE(recorder.names().last(), QStringLiteral("opendPortNameChanged"));
        QVERIFY(recorder.names().count("opendPortNameChanged") == 1);

        // Results for other commands change nothing.
        recorder.clear();
        controller.st_serial_event(M::PROTOCOL_SERIALPORTCLOSE, 1, 0, {}, {});
        controller.st_serial_event(M::PROTOCOL_SERIALPORTOPEN, 0, 0, {}, {});
        controller.st_serial_event(M::PROTOCOL_GETVERSION, 1, 2, {}, {});
        QCOMPARE(recorder.names(), QStringList());
    }

    void lostPortIsOpenedAgainWhenItReturns()
    {
        SerialPortController controller;
        controller.openSerialPort(extraPort);
        QSignalSpy results(M::instance(), &M::sg_protocolCommandResult);
        QVERIFY(results.wait(5000));
        QSignalSpy lost(&controller, &SerialPortController::sigPortLost);
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.lastError = 7; });
        QVERIFY(lost.wait(5000));
        QCOMPARE(lost.first().first().toString(), extraPort);

        // Unplugged: the node goes, the page closes the port, the list follows without a request.
        QVERIFY(QFile::remove(extraPort));
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.lastError = 0; });
        controller.closeSerialPort();
        QSignalSpy listed(&controller, &SerialPortController::availableSerialPortsChanged);
        QVERIFY(listed.wait(5000));
        QVERIFY(!controller.availableSerialPorts().contains(extraPort));
        QCOMPARE(controller.opendPortName(), QString());

        // Plugged back in: opened again by itself, once.
        QSignalSpy reopening(&controller, &SerialPortController::sigPortReopening);
        QSignalSpy requests(M::instance(), &M::sg_openSerialPort);
        QFile file(extraPort);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(reopening.wait(5000));
        QCOMPARE(reopening.first().first().toString(), extraPort);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(controller.opendPortName(), extraPort);
        QCOMPARE(lost.size(), 1);
    }

    void labelsAreShortAndDistinct()
    {
        QTemporaryDir other;
        const QString twin = other.filePath("ttySIM0");
        QFile file(twin);
        QVERIFY(file.open(QIODevice::WriteOnly));
        qputenv("TILTMATE_EXTRA_PORTS", QString(extraPort + ":" + twin).toUtf8());
        SerialPortController controller;
        qputenv("TILTMATE_EXTRA_PORTS", extraPort.toUtf8());
        QStringList labels;
        for (const QVariant& entry : controller.availablePortEntries())
            labels.append(entry.toMap().value("label").toString());
        QCOMPARE(labels.size(), controller.availableSerialPorts().size());
        QCOMPARE(QSet<QString>(labels.begin(), labels.end()).size(), labels.size());
        const QVariantMap last = controller.availablePortEntries().last().toMap();
        QCOMPARE(last.value("label").toString(), QFileInfo(other.path()).fileName() + "/ttySIM0");
        QVERIFY(last.value("details").toString().startsWith(twin));
    }
};

QTEST_GUILESS_MAIN(SerialPortControllerTest)
#include "tst_serialportcontroller.moc"
