import QtQuick 2.0
import QtQuick.Controls 1.5
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: pageFrame
    width: 800 * OrvControl.ORVStyle.dp
    // Taller than the 600 first drawn, so that each page gets its full 540 under the tabs and the
    // version label has a line of its own below the tab frame.
    height: 660 * OrvControl.ORVStyle.dp

    property alias tabView: tabView
    property alias connectionPanel: serialPortView
    property alias messageBox: g_messageDlg
    property alias waitingWindow: g_connentDlg
    property alias statusLine: g_statusLine

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
            height: 566 * OrvControl.ORVStyle.dp
            enabled: false

            Tab {
                id: runningTab
                title: resLanguages.qsTr_STR_ID_1
                active: true
                WidgetRunningInfor {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 540 * OrvControl.ORVStyle.dp
                }
            }
            Tab {
                id: imuTab
                title: resLanguages.qsTr_STR_ID_2
                active: true
                WidgetImuCalibration {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 540 * OrvControl.ORVStyle.dp
                }
            }
            Tab {
                id: firmwareTab
                title: resLanguages.qsTr_STR_ID_3
                active: true
                WidgetFirmware {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 540 * OrvControl.ORVStyle.dp
                }
            }
            Tab {
                id: configurationTab
                title: resLanguages.qsTr_STR_ID_4
                active: true
                WidgetConfiguration {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 540 * OrvControl.ORVStyle.dp
                }
            }
            Tab {
                id: plotTab
                title: resLanguages.qsTr_STR_ID_255
                active: true
                WidgetTelemetryPlot {
                    width: 790 * OrvControl.ORVStyle.dp
                    height: 540 * OrvControl.ORVStyle.dp
                }
            }
        }
    }

    OrvControl.ORVLabel {
        id: versionLabel
        x: 20 * OrvControl.ORVStyle.dp
        y: tabView.parent.y + tabView.y + tabView.height + 3 * OrvControl.ORVStyle.dp
        text: "Ver: 2.2"
        font.italic: true
        font.underline: true
    }

    // One line left of the port selector: confirmations that fade by themselves, and while no
    // gimbal is connected, what to do first.
    OrvControl.ORVLabel {
        id: g_statusLine
        objectName: "statusLine"
        x: 20 * OrvControl.ORVStyle.dp
        y: serialPortView.parent.y + serialPortView.y
        width: 470 * OrvControl.ORVStyle.dp
        height: serialPortView.height
        horizontalAlignment: Text.AlignLeft
        elide: Text.ElideRight
        text: note !== "" ? note : standing

        property bool connected: false
        property string note: ""
        property string awaitedPort: ""
        readonly property string standing: connected ? ""
                                           : awaitedPort !== "" ? resLanguages.qsTr_STR_ID_220.arg(awaitedPort)
                                           : resLanguages.qsTr_STR_ID_219

        function notify(text) {
            note = text
            fading.restart()
        }
        function awaitPort(label) {
            awaitedPort = label
        }

        // A confirmation in the language just left is dropped rather than left to fade.
        Connections {
            target: runtimeLanguage
            function onLanguageChanged() {
                fading.stop()
                g_statusLine.note = ""
                g_statusLine.opacity = 1
            }
        }

        SequentialAnimation {
            id: fading
            PropertyAction { target: g_statusLine; property: "opacity"; value: 1 }
            PauseAnimation { duration: 4000 }
            NumberAnimation { target: g_statusLine; property: "opacity"; to: 0; duration: 1000 }
            PropertyAction { target: g_statusLine; property: "note"; value: "" }
            PropertyAction { target: g_statusLine; property: "opacity"; value: 1 }
        }
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
            g_statusLine.connected = true
            g_statusLine.awaitedPort = ""
            g_statusLine.notify(resLanguages.qsTr_STR_ID_228)
        }
        function onSigFirmclosed() {
            tabView.enabled = false
            g_statusLine.connected = false
        }
        function onSigFileUpgradeStart() {
            runningTab.enabled = false
            imuTab.enabled = false
            configurationTab.enabled = false
            plotTab.enabled = false
        }
        function onSigFileUpgradeFinished() {
            runningTab.enabled = true
            imuTab.enabled = true
            configurationTab.enabled = true
            plotTab.enabled = true
        }
    }
}
