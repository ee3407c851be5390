import QtQuick 2.0

// Stand-in for the sensors controller: tests set the nine values and emit sigRefreshValue.
QtObject {
    enum SensorDataIndex {
        SENSOR_ROLL, SENSOR_PITCH, SENSOR_YAW,
        SENSOR_ACCX, SENSOR_ACCY, SENSOR_ACCZ,
        SENSOR_GRYX, SENSOR_GRYY, SENSOR_GRYZ, SENSOR_MAX
    }

    property var values: [0, 0, 0, 0, 0, 0, 0, 0, 0]

    signal sigRefreshValue()

    function reset() { values = [0, 0, 0, 0, 0, 0, 0, 0, 0] }
    function getSensorValue(index) { return values[index] }
    function getSensorValueString(index) { return Number(values[index]).toFixed(2) }
    function getSensorValueGString(index) { return (Number(values[index]) * 0.1).toFixed(2) }
}
