// The manager, worker and firmware controller against the real library and the simulated gimbal
// on a pseudo-terminal.
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "Cradle.h"
#include "FirmwareController.h"
#include "InstrumentConfig.h"
#include "ORVInteractiveCommandManager.h"
#include "SignalRecorder.h"
#include "TestPackages.h"

#ifdef TILTMATE_HAVE_SIMULATOR
#include <gimbalsim/DemoMarker.h>
#include <gimbalsim/Simulator.h>
#endif

using M = ORVInteractiveCommandManager;

namespace {

struct Result {
    int result = -1;
    int errorCode = -1;
    QString errorInfo;
    QByteArray appendData;
};

// Waits for the next result of one command, past any others (the poll's included).
class Results
{
public:
    Results() : spy(M::instance(), &M::sg_protocolCommandResult) {}

    Result next(M::ProtocolCommandEnum command, int timeoutMs = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            while (consumed < spy.size()) {
                const QList<QVariant> args = spy.at(consumed++);
                if (args.at(0).value<M::ProtocolCommandEnum>() == command)
                    return {args.at(1).toInt(), args.at(2).toInt(), args.at(3).toString(), args.at(4).toByteArray()};
            }
            const int left = timeoutMs - int(timer.elapsed());
            if (left <= 0 || !spy.wait(left))
                return {};
        }
    }
    QSignalSpy spy;
    int consumed = 0;
};

} // namespace

class CommandWorkerSimulatorTest : public QObject
{
    Q_OBJECT
#ifdef TILTMATE_HAVE_SIMULATOR
private:
    std::unique_ptr<gimbalsim::Simulator> sim;
    QTemporaryDir dir;

    void open(Results& results)
    {
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, QString::fromStdString(sim->portPath()));
        const Result opened = results.next(M::PROTOCOL_SERIALPORTOPEN);
        QCOMPARE(opened.result, 0);
    }

    // SendStartFsApp returns once its frame is written; wait for the gimbal to have read it.
    bool waitForStarts(int count)
    {
        QDeadlineTimer deadline(10000);
        while (sim->startApplicationCount() < count) {
            const size_t seen = sim->receivedFrames().size();
            if (deadline.hasExpired()
                || !sim->waitForFrames(seen + 1, std::chrono::milliseconds(deadline.remainingTime())))
                return sim->startApplicationCount() >= count;
        }
        return sim->startApplicationCount() == count;
    }

    void close(Results& results)
    {
        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        QCOMPARE(results.next(M::PROTOCOL_SERIALPORTCLOSE).result, 0);
    }

