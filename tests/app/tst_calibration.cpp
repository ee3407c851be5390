#include <QSignalSpy>
#include <QtTest>

#include "CalibrationControl.h"
#include "ORVInteractiveCommandManager.h"

using Manager = ORVInteractiveCommandManager;

// One log for the controller's signals and the requests it hands the manager, so order is checked.
class CalibrationLog : public QObject
{
    Q_OBJECT
signals:
    void seen(QString name, QVariantList args);
};

class TestCalibrationControl : public QObject
{
    Q_OBJECT

    template <class Sender, class... Args>
    void watch(Sender* sender, void (Sender::*signal)(Args...), const QString& name)
    {
        connect(sender, signal, &m_log, [this, name](Args... args) {
            emit m_log.seen(name, QVariantList{QVariant::fromValue(args)...});
        });
    }

    QStringList names() const
    {
        QStringList list;
        for (const QList<QVariant>& entry : *m_spy)
            list << entry.at(0).toString();
        return list;
    }

    QVariantList argsOf(int position) const { return m_spy->at(position).at(1).toList(); }

    void reply(Manager::ProtocolCommandEnum command, int result, const QByteArray& data = {})
    {
        emit m_manager->sg_protocolCommandResult(command, result, result, QString(), data);
    }

    Manager* m_manager = nullptr;
    CalibrationControl* m_control = nullptr;
    CalibrationLog m_log;
    QSignalSpy* m_spy = nullptr;

private slots:
    void initTestCase()
    {
        m_manager = Manager::instance();
        // The controller is tested on its own: its requests stop at the manager.
        for (auto signal : {&Manager::sg_cardleStart, &Manager::sg_cardleStop})
            disconnect(m_manager, signal, nullptr, nullptr);
        disconnect(m_manager, &Manager::sg_cardleCalibration, nullptr, nullptr);

        m_control = new CalibrationControl(this);
        watch(m_control, &CalibrationControl::sigCalibrationSuccess, "sigCalibrationSuccess");
        watch(m_control, &CalibrationControl::sigCalibrationStart, "sigCalibrationStart");
        watch(m_control, &CalibrationControl::sigCalibrationFailed, "sigCalibrationFailed");
        watch(m_control, &CalibrationControl::sigCradleStartFinished, "sigCradleStartFinished");
        watch(m_control, &CalibrationControl::sigCradleStopFinished, "sigCradleStopFinished");
        watch(m_manager, &Manager::sg_cardleCalibration, "sg_cardleCalibration");
        watch(m_manager, &Manager::sg_cardleStart, "sg_cardleStart");
        watch(m_manager, &Manager::sg_cardleStop, "sg_cardleStop");
        m_spy = new QSignalSpy(&m_log, &CalibrationLog::seen);
    }

    void init() { m_spy->clear(); }
    void cleanupTestCase() { delete m_spy; }

    void enumerationValuesAreTheWireCodes()
    {
        const QMetaEnum codes = QMetaEnum::fromType<CalibrationControl::CRADLECALIBRATION>();
        QCOMPARE(codes.keyToValue("CRADLE_CALI_UNKNOW"), 0);
        QCOMPARE(codes.keyToValue("CRADLE_CALI_STEWING"), 1);
        QCOMPARE(codes.keyToValue("CRADLE_CALI_ATTANGLE"), 5);
    }

    void startAnnouncesBeforeRequesting()
    {
        m_control->startCalibartion(CalibrationControl::CRADLE_CALI_HOR);
        QCOMPARE(names(), QStringList({"sigCalibrationStart", "sg_cardleCalibration"}));
        QCOMPARE(argsOf(0).at(0).toInt(), 2);
        QCOMPARE(argsOf(1).at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_CALIBRATION);
        QCOMPARE(argsOf(1).at(1).value<short>(), short(2));
    }

    void calibrationResultNamesTheType_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("type");
        QTest::newRow("success") << 0 << QByteArray::fromHex("04000000") << "sigCalibrationSuccess" << 4;
        QTest::newRow("failure") << 5 << QByteArray::fromHex("04000000") << "sigCalibrationFailed" << 4;
        QTest::newRow("vertical") << 0 << QByteArray::fromHex("0300") << "sigCalibrationSuccess" << 3;
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
        reply(Manager::PROTOCOL_CALIBRATION, result, data);
        QCOMPARE(names(), QStringList{expected});
        QCOMPARE(argsOf(0).at(0).toInt(), type);
    }

    void startAndStopRequestAndFinishWhateverTheResult()
    {
        m_control->StartCradle();
        reply(Manager::PROTOCOL_CRADLESTART, 1);
        m_control->StopCradle();
        reply(Manager::PROTOCOL_CRADLESTOP, 0);
        QCOMPARE(names(), QStringList({"sg_cardleStart", "sigCradleStartFinished", "sg_cardleStop",
                                       "sigCradleStopFinished"}));
        QCOMPARE(argsOf(0).at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_CRADLESTART);
        QCOMPARE(argsOf(2).at(0).value<Manager::ProtocolCommandEnum>(), Manager::PROTOCOL_CRADLESTOP);
    }

    void otherCommandsAreIgnored()
    {
        const QMetaEnum commands = QMetaEnum::fromType<Manager::ProtocolCommandEnum>();
        for (int i = 0; i < commands.keyCount(); ++i) {
            const auto command = Manager::ProtocolCommandEnum(commands.value(i));
            if (command == Manager::PROTOCOL_CALIBRATION || command == Manager::PROTOCOL_CRADLESTART
                || command == Manager::PROTOCOL_CRADLESTOP)
                continue;
            reply(command, 0, QByteArray(52, '\x01'));
            reply(command, 1);
        }
        QCOMPARE(names(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCalibrationControl)
#include "tst_calibration.moc"
