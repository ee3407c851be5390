#include <QSignalSpy>
#include <QtTest>

#include "CalibrationControl.h"
#include "ORVInteractiveCommandManager.h"
#include "SignalRecorder.h"

using Manager = ORVInteractiveCommandManager;
using C = CalibrationControl;

class TestCalibrationControl : public QObject
{
    Q_OBJECT

    Manager* m_manager = nullptr;
    C* m_control = nullptr;
    SignalRecorder m_recorder;  // the controller's signals and the requests it makes, in one order

    QStringList seen() const
    {
        QStringList names = m_recorder.names();
        names.removeAll("sg_protocolCommandResult");
        return names;
    }

    void reply(Manager::ProtocolCommandEnum command, int result, const QByteArray& data = {})
    {
        emit m_manager->sg_protocolCommandResult(command, result, result, QString(), data);
    }

private slots:
    void initTestCase()
    {
        m_manager = Manager::instance();
        // The controller is tested on its own: its requests stop at the manager.
        disconnect(m_manager, &Manager::sg_cardleCalibration, nullptr, nullptr);
        disconnect(m_manager, &Manager::sg_cardleStart, nullptr, nullptr);
        disconnect(m_manager, &Manager::sg_cardleStop, nullptr, nullptr);
        m_control = new C(this);
        m_recorder.watch(m_control);
        m_recorder.watch(m_manager);
    }

    void init() { m_recorder.clear(); }

    void startAnnouncesBeforeRequesting()
    {
        QSignalSpy started(m_control, &C::sigCalibrationStart);
        QSignalSpy requests(m_manager, &Manager::sg_cardleCalibration);
        m_control->startCalibartion(C::CRADLE_CALI_HOR);
        QCOMPARE(seen(), QStringList({"sigCalibrationStart", "sg_cardleCalibration"}));
        QCOMPARE(started.at(0).at(0).toInt(), 2);
        QCOMPARE(requests.at(0).at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_CALIBRATION);
        QCOMPARE(requests.at(0).at(1).value<short>(), short(2));
    }

    void calibrationResultNamesTheType_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("type");
        QTest::newRow("success") << 0 << QByteArray::fromHex("04000000") << "sigCalibrationSuccess" << 4;
        QTest::newRow("failure") << 5 << QByteArray::fromHex("04000000") << "sigCalibrationFailed" << 4;
        // Without the echoed code the type cannot be told; it is reported as unknown.
        QTest::newRow("short echo") << 1 << QByteArray::fromHex("04") << "sigCalibrationFailed" << 0;
        QTest::newRow("no echo") << 0 << QByteArray() << "sigCalibrationSuccess" << 0;
    }

    void calibrationResultNamesTheType()
    {
        QFETCH(int, result);
        QFETCH(QByteArray, data);
        QFETCH(QString, expected);
        QFETCH(int, type);
        QSignalSpy succeeded(m_control, &C::sigCalibrationSuccess);
        QSignalSpy failed(m_control, &C::sigCalibrationFailed);
        reply(Manager::PROTOCOL_CALIBRATION, result, data);
        QCOMPARE(seen(), QStringList{expected});
        QCOMPARE((result == 0 ? succeeded : failed).at(0).at(0).toInt(), type);
    }

    void failureAfterARemovalIsAnInterruption()
    {
        QSignalSpy interrupted(m_control, &C::sigCalibrationInterrupted);
        reply(Manager::PROTOCOL_SERIALPORTDISCONNECT, 1);
        reply(Manager::PROTOCOL_CALIBRATION, 1, QByteArray::fromHex("04000000"));
        // A new connection brings the steps' own failures back.
        reply(Manager::PROTOCOL_SERIALPORTOPEN, 0);
        reply(Manager::PROTOCOL_CALIBRATION, 2, QByteArray::fromHex("02000000"));
        QCOMPARE(seen(), QStringList({"sigCalibrationInterrupted", "sigCalibrationFailed"}));
        QCOMPARE(interrupted.at(0).at(0).toInt(), 4);
    }

    void startAndStopFinishWhateverTheResult()
    {
        QSignalSpy starts(m_manager, &Manager::sg_cardleStart);
        QSignalSpy stops(m_manager, &Manager::sg_cardleStop);
        m_control->StartCradle();
        reply(Manager::PROTOCOL_CRADLESTART, 1);
        m_control->StopCradle();
        reply(Manager::PROTOCOL_CRADLESTOP, 0);
        QCOMPARE(seen(), QStringList({"sg_cardleStart", "sigCradleStartFinished", "sg_cardleStop",
                                      "sigCradleStopFinished"}));
        QCOMPARE(starts.at(0).at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_CRADLESTART);
        QCOMPARE(stops.at(0).at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_CRADLESTOP);
    }

    void otherCommandsAreIgnored()
    {
        const QMetaEnum commands = QMetaEnum::fromType<Manager::ProtocolCommandEnum>();
        for (int i = 0; i < commands.keyCount(); ++i) {
            const auto command = Manager::ProtocolCommandEnum(commands.value(i));
            if (command != Manager::PROTOCOL_CALIBRATION && command != Manager::PROTOCOL_CRADLESTART
                && command != Manager::PROTOCOL_CRADLESTOP)
                reply(command, i % 2, QByteArray(52, '\x01'));
        }
        QCOMPARE(seen(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCalibrationControl)
#include "tst_calibration.moc"
