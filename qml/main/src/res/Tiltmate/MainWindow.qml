import QtQuick 2.0
import QtQuick.Controls 1.5
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: pageFrame
    width: 800 * OrvControl.ORVStyle.dp
    height: 600 * OrvControl.ORVStyle.dp

    property alias tabView: tabView
    property alias connectionPanel: serialPortView
    property alias messageBox: g_messageDlg
    property alias waitingWindow: g_connentDlg

    OrvControl.ORVMessageBox {
        id: g_messageDlg
        visible: false
        fatherFrame: mainWindow
    }

    OrvControl.ORVConnectWindow {
        id: g_connentDlg
        visible: false
        fatherFrame: mainWindow
        information: resLanguages.qsTr_STR_ID_116
    }

    Rectangle {
        anchors.fill: parent
        anchors.margins: 5 * OrvControl.ORVStyle.dp
        color: "transparent"

        ControlSerialPortView {
            id: serialPortView
            anchors.top: parent.top
            anchors.topMargin: 10 * OrvControl.ORVStyle.dp
            width: 790 * OrvControl.ORVStyle.dp
            height: 25 * OrvControl.ORVStyle.dp
        }

        OrvControl.ORVTabView {
            id: tabView
            objectName: "pageTabs"
            anchors.top: serialPortView.bottom
            anchors.topMargin: 25 * OrvControl.ORVStyle.dp
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            enabled: false

            Tab {
                id: runningTab
                title: resLanguages.qsTr_STR_ID_1
                active: true
                WidgetRunningInfor {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 530 * OrvControl.ORVStyle.dp
                }
            }
            Tab {
                id: imuTab
                title: resLanguages.qsTr_STR_ID_2
                active: true
                WidgetImuCalibration {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 530 * OrvControl.ORVStyle.dp
                }
            }
            Tab {
                id: firmwareTab
                title: resLanguages.qsTr_STR_ID_3
                active: true
                WidgetFirmware {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 530 * OrvControl.ORVStyle.dp
                }
            }
            Tab {
                id: configurationTab
                title: resLanguages.qsTr_STR_ID_4
                active: true
                WidgetConfiguration {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 530 * OrvControl.ORVStyle.dp
                }
            }
        }
    }

    OrvControl.ORVLabel {
        x: 20 * OrvControl.ORVStyle.dp
        y: 560 * OrvControl.ORVStyle.dp
        text: "Ver: 2.2"
        font.italic: true
        font.underline: true
    }

    Connections {
        target: runtimeFirmwareController
        function onSigGetVersionFailed() {
            g_messageDlg.messageBoxType = 2
            g_messageDlg.information = resLanguages.qsTr_STR_ID_7
            g_messageDlg.doModal()
            g_connentDlg.doQuit()
        }
        function onSigGetVersionSuccessed() {
            tabView.enabled = true
            g_connentDlg.doQuit()
        }
        function onSigFirmclosed() {
            tabView.enabled = false
        }
        function onSigFileUpgradeStart() {
            runningTab.enabled = false
            imuTab.enabled = false
            configurationTab.enabled = false
        }
        function onSigFileUpgradeFinished() {
            runningTab.enabled = true
            imuTab.enabled = true
            configurationTab.enabled = true
        }
    }
}
