import QtQuick 2.0

// Stand-in for the serial port controller: scripted port list, recorded requests.
QtObject {
    property var availableSerialPorts: []
    property string opendPortName: ""
    property var requests: []

    signal sigOpendPortFailed()
    signal sigDisconnect()

    function reset() {
        availableSerialPorts = []
        opendPortName = ""
        requests = []
    }
    function record(what) { requests = requests.concat([what]) }
    function openSerialPort(port) { record("open " + port); opendPortName = port }
    function closeSerialPort() { record("close"); opendPortName = "" }
    function refreshAvailableSerialPorts() { record("refresh") }
    function isSerialPortValid() { return availableSerialPorts.length > 0 }
}
