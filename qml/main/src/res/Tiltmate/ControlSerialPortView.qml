import QtQuick 2.0
import QtQuick.Controls 1.5
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: serialPortView
    width: 780 * OrvControl.ORVStyle.dp
    height: 20 * OrvControl.ORVStyle.dp

    property alias portCombo: portCombo
    property alias openButton: openButton

    OrvControl.ORVComboBox {
        id: portCombo
        x: 550 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp
        height: parent.height
        model: runtimeSerialPortCtl.availableSerialPorts
        onPressedChanged: {
            if (pressed) {
                runtimeSerialPortCtl.refreshAvailableSerialPorts()
                openButton.enabled = runtimeSerialPortCtl.isSerialPortValid()
            }
        }
    }

    OrvControl.ORVButton {
        id: openButton
        anchors.left: portCombo.right
        anchors.leftMargin: 40 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp
        height: parent.height
        text: portCombo.currentText !== runtimeSerialPortCtl.opendPortName
              ? resLanguages.qsTr_STR_ID_111 : resLanguages.qsTr_STR_ID_112
        Component.onCompleted: enabled = runtimeSerialPortCtl.isSerialPortValid()
        onClicked: {
            if (text === resLanguages.qsTr_STR_ID_111) {
                runtimeSerialPortCtl.openSerialPort(portCombo.currentText)
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
            g_messageDlg.information = resLanguages.qsTr_STR_ID_113
            g_messageDlg.doModal()
            portCombo.enabled = true
            g_connentDlg.doQuit()
        }
        function onSigDisconnect() {
            runtimeSerialPortCtl.closeSerialPort()
            portCombo.enabled = true
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
