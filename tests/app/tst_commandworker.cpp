// The worker through its call table: what each request hands the library, what comes back as
// the command result, and the poll's telemetry and disconnect results.
#include <QSignalSpy>
#include <QtTest>

#include "Cradle.h"
#include "CalibrationControl.h"
#include "ORVInteractiveCommandManager.h"
#include "PortDiagnosis.h"
#include "ScriptedCradle.h"
#include "SerialPortController.h"

using M = ORVInteractiveCommandManager;

namespace {

struct Result {
    M::ProtocolCommandEnum command;
    int result;
    int errorCode;
    QString errorInfo;
    QByteArray appendData;
};

// Collects the manager's results and waits for the next one of a command.
class Results
{
public:
    Results() : spy(M::instance(), &M::sg_protocolCommandResult) {}

    Result next(M::ProtocolCommandEnum command, int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            while (consumed < spy.size()) {
                const QList<QVariant> args = spy.at(consumed++);
                const auto seen = args.at(0).value<M::ProtocolCommandEnum>();
                if (seen == command)
                    return {seen, args.at(1).toInt(), args.at(2).toInt(), args.at(3).toString(),
                            args.at(4).toByteArray()};
            }
            const int left = timeoutMs - int(timer.elapsed());
            if (left <= 0 || !spy.wait(left))
                break;
        }
        QTest::qFail("no result for the command in time", __FILE__, __LINE__);
        return {command, -1, -1, QString(), QByteArray()};
    }

    int count(M::ProtocolCommandEnum command) const
    {
        int n = 0;
        for (const QList<QVariant>& args : spy)
            n += args.at(0).value<M::ProtocolCommandEnum>() == command;
        return n;
    }

