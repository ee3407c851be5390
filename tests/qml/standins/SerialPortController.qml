import QtQuick 2.0

// Stand-in for the serial port controller: scripted port list, recorded requests.
QtObject {
    property var availableSerialPorts: []
    property var availablePortEntries: availableSerialPorts.map(function (name) {
        return {name: name, label: name.split("/").pop(), details: name}
    })
    property var openFailure: ({kind: 0})
    property string opendPortName: ""
    property var requests: []

    signal sigOpendPortFailed()
    signal sigDisconnect()
    signal sigPortLost(string port)
    signal sigPortReopening(string port)

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
