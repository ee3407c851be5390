#include "SensorsInformation.h"

#include "telemetry.h"

namespace {

constexpr double kTenthGToG = 0.1;

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
    const auto a = procedures::decodeTelemetryA(
        std::span(reinterpret_cast<const uint8_t*>(appendData.constData()), size_t(appendData.size())));
    if (!a)
        return;

    // Not a mix-up: the SENSOR_ACC* entries hold the rotation rates and SENSOR_GRY* the
    // accelerations (in tenths of g). The names are fixed by the QML interface and the pages label
    // them this way, so "fixing" the mapping would swap the two groups on screen.
    const SensorDataIndex rates[] = {SENSOR_ACCX, SENSOR_ACCY, SENSOR_ACCZ};
    const SensorDataIndex accels[] = {SENSOR_GRYX, SENSOR_GRYY, SENSOR_GRYZ};
    const SensorDataIndex angles[] = {SENSOR_ROLL, SENSOR_PITCH, SENSOR_YAW};
    for (size_t axis = 0; axis < 3; ++axis) {
        m_values[rates[axis]] = a->rate[axis];
        m_values[accels[axis]] = a->accelTenthG[axis];
        m_values[angles[axis]] = a->attitude[axis];
    }
    emit sigRefreshValue();
}
