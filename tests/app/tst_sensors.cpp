#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

#include "Cradle.h"
#include "ORVInteractiveCommandManager.h"
#include "SensorsInformation.h"

using Manager = ORVInteractiveCommandManager;
using S = SensorsInformation;

namespace {

void putRaw(QByteArray& block, int offset, qint16 raw)
{
    qToLittleEndian<qint16>(raw, block.data() + offset);
}

// Rates 655, 1310, -655; accelerations 2048, -2048, 0; roll -16384, pitch 16384, heading -32768.
QByteArray sampleRecord()
{
    QByteArray block(CRADLE_TELEMETRY_A_SIZE, '\0');
    block[0] = char(0x5A);
    const qint16 raws[] = {655, 1310, -655, 2048, -2048, 0, -16384, 16384, -32768};
    for (int i = 0; i < 9; ++i)
        putRaw(block, 1 + 2 * i, raws[i]);
    return block;
}

} // namespace

class TestSensorsInformation : public QObject
{
    Q_OBJECT

    void reply(Manager::ProtocolCommandEnum command, const QByteArray& data)
    {
        emit Manager::instance()->sg_protocolCommandResult(command, 0, 0, QString(), data);
    }

    QList<float> allValues(S& sensors)
    {
        QList<float> values;
        for (int i = 0; i < S::SENSOR_MAX; ++i)
            values << sensors.getSensorValue(S::SensorDataIndex(i));
        return values;
    }

private slots:
    void freshObjectReadsZero()
    {
        S sensors;
        for (int i = 0; i < S::SENSOR_MAX; ++i) {
            QCOMPARE(sensors.getSensorValue(S::SensorDataIndex(i)), 0.0f);
            QCOMPARE(sensors.getSensorValueString(S::SensorDataIndex(i)), QString("0.00"));
            QCOMPARE(sensors.getSensorValueGString(S::SensorDataIndex(i)), QString("0.00"));
        }
    }

    void decodesRecordA()
    {
        S sensors;
        QSignalSpy refreshed(&sensors, &S::sigRefreshValue);
        reply(Manager::PROTOCOL_CRADLEDATAA, sampleRecord());
        QCOMPARE(refreshed.count(), 1);

        QCOMPARE(sensors.getSensorValue(S::SENSOR_ACCX), 10.0f);
        QCOMPARE(sensors.getSensorValue(S::SENSOR_ACCY), 20.0f);
        QCOMPARE(sensors.getSensorValue(S::SENSOR_ACCZ), -10.0f);
        QCOMPARE(sensors.getSensorValue(S::SENSOR_GRYX), 10.0f);
        QCOMPARE(sensors.getSensorValue(S::SENSOR_GRYY), -10.0f);
        QCOMPARE(sensors.getSensorValue(S::SENSOR_GRYZ), 0.0f);
        QCOMPARE(sensors.getSensorValue(S::SENSOR_ROLL), -90.0f);
        QCOMPARE(sensors.getSensorValue(S::SENSOR_PITCH), 90.0f);
        QCOMPARE(sensors.getSensorValue(S::SENSOR_YAW), -180.0f);

        QCOMPARE(sensors.getSensorValueString(S::SENSOR_ACCX), QString("10.00"));
        QCOMPARE(sensors.getSensorValueGString(S::SENSOR_GRYX), QString("1.00"));
        QCOMPARE(sensors.getSensorValueGString(S::SENSOR_GRYY), QString("-1.00"));
        QCOMPARE(sensors.getSensorValueString(S::SENSOR_YAW), QString("-180.00"));
    }

    void otherCommandsChangeNothing()
    {
        S sensors;
        QSignalSpy refreshed(&sensors, &S::sigRefreshValue);
        const QMetaEnum commands = QMetaEnum::fromType<Manager::ProtocolCommandEnum>();
        for (int i = 0; i < commands.keyCount(); ++i) {
            if (commands.value(i) != Manager::PROTOCOL_CRADLEDATAA)
                reply(Manager::ProtocolCommandEnum(commands.value(i)), sampleRecord());
        }
        QCOMPARE(refreshed.count(), 0);
        QCOMPARE(allValues(sensors), QList<float>(QVector<float>(S::SENSOR_MAX, 0.0f).toList()));
    }

    void truncatedRecordIsDropped_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("empty") << 0;
        QTest::newRow("header only") << 1;
        QTest::newRow("one byte short") << CRADLE_TELEMETRY_A_SIZE - 1;
    }

    void truncatedRecordIsDropped()
    {
        QFETCH(int, length);
        S sensors;
        reply(Manager::PROTOCOL_CRADLEDATAA, sampleRecord());
        const QList<float> before = allValues(sensors);

        QSignalSpy refreshed(&sensors, &S::sigRefreshValue);
        QByteArray shortBlock = QByteArray(CRADLE_TELEMETRY_A_SIZE, '\x11').left(length);
        reply(Manager::PROTOCOL_CRADLEDATAA, shortBlock);
        QCOMPARE(refreshed.count(), 0);
        QCOMPARE(allValues(sensors), before);
    }

    void longerRecordUsesItsFirstBytes()
    {
        S sensors;
        reply(Manager::PROTOCOL_CRADLEDATAA, sampleRecord() + QByteArray(12, '\x7F'));
        QCOMPARE(sensors.getSensorValue(S::SENSOR_YAW), -180.0f);
    }

    void outOfRangeIndexReadsZero()
    {
        S sensors;
        reply(Manager::PROTOCOL_CRADLEDATAA, sampleRecord());
        QCOMPARE(sensors.getSensorValue(S::SENSOR_MAX), 0.0f);
        QCOMPARE(sensors.getSensorValueString(S::SensorDataIndex(-1)), QString("0.00"));
    }
};

QTEST_GUILESS_MAIN(TestSensorsInformation)
#include "tst_sensors.moc"
