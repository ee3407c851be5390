#include "SensorsInformation.h"

#include <QtEndian>

#include "Cradle.h"

namespace {

constexpr int kRateOffset = 1;        // X, Y, Z rotation rates
constexpr int kAccelOffset = 7;       // X, Y, Z accelerations
constexpr int kAttitudeOffset = 13;   // roll, pitch, heading
constexpr float kRateLsbPerDegPerSec = 65.5f;
constexpr float kAccelLsbPerTenthG = 204.8f;
constexpr float kFullTurnDegrees = 360.0f;
constexpr float kAngleLsbFraction = 0.0000152587890625f;  // 1 / 65536
constexpr double kTenthGToG = 0.1;

float rawAt(const QByteArray& block, int offset)
{
    return qFromLittleEndian<qint16>(block.constData() + offset);
}

} // namespace

SensorsInformation::SensorsInformation(QObject* parent)
    : QObject(parent)
    , m_manager(ORVInteractiveCommandManager::instance())
{
    // The signatures name the enumeration unqualified; the alias lets queued calls and spies copy it.
    qRegisterMetaType<SensorsInformation::SensorDataIndex>("SensorDataIndex");
    connect(m_manager, &ORVInteractiveCommandManager::sg_protocolCommandResult,
            this, &SensorsInformation::st_serial_event);
}

// Out-of-range indices answer 0 instead of reading beyond the table.
float SensorsInformation::getSensorValue(SensorDataIndex Index)
{
    if (Index < 0 || Index >= SENSOR_MAX)
        return 0.0f;
    return m_values[Index];
}

QString SensorsInformation::getSensorValueString(SensorDataIndex Index)
{
    return QString::number(double(getSensorValue(Index)), 'f', 2);
}

QString SensorsInformation::getSensorValueGString(SensorDataIndex Index)
{
    return QString::number(double(getSensorValue(Index)) * kTenthGToG, 'f', 2);
}

void SensorsInformation::st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command,
                                         int, int, QString, QByteArray appendData)
{
    if (command != ORVInteractiveCommandManager::PROTOCOL_CRADLEDATAA)
        return;
    // A truncated record cannot be told apart from noise; keep the last good values.
    if (appendData.size() < CRADLE_TELEMETRY_A_SIZE)
        return;

    // Not a mix-up: the SENSOR_ACC* entries hold the rotation rates and SENSOR_GRY* the
    // accelerations. The names are fixed by the QML interface and the pages label them this way,
    // so "fixing" the mapping would swap the two groups on screen.
    const SensorDataIndex rates[] = {SENSOR_ACCX, SENSOR_ACCY, SENSOR_ACCZ};
    const SensorDataIndex accels[] = {SENSOR_GRYX, SENSOR_GRYY, SENSOR_GRYZ};
    const SensorDataIndex angles[] = {SENSOR_ROLL, SENSOR_PITCH, SENSOR_YAW};
    for (int axis = 0; axis < 3; ++axis) {
        m_values[rates[axis]] = rawAt(appendData, kRateOffset + 2 * axis) / kRateLsbPerDegPerSec;
        m_values[accels[axis]] = rawAt(appendData, kAccelOffset + 2 * axis) / kAccelLsbPerTenthG;
        m_values[angles[axis]] =
            rawAt(appendData, kAttitudeOffset + 2 * axis) * kFullTurnDegrees * kAngleLsbFraction;
    }
    emit sigRefreshValue();
}