    QSignalSpy spy;
    int consumed = 0;
};

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class CommandWorkerTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { ScriptedCradle::install(); }
    void cleanup()
    {
        Results results;
        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        results.next(M::PROTOCOL_SERIALPORTCLOSE);
        ScriptedCradle::uninstall();
    }

    void openFailureCarriesTheLastErrorText_data()
    {
        QTest::addColumn<int>("lastError");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "SERIAL_NOERROR";
        QTest::newRow("1") << 1 << "SERIAL_NOTCLOSED";
        QTest::newRow("2") << 2 << "SERIAL_OPENFAILED";
        QTest::newRow("3") << 3 << "SERIAL_DCBFAILED";
        QTest::newRow("4") << 4 << "SERIAL_USING";
        QTest::newRow("5") << 5 << "SERIAL_SYSTEMERROR";
        QTest::newRow("6") << 6 << "UNKOWN ERROR";
        QTest::newRow("7") << 7 << "UNKOWN ERROR";
    }
    void openFailureCarriesTheLastErrorText()
    {
        QFETCH(int, lastError);
        QFETCH(QString, text);
        ScriptedCradle::with([&](ScriptedCradle::State& s) {
            s.openResult = 0;
            s.lastError = lastError;
        });
        Results results;
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, QStringLiteral("ttyNONE"));
        const Result r = results.next(M::PROTOCOL_SERIALPORTOPEN);
        QCOMPARE(r.result, 1);
        QCOMPARE(r.errorCode, lastError);
        QCOMPARE(r.errorInfo, text);
        // What the system shows about the path travels beside the library's codes.
        const PortDiagnosis diagnosis = PortDiagnosis::fromBytes(r.appendData);
        QCOMPARE(diagnosis.kind, PortDiagnosis::Gone);
        QCOMPARE(diagnosis.path, QStringLiteral("/dev/ttyNONE"));
    }

    void pollReportsTelemetryThenDisconnectUntilClosed()
    {
        const QByteArray recordA = QByteArray(CRADLE_TELEMETRY_A_SIZE, '\x11') + QByteArray(5, '\x99');
        const QByteArray recordB = QByteArray(CRADLE_TELEMETRY_B_SIZE, '\x22') + QByteArray(5, '\x99');
        ScriptedCradle::with([&](ScriptedCradle::State& s) {
            s.telemetryA = recordA;
            s.telemetryB = recordB;
        });
        Results results;
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, QStringLiteral("ttyGIMBAL"));
        const Result opened = results.next(M::PROTOCOL_SERIALPORTOPEN);
        QCOMPARE(opened.result, 0);
        QCOMPARE(opened.errorInfo, QString());

        const Result a = results.next(M::PROTOCOL_CRADLEDATAA);
        QCOMPARE(a.appendData, recordA.left(CRADLE_TELEMETRY_A_SIZE));
        const Result b = results.next(M::PROTOCOL_CRADLEDATAB);
        QCOMPARE(b.appendData, recordB.left(CRADLE_TELEMETRY_B_SIZE));
        QCOMPARE(results.count(M::PROTOCOL_SERIALPORTDISCONNECT), 0);

        // The port vanishes: B keeps its last record answer, and every tick reports the loss.
        ScriptedCradle::with([](ScriptedCradle::State& s) {
            s.lastError = CRADLE_SERIAL_PORT_REMOVED;
            s.telemetryBResult = CRADLE_E_NO_RECORD;
        });
        // The tick that first sees the loss may have read B just before the change.
        results.next(M::PROTOCOL_SERIALPORTDISCONNECT);
        const Result lost = results.next(M::PROTOCOL_SERIALPORTDISCONNECT);
        QCOMPARE(lost.result, 1);
        QCOMPARE(lost.errorCode, int(CRADLE_E_NO_RECORD));
        QVERIFY(results.count(M::PROTOCOL_CRADLEDATAA) >= 2);

        emit M::instance()->sg_closeSerialPort(M::PROTOCOL_SERIALPORTCLOSE);
        const Result closed = results.next(M::PROTOCOL_SERIALPORTCLOSE);
        QCOMPARE(closed.result, 0);
        // A request queued after the close runs after it; no poll may have slipped in between.
        const int pollsAtClose = results.spy.size();
        emit M::instance()->sg_cardleStart(M::PROTOCOL_CRADLESTART);
        results.next(M::PROTOCOL_CRADLESTART);
        QCOMPARE(results.spy.size(), pollsAtClose + 1);
    }

    // A calibration holds the worker for up to 35 s; the values and a pulled cable must not wait for it.
    void pollStaysLiveWhileACallHoldsTheWorker()
    {
        CalibrationControl calibration;
        SerialPortController port;
        QSignalSpy disconnected(&port, &SerialPortController::sigDisconnect);
        QSignalSpy interrupted(&calibration, &CalibrationControl::sigCalibrationInterrupted);
        QSignalSpy failed(&calibration, &CalibrationControl::sigCalibrationFailed);
        ScriptedCradle::with([](ScriptedCradle::State& s) {
            s.telemetryA = QByteArray(19, '\x11');
            s.telemetryB = QByteArray(31, '\x22');
            s.holdCalibrations = true;
        });
        Results results;
        emit M::instance()->sg_openSerialPort(M::PROTOCOL_SERIALPORTOPEN, QStringLiteral("ttyGIMBAL"));
        QCOMPARE(results.next(M::PROTOCOL_SERIALPORTOPEN).result, 0);
        calibration.startCalibartion(CalibrationControl::CRADLE_CALI_ELEDEG);
        QVERIFY(ScriptedCradle::waitForHeldWrite(5000));

        results.consumed = results.spy.size();
        for (int tick = 0; tick < 3; ++tick) {
            QCOMPARE(results.next(M::PROTOCOL_CRADLEDATAA, 1000).appendData, QByteArray(19, '\x11'));
            QCOMPARE(results.next(M::PROTOCOL_CRADLEDATAB, 1000).appendData, QByteArray(31, '\x22'));
        }

        ScriptedCradle::with([](ScriptedCradle::State& s) { s.lastError = 7; });
        QVERIFY(disconnected.wait(1000));
        QVERIFY(ScriptedCradle::with([](ScriptedCradle::State& s) { return s.writeWaiting; }));

        // The call then ends as a removal ends it: the pages hear of the disconnect, not of a failure.
        ScriptedCradle::with([](ScriptedCradle::State& s) { s.controlResult = 1; });
        ScriptedCradle::releaseWrites();
        QCOMPARE(results.next(M::PROTOCOL_CALIBRATION).result, 1);
        QCOMPARE(interrupted.size(), 1);
        QCOMPARE(interrupted.at(0).at(0).toInt(), int(CalibrationControl::CRADLE_CALI_ELEDEG));
        QCOMPARE(failed.size(), 0);
    }

    // Without the poll's help the worker itself reports the loss ahead of the failure it caused.
    void failureCausedByARemovalIsPrecededByTheDisconnect()
    {
        ScriptedCradle::with([](ScriptedCradle::State& s) {
            s.lastError = 7;
            s.configResult = 1;
        });
        Results results;
        emit M::instance()->sg_cardleDownloadTunninValue(M::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);
        results.next(M::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);
        QCOMPARE(results.spy.size(), 2);
        QCOMPARE(results.spy.at(0).at(0).value<M::ProtocolCommandEnum>(), M::PROTOCOL_SERIALPORTDISCONNECT);
    }

    void parameterRecordsAreLaidOutByNumberAndValue()
    {
        Results results;
        emit M::instance()->sg_uploadSettings(M::PROTOCOL_PARAMETERCHANNELUPLOAD, {5, 6, 300}, {0x1234, -1, 70000});
        const Result up = results.next(M::PROTOCOL_PARAMETERCHANNELUPLOAD);
        QCOMPARE(up.result, 0);
        QVERIFY(up.appendData.isEmpty());
        QByteArray expected(CRADLE_PARAM_RECORD_SIZE, '\0');
        expected[0] = 3;
        expected[1] = 5;
        expected[2] = 6;
        expected[3] = char(300 & 0xFF);
        expected.replace(18, 6, hex("3412ffff7011"));
        QCOMPARE(ScriptedCradle::with([](ScriptedCradle::State& s) { return s.lastParameterRecord; }), expected);

        ScriptedCradle::with([](ScriptedCradle::State& s) { s.parameterValues = {{0, 0x0102}, {4, 8}}; });
        emit M::instance()->sg_downloadSettings(M::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD, {4, 0});
        const Result down = results.next(M::PROTOCOL_PARAMETERINSTRUMENTDOWNLOAD);
        QCOMPARE(down.result, 0);
        QCOMPARE(down.appendData.size(), int(CRADLE_PARAM_RECORD_SIZE));
        QCOMPARE(down.appendData.left(3), hex("020400"));
        QCOMPARE(down.appendData.mid(18, 4), hex("08000201"));

        emit M::instance()->sg_downloadSettings(M::PROTOCOL_PARAMETERCHANNELDOWNLOAD, {});
        const Result none = results.next(M::PROTOCOL_PARAMETERCHANNELDOWNLOAD);
        QCOMPARE(none.appendData, QByteArray(CRADLE_PARAM_RECORD_SIZE, '\0'));

        ScriptedCradle::with([](ScriptedCradle::State& s) { s.parameterResult = CRADLE_E_PARAM_REFUSED_FD; });
        emit M::instance()->sg_downloadSettings(M::PROTOCOL_PARAMETERCHANNELDOWNLOAD, {5});
        const Result refused = results.next(M::PROTOCOL_PARAMETERCHANNELDOWNLOAD);
        QCOMPARE(refused.result, 1);
        QCOMPARE(refused.errorCode, int(CRADLE_E_PARAM_REFUSED_FD));
        QVERIFY(refused.appendData.isEmpty());
    }

    void recordCountsAtTheirLastValidAndFirstInvalidValues_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("numbers");
        QTest::addColumn<int>("values");
        QTest::addColumn<bool>("sent");
        const QString up = "UploadCradleParameter", down = "DownloadCradleParameter", config = "UploadCradleConfig";
        QTest::newRow("17 parameters written") << up << 17 << 17 << true;
        QTest::newRow("18 parameters written") << up << 18 << 18 << false;
        QTest::newRow("fewer values than numbers") << up << 2 << 1 << false;
        QTest::newRow("17 parameters read") << down << 17 << 0 << true;
        QTest::newRow("18 parameters read") << down << 18 << 0 << false;
        QTest::newRow("40 configuration values") << config << 0 << 40 << true;
        QTest::newRow("41 configuration values") << config << 0 << 41 << false;
    }

    void recordCountsAtTheirLastValidAndFirstInvalidValues()
    {
        QFETCH(QString, call);
        QFETCH(int, numbers);
        QFETCH(int, values);
        QFETCH(bool, sent);
        const QList<int> numberList = QVector<int>(numbers, 1).toList(), valueList = QVector<int>(values, 1).toList();
        Results results;
        M::ProtocolCommandEnum command;
        if (call == "UploadCradleParameter") {
            command = M::PROTOCOL_PARAMETERCHANNELUPLOAD;
            emit M::instance()->sg_uploadSettings(command, numberList, valueList);
        } else if (call == "DownloadCradleParameter") {
            command = M::PROTOCOL_PARAMETERCHANNELDOWNLOAD;
            emit M::instance()->sg_downloadSettings(command, numberList);
        } else {
            command = M::PROTOCOL_PARAMETERTUNNINGUPLOAD;
            emit M::instance()->sg_cardleUploadTunningValue(command, valueList);
        }
        const Result r = results.next(command);
        QCOMPARE(r.result, sent ? 0 : 1);
        QCOMPARE(r.errorCode, sent ? int(CRADLE_OK) : int(CRADLE_E_NOT_SENT));
        QCOMPARE(ScriptedCradle::callCount(call), sent ? 1 : 0);
    }

    void configRecordTravelsWhole()
    {
        Results results;
        QList<int> values;
        for (int i = 0; i < CRADLE_CONFIG_RECORD_SIZE; ++i)
            values.append(0x100 + i);
        emit M::instance()->sg_cardleUploadTunningValue(M::PROTOCOL_PARAMETERTUNNINGUPLOAD, values);
        QCOMPARE(results.next(M::PROTOCOL_PARAMETERTUNNINGUPLOAD).result, 0);
        const QByteArray sent = ScriptedCradle::with([](ScriptedCradle::State& s) { return s.lastConfigRecord; });
        QCOMPARE(sent.size(), int(CRADLE_CONFIG_BUFFER_SIZE));
        for (int i = 0; i < CRADLE_CONFIG_RECORD_SIZE; ++i)
            QCOMPARE(quint8(sent[i]), quint8(i));
        QCOMPARE(sent.right(2), QByteArray(2, '\0'));

        const QByteArray record = TestBytes();
        ScriptedCradle::with([&](ScriptedCradle::State& s) { s.configRecord = record; });
        emit M::instance()->sg_cardleDownloadTunninValue(M::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);
        QCOMPARE(results.next(M::PROTOCOL_PARAMETERTUNNINGDOWNLOAD).appendData, record);

        ScriptedCradle::with([](ScriptedCradle::State& s) { s.configResult = CRADLE_E_NOT_STARTED; });
        emit M::instance()->sg_cardleDownloadTunninValue(M::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);
        const Result closed = results.next(M::PROTOCOL_PARAMETERTUNNINGDOWNLOAD);
        QCOMPARE(closed.result, 1);
        QCOMPARE(closed.errorCode, int(CRADLE_E_NOT_STARTED));
        QVERIFY(closed.appendData.isEmpty());
    }

    void controlCommandsEchoTheirCodes()
    {
        Results results;
        emit M::instance()->sg_cardleCalibration(M::PROTOCOL_CALIBRATION, 3);
        const Result calibration = results.next(M::PROTOCOL_CALIBRATION);
        QCOMPARE(calibration.result, 0);
        QCOMPARE(calibration.appendData, hex("03000000"));
        QCOMPARE(ScriptedCradle::with([](ScriptedCradle::State& s) { return s.lastCalibration; }), 3);

        ScriptedCradle::with([](ScriptedCradle::State& s) { s.controlResult = CRADLE_STATUS_DONE; });
        emit M::instance()->sg_cardleStart(M::PROTOCOL_CRADLESTART);
        emit M::instance()->sg_cardleStop(M::PROTOCOL_CRADLESTOP);
        emit M::instance()->sg_cardleUpdateFirm(M::PROTOCOL_CRADLEUPDATEFIRM);
        for (M::ProtocolCommandEnum command : {M::PROTOCOL_CRADLESTART, M::PROTOCOL_CRADLESTOP, M::PROTOCOL_CRADLEUPDATEFIRM}) {
            const Result r = results.next(command);
            QCOMPARE(r.result, 1);
            QCOMPARE(r.errorCode, int(CRADLE_STATUS_DONE));
            QVERIFY(r.appendData.isEmpty());
        }
        QCOMPARE(ScriptedCradle::calls(),
                 QStringList({"CradleCalibration", "CradleStart", "CradleStop", "CradleUpdateMechanismFirm"}));
    }

    void failedVersionQueryStillCarriesTheReport()
    {
        Results results;
        ScriptedCradle::with([](ScriptedCradle::State& s) {
            s.versionResult = CRADLE_E_NO_REPLY;
            s.versionRecord = QByteArray(CRADLE_VERSION_BUFFER_SIZE, '\x07');
        });
        emit M::instance()->sg_getVersion(M::PROTOCOL_GETVERSION);
        const Result r = results.next(M::PROTOCOL_GETVERSION);
        QCOMPARE(r.result, 1);
        QCOMPARE(r.errorCode, int(CRADLE_E_NO_REPLY));
        QCOMPARE(r.appendData, QByteArray(CRADLE_VERSION_RECORD_SIZE, '\x07'));
    }

    void upgradeResultStopsTheProgressReports()
    {
        QTimer* progressTimer = M::instance()->findChild<QTimer*>();
        QVERIFY(progressTimer);
        Results results;
        M::instance()->upgradeFirmware(nullptr);
        QVERIFY(progressTimer->isActive());
        QCOMPARE(progressTimer->interval(), 500);
        const Result r = results.next(M::PROTOCOL_UPDATEFIRM);
        QCOMPARE(r.result, 0);
        QCOMPARE(r.errorInfo, QStringLiteral("no module upgrade"));
        QVERIFY(!progressTimer->isActive());
        QVERIFY(ScriptedCradle::calls().isEmpty());
    }

private:
    static QByteArray TestBytes()
    {
        QByteArray bytes(CRADLE_CONFIG_BUFFER_SIZE, '\0');
        for (int i = 0; i < CRADLE_CONFIG_BUFFER_SIZE; ++i)
            bytes[i] = char(0xA0 + i);
        return bytes;
    }
};

QTEST_GUILESS_MAIN(CommandWorkerTest)
#include "tst_commandworker.moc"
