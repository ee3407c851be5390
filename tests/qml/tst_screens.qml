import QtQuick 2.0
import QtQuick.Window 2.2
import QtTest 1.2
import "qrc:/main/src/res/Tiltmate"
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// Renders the main window's five tabs and the two pages that are not placed, saves each as a
// PNG beside the test (screen_*.png) for review, and checks what every picture must show.
Item {
    id: root
    width: 800
    height: 560

    Component {
        id: mainComponent
        Loader { source: "qrc:/main/main.qml" }
    }

    ResLanguages { id: resLanguages }
    OrvControl.ORVMessageBox { id: g_messageDlg }
    OrvControl.ORVConnectWindow { id: g_connentDlg }

    Loader {
        id: pageLoader
        anchors.fill: parent
    }

    TestCase {
        name: "Screens"
        when: windowShown

        function findByText(item, text) {
            if (!item)
                return null
            if (item.text === text && item.visible)
                return item
            for (var i = 0; i < item.children.length; ++i) {
                var found = findByText(item.children[i], text)
                if (found)
                    return found
            }
            return null
        }

        // True when some pixel of the area is (nearly) the given colour.
        function showsColour(image, area, colour) {
            var wanted = Qt.lighter(colour, 1.0)
            for (var y = area.y; y < area.y + area.height; y += 1) {
                for (var x = area.x; x < area.x + area.width; x += 1) {
                    var c = image.pixel(x, y)
                    if (Math.abs(c.r - wanted.r) < 0.05 && Math.abs(c.g - wanted.g) < 0.05 && Math.abs(c.b - wanted.b) < 0.05)
                        return true
                }
            }
            return false
        }

        function fillStandIns() {
            runtimeSerialPortCtl.availableSerialPorts = ["ttyUSB0", "ttyS0"]
            runtimeSensorsinfo.values = [12.5, -3.25, 90, 0.5, -1.25, 2, 1, 2, 98]
            runtimeFirmwareController.firmwareListModel.clear()
            runtimeFirmwareController.firmwareListModel.append({ Name: "IFB", AppVersion: "1.2.3", FileAppVersion: "1.2.4", UpgradeStatus: 0 })
            runtimeFirmwareController.firmwareListModel.append({ Name: "MX", AppVersion: "2.0.1", FileAppVersion: "2.0.2", UpgradeStatus: 0 })
            runtimeInstrumentConfig.values = [4, 0, 0, 0, 0]
        }

        function test_main_window_tabs() {
            fillStandIns()
            var window = createTemporaryObject(mainComponent, root).item
            verify(window !== null)
            window.requestActivate()
            tryCompare(window, "visible", true)
            runtimeFirmwareController.sigGetVersionSuccessed()
            runtimeInstrumentConfig.sigDownloadSucceed()
            runtimeInstrumentConfig.sigRefreshValue()
            runtimeInstrumentConfig.typeMechanismChanged()
            runtimeSensorsinfo.sigRefreshValue()
            runtimeJoystickdevice.sigRefreshMapping()
            runtimeJoystickdevice.sigRefreshStatus()
            runtimeFirmwareController.firmwareListModel.setProperty(1, "UpgradeStatus", 37)

            var names = ["running", "imu", "firmware", "configuration", "plot"]
            var tabView = findChild(window.contentItem, "pageTabs")
            verify(tabView !== null)
            verify(tabView.enabled)
            for (var i = 0; i < names.length; ++i) {
                tabView.currentIndex = i
                waitForRendering(window.contentItem)
                var image = grabImage(window.contentItem)
                image.save("screen_" + names[i] + ".png")
                compare(image.width, window.width)
                compare(image.height, window.height)
                // The selected tab is filled with the style's green, wherever the tab bar lies.
                var tabBar = tabView.mapToItem(window.contentItem, 0, 0)
                verify(showsColour(image, Qt.rect(tabBar.x, tabBar.y, 300, 24), OrvControl.ORVStyle.borderColor), names[i])
            }
            verify(findByText(window.contentItem, "Ver: 2.2") !== null)
            compare(window.title, "ORV Tiltmate")
        }

        function test_dialogs() {
            g_messageDlg.messageBoxType = 2
            g_messageDlg.information = resLanguages.qsTr_STR_ID_95
            g_messageDlg.doModal()
            tryCompare(g_messageDlg, "visible", true)
            waitForRendering(g_messageDlg.contentItem)
            var box = grabImage(g_messageDlg.contentItem)
            box.save("screen_message_box.png")
            verify(showsColour(box, Qt.rect(0, 0, 80, 30), "red"))
            g_messageDlg.hide()

            g_connentDlg.information = resLanguages.qsTr_STR_ID_116
            g_connentDlg.doModal()
            tryCompare(g_connentDlg, "visible", true)
            waitForRendering(g_connentDlg.contentItem)
            var waiting = grabImage(g_connentDlg.contentItem)
            waiting.save("screen_waiting.png")
            verify(showsColour(waiting, Qt.rect(0, 0, g_connentDlg.width, 10), OrvControl.ORVStyle.borderColor))
            g_connentDlg.doQuit()
        }

        function test_pages_not_placed() {
            var pages = ["WidgetTunning.qml", "WidgetMotorCalibration.qml"]
            for (var i = 0; i < pages.length; ++i) {
                pageLoader.source = "qrc:/main/src/res/Tiltmate/" + pages[i]
                tryCompare(pageLoader, "status", Loader.Ready)
                waitForRendering(pageLoader.item)
                grabImage(pageLoader).save("screen_" + pages[i].replace(".qml", "") + ".png")
            }
            pageLoader.source = ""
        }
    }
}
