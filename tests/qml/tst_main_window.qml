import QtQuick 2.0
import QtQuick.Window 2.2
import QtTest 1.2
import "qrc:/main/src/res/Tiltmate"

// Holds the running page and its 3D view, so it runs on a display server (see CMakeLists.txt).
Item {
    id: root
    width: 800
    height: 600

    Window { id: mainWindow; width: 800; height: 636 }
    ResLanguages { id: resLanguages }

    Component {
        id: frameComponent
        MainWindow { }
    }

    TestCase {
        name: "MainWindow"
        when: windowShown

        property var frame: null
        property var panel: null

        function init() {
            runtimeSerialPortCtl.reset()
            runtimeFirmwareController.reset()
        }

        function openFrame() {
            frame = createTemporaryObject(frameComponent, root)
            panel = frame.connectionPanel
            return frame
        }

        function test_open_button_needs_a_port() {
            openFrame()
            compare(panel.openButton.enabled, false)
            runtimeSerialPortCtl.availableSerialPorts = ["ttyUSB0"]
            mousePress(panel.portCombo)
            compare(runtimeSerialPortCtl.requests[0], "refresh")
            compare(panel.openButton.enabled, true)
            mouseRelease(panel.portCombo)
            keyClick(Qt.Key_Escape)
        }

        function test_button_text_follows_the_opened_name() {
            runtimeSerialPortCtl.availableSerialPorts = ["ttyS0", "ttyUSB0"]
            openFrame()
            compare(panel.openButton.text, "打开")
            runtimeSerialPortCtl.opendPortName = "ttyUSB0"
            compare(panel.openButton.text, "打开")
            panel.portCombo.currentIndex = 1
            compare(panel.openButton.text, "关闭")
            panel.portCombo.currentIndex = 0
            compare(panel.openButton.text, "打开")
        }

        function test_connecting_and_its_outcomes() {
            runtimeSerialPortCtl.availableSerialPorts = ["ttyUSB0"]
            openFrame()
            compare(frame.tabView.enabled, false)
            mouseClick(panel.openButton)
            compare(runtimeSerialPortCtl.requests, ["open ttyUSB0"])
            compare(panel.portCombo.enabled, false)
            compare(panel.openButton.text, "关闭")
            compare(frame.waitingWindow.visible, true)

            runtimeSerialPortCtl.opendPortName = ""
            runtimeSerialPortCtl.sigOpendPortFailed()
            compare(frame.waitingWindow.visible, false)
            compare(frame.messageBox.visible, true)
            compare(frame.messageBox.information, resLanguages.qsTr_STR_ID_113)
            compare(panel.portCombo.enabled, true)
            frame.messageBox.hide()

            mouseClick(panel.openButton)
            runtimeFirmwareController.sigGetVersionFailed()
            compare(frame.messageBox.information, resLanguages.qsTr_STR_ID_7)
            compare(frame.waitingWindow.visible, false)
            compare(frame.tabView.enabled, false)
            frame.messageBox.hide()

            runtimeFirmwareController.sigGetVersionSuccessed()
            compare(frame.tabView.enabled, true)
            runtimeFirmwareController.sigFirmclosed()
            compare(frame.tabView.enabled, false)
        }

        function test_lost_port_closes_once() {
            runtimeSerialPortCtl.availableSerialPorts = ["ttyUSB0"]
            openFrame()
            mouseClick(panel.openButton)
            compare(frame.waitingWindow.visible, true)
            runtimeSerialPortCtl.sigDisconnect()
            compare(frame.waitingWindow.visible, false)
            // The poll repeats the loss until the close is done.
            runtimeSerialPortCtl.sigDisconnect()
            compare(runtimeSerialPortCtl.requests, ["open ttyUSB0", "close"])
            compare(panel.portCombo.enabled, true)
            compare(panel.openButton.text, "打开")
            compare(frame.messageBox.visible, false)
        }

        function test_upgrade_leaves_only_the_firmware_tab() {
            runtimeSerialPortCtl.availableSerialPorts = ["ttyUSB0"]
            openFrame()
            runtimeFirmwareController.sigGetVersionSuccessed()
            runtimeFirmwareController.sigFileUpgradeStart()
            var enabled = []
            for (var i = 0; i < frame.tabView.count; ++i)
                enabled.push(frame.tabView.getTab(i).enabled)
            compare(enabled, [false, false, true, false, false])
            compare(panel.openButton.enabled, false)
            runtimeFirmwareController.sigFileUpgradeFinished()
            for (i = 0; i < frame.tabView.count; ++i)
                verify(frame.tabView.getTab(i).enabled)
            compare(panel.openButton.enabled, true)
        }
    }
}
