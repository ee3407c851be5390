import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Window 2.2
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: serialPortView
    width: 780 * OrvControl.ORVStyle.dp
    height: 20 * OrvControl.ORVStyle.dp

    property alias portCombo: portCombo
    property alias openButton: openButton
    // The port the technician chose, by name: it survives a refresh of the list.
    property string chosenPort: ""
    readonly property var ports: runtimeSerialPortCtl.availablePortEntries
    readonly property string currentPort: portCombo.currentIndex >= 0 && portCombo.currentIndex < ports.length
                                          ? ports[portCombo.currentIndex].name : ""

    function indexOfPort(name) {
        for (var i = 0; i < ports.length; ++i) {
            if (ports[i].name === name)
                return i
        }
        return -1
    }

    function labelOf(name) {
        var index = indexOfPort(name)
        return index >= 0 ? ports[index].label : name
    }

    function selectPort(name) {
        var index = indexOfPort(name)
        portCombo.currentIndex = index >= 0 ? index : 0
    }

    function openFailureText() {
        var failure = runtimeSerialPortCtl.openFailure
        switch (failure.kind) {
        case SerialPortController.OPEN_FAILURE_NO_PERMISSION:
            return resLanguages.qsTr_STR_ID_212.arg(failure.path).arg(failure.group).arg(failure.user)
        case SerialPortController.OPEN_FAILURE_NEEDS_NEW_LOGIN:
            return resLanguages.qsTr_STR_ID_213.arg(failure.path).arg(failure.group).arg(failure.user)
        case SerialPortController.OPEN_FAILURE_MODE_DENIES:
            return resLanguages.qsTr_STR_ID_214.arg(failure.path).arg(failure.mode).arg(failure.user)
        case SerialPortController.OPEN_FAILURE_IN_USE:
            if (failure.modemManager)
                return resLanguages.qsTr_STR_ID_217.arg(failure.path)
            return failure.holder !== "" ? resLanguages.qsTr_STR_ID_215.arg(failure.path).arg(failure.holder)
                                         : resLanguages.qsTr_STR_ID_216.arg(failure.path)
        case SerialPortController.OPEN_FAILURE_GONE:
            return resLanguages.qsTr_STR_ID_218.arg(failure.path)
        default:
            return resLanguages.qsTr_STR_ID_113
        }
    }

    OrvControl.ORVComboBox {
        id: portCombo
        // Wide enough for a device name such as ttyGIMBAL0; the right edge stays where it was.
        x: 510 * OrvControl.ORVStyle.dp
        width: 120 * OrvControl.ORVStyle.dp
        height: parent.height
        model: serialPortView.ports
        textRole: "label"
        elide: Text.ElideMiddle
        onPressedChanged: {
            if (pressed) {
                portTooltip.hide()
                runtimeSerialPortCtl.refreshAvailableSerialPorts()
                openButton.enabled = runtimeSerialPortCtl.isSerialPortValid()
            }
        }
        onActivated: serialPortView.chosenPort = serialPortView.ports[index].name
        // A new list resets the selection to the first entry; put the chosen port back.
        onModelChanged: Qt.callLater(serialPortView.selectPort, serialPortView.chosenPort)

        MouseArea {
            id: portHover
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            hoverEnabled: true
            onExited: {
                tooltipDelay.stop()
                portTooltip.hide()
            }
            onEntered: tooltipDelay.restart()
            onPositionChanged: tooltipDelay.restart()
            Timer {
                id: tooltipDelay
                interval: 700
                onTriggered: {
                    if (!portHover.containsMouse || portCombo.pressed || portCombo.currentIndex < 0
                            || portCombo.currentIndex >= serialPortView.ports.length)
                        return
                    portTooltip.text = serialPortView.ports[portCombo.currentIndex].details
                    var at = portHover.mapToGlobal(portHover.mouseX, portHover.height + 4 * OrvControl.ORVStyle.dp)
                    portTooltip.x = at.x
                    portTooltip.y = at.y
                    portTooltip.show()
                }
            }
        }
    }

    // The full path, description and maker of the chosen port. A window of its own, like any
    // tooltip, so it may stand over the pages without being part of them.
    Window {
        id: portTooltip
        property alias text: tooltipText.text
        flags: Qt.ToolTip | Qt.FramelessWindowHint
        color: "black"
        width: tooltipText.implicitWidth + 12 * OrvControl.ORVStyle.dp
        height: tooltipText.implicitHeight + 8 * OrvControl.ORVStyle.dp
        Rectangle {
            anchors.fill: parent
            color: "black"
            border.color: OrvControl.ORVStyle.borderColor
            border.width: OrvControl.ORVStyle.borderWidth
        }
        Text {
            id: tooltipText
            x: 6 * OrvControl.ORVStyle.dp
            y: 4 * OrvControl.ORVStyle.dp
            color: OrvControl.ORVStyle.txtColor
            font.family: OrvControl.ORVStyle.fontfamily
            font.pixelSize: OrvControl.ORVStyle.fontsize
        }
    }

    OrvControl.ORVButton {
        id: openButton
        anchors.left: portCombo.right
        anchors.leftMargin: 40 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp
        height: parent.height
        text: serialPortView.currentPort !== runtimeSerialPortCtl.opendPortName
              ? resLanguages.qsTr_STR_ID_111 : resLanguages.qsTr_STR_ID_112
        Component.onCompleted: enabled = runtimeSerialPortCtl.isSerialPortValid()
        onClicked: {
            if (text === resLanguages.qsTr_STR_ID_111) {
                serialPortView.chosenPort = serialPortView.currentPort
                g_statusLine.awaitPort("")
                runtimeSerialPortCtl.openSerialPort(serialPortView.currentPort)
                portCombo.enabled = false
                g_connentDlg.doModal()
            } else {
                runtimeSerialPortCtl.closeSerialPort()
                portCombo.enabled = true
            }
        }
    }

    Connections {
        target: runtimeSerialPortCtl
        function onSigOpendPortFailed() {
            g_messageDlg.messageBoxType = 2
            g_messageDlg.information = openFailureText()
            g_messageDlg.doModal()
            portCombo.enabled = true
            g_connentDlg.doQuit()
        }
        function onSigDisconnect() {
            // Repeated on every poll until the close is done: close once. The status line tells
            // the technician (sigPortLost).
            if (portCombo.enabled)
                return
            runtimeSerialPortCtl.closeSerialPort()
            portCombo.enabled = true
            // Lost while still connecting: no version answer will come to close the waiting box.
            g_connentDlg.doQuit()
        }
        function onAvailableSerialPortsChanged() {
            openButton.enabled = runtimeSerialPortCtl.isSerialPortValid()
        }
        function onSigPortLost(port) {
            g_statusLine.awaitPort(serialPortView.labelOf(port))
        }
        function onSigPortReopening(port) {
            serialPortView.chosenPort = port
            serialPortView.selectPort(port)
            portCombo.enabled = false
            g_statusLine.notify(resLanguages.qsTr_STR_ID_221.arg(serialPortView.labelOf(port)))
        }
    }

    Connections {
        target: runtimePidTunning
        function onSigDownloadFailed() {
            g_messageDlg.messageBoxType = 2
            g_messageDlg.information = resLanguages.qsTr_STR_ID_95
            g_messageDlg.doModal()
        }
    }

    Connections {
        target: runtimeFirmwareController
        function onSigFileUpgradeStart() { openButton.enabled = false }
        function onSigFileUpgradeFinished() { openButton.enabled = true }
    }
}