private slots:
    void init()
    {
        // Upgrades save the configuration first; the test's backups stay out of the user's data folder.
        QStandardPaths::setTestModeEnabled(true);
        gimbalsim::Options options;
        options.timeScale = 0.01;
        sim = std::make_unique<gimbalsim::Simulator>(options);
        QVERIFY(sim->start());
    }
    void cleanup()
    {
        Results results;
        close(results);
        sim.reset();
    }

    void missingPortFailsToOpen()
    {
        Results results;
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, dir.filePath("no-such-tty"));
        const Result r = results.next(M::PROTOCOL_SERIALPORTOPEN);
        QCOMPARE(r.result, 1);
        QCOMPARE(r.errorCode, int(CRADLE_SERIAL_OPEN_FAILED));
        QCOMPARE(r.errorInfo, QStringLiteral("SERIAL_OPENFAILED"));
    }

    // A pulled cable during a 35 s calibration: the disconnect is reported at once and the call
    // ends with it, the disconnect first.
    void unplugDuringACalibrationEndsItAtOnce()
    {
        sim = std::make_unique<gimbalsim::Simulator>(gimbalsim::Options{}); // calibrations at full length
        QVERIFY(sim->start());
        Results results;
        open(results);
        sim->clearReceived();
        emit M::instance()->sg_cardleCalibration(M::PROTOCOL_CALIBRATION, 4);
        QVERIFY(sim->waitForFrames(1, std::chrono::seconds(10)));

        QElapsedTimer sinceUnplug;
        sinceUnplug.start();
        sim->unplug();
        const int firstAfterUnplug = results.spy.size();
        QCOMPARE(results.next(M::PROTOCOL_CALIBRATION, 10000).result, 1);
        QVERIFY2(sinceUnplug.elapsed() < 3000, "the calibration waited past the removal");
        int disconnectAt = -1, calibrationAt = -1;
        for (int i = firstAfterUnplug; i < results.spy.size(); ++i) {
            const auto command = results.spy.at(i).at(0).value<M::ProtocolCommandEnum>();
            if (command == M::PROTOCOL_SERIALPORTDISCONNECT && disconnectAt < 0)
                disconnectAt = i;
            if (command == M::PROTOCOL_CALIBRATION)
                calibrationAt = i;
        }
        QVERIFY(disconnectAt >= 0 && disconnectAt < calibrationAt);
    }

    void telemetryThenUnplugUntilClosed()
    {
        std::array<uint8_t, CRADLE_TELEMETRY_A_SIZE> recordA{};
        std::array<uint8_t, CRADLE_TELEMETRY_B_SIZE> recordB{};
        for (size_t i = 0; i < recordA.size(); ++i)
            recordA[i] = uint8_t(0x30 + i);
        for (size_t i = 0; i < recordB.size(); ++i)
            recordB[i] = uint8_t(0x60 + i);
        sim->setTelemetryA(recordA);
        sim->setTelemetryB(recordB);
        sim->setTelemetryRate(50, 50);
        Results results;
        open(results);
        const Result a = results.next(M::PROTOCOL_CRADLEDATAA);
        QCOMPARE(a.appendData, QByteArray(reinterpret_cast<const char*>(recordA.data()), CRADLE_TELEMETRY_A_SIZE));
        const Result b = results.next(M::PROTOCOL_CRADLEDATAB);
        QCOMPARE(b.appendData, QByteArray(reinterpret_cast<const char*>(recordB.data()), CRADLE_TELEMETRY_B_SIZE));

        sim->unplug();
        QCOMPARE(results.next(M::PROTOCOL_SERIALPORTDISCONNECT).result, 0);
        QCOMPARE(results.next(M::PROTOCOL_SERIALPORTDISCONNECT).result, 0);
        // The stored records still answer while the loss is reported.
        QCOMPARE(results.next(M::PROTOCOL_CRADLEDATAA).appendData.size(), int(CRADLE_TELEMETRY_A_SIZE));

        close(results);
        const int seen = results.spy.size();
        emit M::instance()->sg_cardleStop(M::PROTOCOL_CRADLESTOP);
        const Result stop = results.next(M::PROTOCOL_CRADLESTOP);
        QCOMPARE(stop.errorCode, int(CRADLE_E_NOT_STARTED));
        QCOMPARE(results.spy.size(), seen + 1);
    }

    void commandsCarryTheGimbalsRecords()
    {
        Results results;
        open(results);
        emit M::instance()->sg_getVersion(M::PROTOCOL_GETVERSION);
        const Result version = results.next(M::PROTOCOL_GETVERSION);
        QCOMPARE(version.result, 0);
        QCOMPARE(version.appendData.size(), int(CRADLE_VERSION_RECORD_SIZE));
        QCOMPARE(int(version.appendData[0]), 4);
        QCOMPARE(quint8(version.appendData[1 + 6 * 3]), quint8(8));

        emit M::instance()->sg_uploadSettings(M::PROTOCOL_PARAMETERCHANNELUPLOAD, {5, 13}, {3, 0x0102});
        QCOMPARE(results.next(M::PROTOCOL_PARAMETERCHANNELUPLOAD).result, 0);
        QCOMPARE(sim->parameter(5), 3);
        QCOMPARE(sim->parameter(13), 0x0102);
        emit M::instance()->sg_downloadSettings(M::PROTOCOL_PARAMETERCHANNELDOWNLOAD, {13, 5});
        const Result down = results.next(M::PROTOCOL_PARAMETERCHANNELDOWNLOAD);
        QCOMPARE(down.result, 0);
        QCOMPARE(down.appendData.size(), int(CRADLE_PARAM_RECORD_SIZE));
        QCOMPARE(down.appendData.mid(CRADLE_PARAM_VALUES_OFFSET, 4), QByteArray::fromHex("02010300"));

        QList<int> values;
        for (int i = 0; i < CRADLE_CONFIG_RECORD_SIZE; ++i)
            values.append(i + 1);
        emit M::instance()->sg_cardleUploadTunningValue(M::PROTOCOL_PARAMETERTUNNINGUPLOAD, values);
        QCOMPARE(results.next(M::PROTOCOL_PARAMETERTUNNINGUPLOAD).result, 0);
        QCOMPARE(int(sim->savedConfigRecord()[37]), 38);
        emit M::instance()->sg_cardleDownloadTunninValue(M::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);
        const Result config = results.next(M::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);
        QCOMPARE(config.result, 0);
        QCOMPARE(config.appendData.size(), int(CRADLE_CONFIG_BUFFER_SIZE));
        QCOMPARE(int(config.appendData[0]), 1);
        QCOMPARE(int(config.appendData[37]), 38);

        emit M::instance()->sg_cardleCalibration(M::PROTOCOL_CALIBRATION, 1);
        const Result calibration = results.next(M::PROTOCOL_CALIBRATION);
        QCOMPARE(calibration.result, 0);
        QCOMPARE(calibration.appendData, QByteArray::fromHex("01000000"));
    }

    void upgradeFromAPackage()
    {
        InstrumentConfig instrument;
        instrument.setInstrumentValue(InstrumentConfig::TYPE_MECHANISM, 4);
        FirmwareController controller;
        controller.setInstrumentConfig(&instrument);
        SignalRecorder recorder;
        recorder.watch(&controller);
        QSignalSpy events(&recorder, &SignalRecorder::recorded);
        QSignalSpy progress(M::instance(), &M::sg_moduleUpgradeProgressChanged);
        auto waitFor = [&](const QString& name, int count) {
            while (recorder.names().count(name) < count) {
                if (!events.wait(30000))
                    return false;
            }
            return true;
        };

        Results results;
        open(results);
        QVERIFY(waitFor("sigGetVersionSuccessed", 1));
        QCOMPARE(controller.firmwareListModel()->rowCount(), 4);

        // Images carrying their version, which the simulator reports after the reboot.
        auto demo = [](quint8 unit, quint8 major, quint8 minor, size_t size) {
            const std::vector<uint8_t> image = gimbalsim::makeDemoImage(unit, major, minor, size);
            return QByteArray(reinterpret_cast<const char*>(image.data()), int(image.size()));
        };
        const QByteArray ifb = demo(1, 2, 1, 1000), mz = demo(8, 2, 2, 600);
        controller.unpackFileFirmware(TestPackages::writeFile(
            dir, "pack.bin", TestPackages::package({{1, 2, 1, ifb}, {8, 2, 2, mz}}, 1ULL << 3)));
        QVERIFY(controller.canUpdateFirm());
        controller.updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished", 1));
        QCOMPARE(results.next(M::PROTOCOL_UPDATEFIRM).errorInfo, QStringLiteral("rebooting>>>"));
        const std::vector<uint8_t> writtenIfb = sim->firmwareImage(1), writtenMz = sim->firmwareImage(8);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(writtenIfb.data()), int(writtenIfb.size())), ifb);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(writtenMz.data()), int(writtenMz.size())), mz);
        QVERIFY(waitForStarts(1));
        QCOMPARE(controller.getFirmware(FirmwareController::UNIT_IFB)->getUpgradeStatus(), -1);
        QCOMPARE(controller.getAppVersion(FirmwareController::UNIT_MZ), QStringLiteral("2.2"));
        bool sawIfbDone = false, sawMz = false;
        for (const QList<QVariant>& args : progress) {
            sawIfbDone = sawIfbDone || (args.at(0).toInt() == 1 && args.at(1).toDouble() == 100.0);
            sawMz = sawMz || args.at(0).toInt() == 8;
        }
        QVERIFY(sawIfbDone);
        QVERIFY(sawMz);

        // Every block refused: the unit ends at failed, and nothing is started.
        controller.unpackFileFirmware(TestPackages::writeFile(
            dir, "pack2.bin", TestPackages::package({{4, 3, 0, TestPackages::imageOf(300, 1)}}, 1ULL << 3)));
        gimbalsim::Fault refuse;
        refuse.status = 0xFD;
        sim->setFault(0x45, refuse);
        controller.updateFirm();
        QVERIFY(waitFor("sigFileUpgradeFinished", 2));
        QCOMPARE(results.next(M::PROTOCOL_UPDATEFIRM).errorInfo, QStringLiteral("no module upgrade"));
        QCOMPARE(controller.getFirmware(FirmwareController::UNIT_MY)->getUpgradeStatus(), -2);
        QCOMPARE(sim->startApplicationCount(), 1);
        sim->clearFaults();

        // Closing the port while an upgrade runs drops the list at once; the upgrade finishes on its copies.
        controller.unpackFileFirmware(TestPackages::writeFile(
            dir, "pack3.bin", TestPackages::package({{2, 5, 5, demo(2, 5, 5, 2000)}}, 1ULL << 3)));
        controller.updateFirm();
        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        controller.clearFirmInfo();
        QVERIFY(waitFor("sigFirmclosed", 1));
        QCOMPARE(recorder.names().count("sigFileUpgradeFinished"), 3);
        QCOMPARE(results.next(M::PROTOCOL_UPDATEFIRM).errorInfo, QStringLiteral("rebooting>>>"));
        QCOMPARE(sim->firmwareImage(2).size(), size_t(2000));
        QVERIFY(waitForStarts(2));
    }
#else
private slots:
    void simulatorMissing() { QSKIP("the simulator core is not part of this build"); }
#endif
};

QTEST_GUILESS_MAIN(CommandWorkerSimulatorTest)
#include "tst_commandworker_sim.moc"
