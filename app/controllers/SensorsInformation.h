#pragma once

#include <QObject>
#include <QString>

#include "ORVInteractiveCommandManager.h"

// Live attitude, rotation rates and accelerations decoded from telemetry record A.
class SensorsInformation : public QObject
{
    Q_OBJECT
public:
    enum SensorDataIndex {
        SENSOR_ROLL = 0,
        SENSOR_PITCH,
        SENSOR_YAW,
        SENSOR_ACCX,
        SENSOR_ACCY,
        SENSOR_ACCZ,
        SENSOR_GRYX,
        SENSOR_GRYY,
        SENSOR_GRYZ,
        SENSOR_MAX
    };
    Q_ENUM(SensorDataIndex)

    explicit SensorsInformation(QObject* parent = nullptr);

signals:
    void sigRefreshValue();

public slots:
    float getSensorValue(SensorDataIndex Index);
    QString getSensorValueString(SensorDataIndex Index);
    QString getSensorValueGString(SensorDataIndex Index);
    void st_serial_event(ORVInteractiveCommandManager::ProtocolCommandEnum command, int result,
                         int errorCode, QString errorInfo, QByteArray appendData);

private:
    float m_values[SENSOR_MAX] = {};
    ORVInteractiveCommandManager* m_manager = nullptr;
};
