import QtQuick 2.0
import QtTest 1.2
import ORVGimbalTool 1.0
import "qrc:/main/src/res/Tiltmate"

// Shows the OpenGL attitude view, so it runs on a display server (see CMakeLists.txt).
Rectangle {
    id: root
    width: 800
    height: 560

    ResLanguages { id: resLanguages }

    WidgetRunningInfor { id: page }

    TestCase {
        name: "RunningPage"
        when: windowShown

        function init() {
            runtimeSensorsinfo.reset()
            runtimeJoystickdevice.reset()
            runtimeInstrumentConfig.reset()
        }

        function fuzzyVector(actual, x, y, z) {
            fuzzyCompare(actual.x, x, 1e-3)
            fuzzyCompare(actual.y, y, 1e-3)
            fuzzyCompare(actual.z, z, 1e-3)
        }

        function refreshAttitude(roll, pitch, heading) {
            runtimeSensorsinfo.values = [roll, pitch, heading, 0, 0, 0, 0, 0, 0]
            runtimeSensorsinfo.sigRefreshValue()
        }

        function radians(degrees) { return degrees * Math.PI / 180 }

        function test_attitude_turns_parts_and_orbits_the_camera() {
            refreshAttitude(30, 10, 90)
            var view = page.attitudeView
            compare(view.xangle, -30)
            compare(view.drawnAngles(), [240, 10, 90])
            fuzzyVector(view.cameraPosition, 0, 0, 100)

            // Expected turn: first 10 degrees about Y, then 240 degrees about X.
            var a = radians(240), b = radians(10)
            var expected = Qt.vector3d(Math.cos(b), Math.sin(b) * Math.sin(a), -Math.sin(b) * Math.cos(a))
            fuzzyVector(view.partMatrix.times(Qt.vector3d(1, 0, 0)), expected.x, expected.y, expected.z)
            fuzzyVector(view.partMatrix.times(Qt.vector3d(0, 1, 0)), 0, Math.cos(a), Math.sin(a))
        }

        // The view draws only for a turn of a degree or more, and a hidden page draws nothing
        // until it is shown again.
        // Lets every change made so far reach the screen: with the threaded render loop a frame
        // already under way when the change was made does not carry it, the one after does.
        function settle() {
            for (var i = 0; i < 2; ++i) {
                root.color = Qt.rgba(1, 1, 1, (root.color.a === 1 ? 0.99 : 1))
                verify(waitForRendering(root, 5000))
            }
        }

        function test_view_draws_only_when_the_pose_changes() {
            var view = page.attitudeView
            refreshAttitude(10, 0, 0)
            settle()
            var frames = view.drawnFrames()

            refreshAttitude(10.4, 0.5, 0.5)
            settle()
            compare(view.drawnFrames(), frames)

            page.visible = false
            refreshAttitude(40, 0, 0)
            compare(page.sensorsStale, true)
            settle()
            compare(view.drawnFrames(), frames)
            page.visible = true
            settle()
            compare(view.drawnFrames(), frames + 1)
            verify(findLabel(page, "40.00") !== null)
        }

        function test_large_roll_and_small_changes() {
            refreshAttitude(200, 0, 0)
            var view = page.attitudeView
            compare(view.xangle, -200)
            compare(view.drawnAngles()[0], 70)
            fuzzyVector(view.cameraPosition, -100, 0, 0)

            refreshAttitude(199.5, 0.6, 0.9)
            compare(view.drawnAngles(), [70, 0, 0])
            fuzzyVector(view.cameraPosition, -100, 0, 0)
            refreshAttitude(199.5, 0.6, 1.2)
            compare(view.drawnAngles()[2], 1.2)
        }

        function test_values_follow_the_telemetry() {
            runtimeSensorsinfo.values = [1, 2, 3, 4.5, 5, 6, 7, 8, 9]
            runtimeSensorsinfo.sigRefreshValue()
            verify(findLabel(page, "4.50") !== null)
            verify(findLabel(page, "0.70") !== null)
            verify(findLabel(page, "0.90") !== null)
        }

        function findLabel(item, text) {
            if (item.text === text)
                return item
            for (var i = 0; i < item.children.length; ++i) {
                var found = findLabel(item.children[i], text)
                if (found)
                    return found
            }
            return null
        }

        function statusTexts() {
            return page.statusCells.map(function (cell) { return cell.text })
        }

        function test_lost_signal_and_zoom_states() {
            runtimeJoystickdevice.lostControl = true
            runtimeJoystickdevice.sigRefreshStatus()
            compare(statusTexts(), ["失控", "失控", "失控", "失控", "失控", "失控", "", ""])
            runtimeInstrumentConfig.values = [4, 0, 0, 0, 0]
            runtimeJoystickdevice.sigRefreshStatus()
            compare(statusTexts()[7], "失控")

            runtimeInstrumentConfig.values = [2, 0, 0, 0, 0]
            runtimeJoystickdevice.lostControl = false
            runtimeJoystickdevice.statuses = [1, 0, 0, 0, 2, 0x7E, 0, 0]
            runtimeJoystickdevice.sigRefreshStatus()
            compare(statusTexts(), ["指向锁定", "", "", "", "停止中", "放大焦距", "", ""])
            // Any other zoom status shows the controller's text for the zoom channel, as given.
            runtimeJoystickdevice.statuses = [0, 0, 0, 0, 0, 5, 0, 0]
            runtimeJoystickdevice.sigRefreshStatus()
            compare(statusTexts()[5], "status of channel " + JoyStickDevice.CHANNEL_ZOOM + ": 5")
            runtimeInstrumentConfig.values = [1, 0, 0, 0, 0]
            runtimeJoystickdevice.statuses = [0, 0, 0, 0, 0, 8, 0, 0]
            runtimeJoystickdevice.sigRefreshStatus()
            compare(statusTexts()[5], "8倍变焦")
        }

        function mappingTexts() {
            return page.mappingCells.map(function (cell) { return cell.text })
        }

        function test_channel_assignments_follow_the_configuration() {
            runtimeJoystickdevice.mappings = [7, 6, 5, 4, 3, 2, 1, 0]
            runtimeInstrumentConfig.values = [2, 0, 0, 1, 0]
            runtimeInstrumentConfig.sigRefreshValue()
            compare(mappingTexts(), ["", "7", "6", "5", "4", "3", "", ""])
            runtimeInstrumentConfig.values = [5, 1, 0, 0, 0]
            runtimeInstrumentConfig.sigDownloadFinished()
            compare(mappingTexts(), ["8", "7", "6", "5", "4", "3", "2", "1"])
            runtimeInstrumentConfig.values = [5, 2, 0, 0, 0]
            runtimeJoystickdevice.sigRefreshMapping()
            compare(mappingTexts(), ["", "", "", "", "", "", "", ""])
        }

        function test_camera_module_name() {
            runtimeInstrumentConfig.values = [9, 0, 0, 0, 0]
            runtimeInstrumentConfig.typeMechanismChanged()
            compare(page.mechanismText, "QT5_770V")
            runtimeInstrumentConfig.values = [8, 0, 0, 0, 0]
            runtimeInstrumentConfig.typeMechanismChanged()
            compare(page.mechanismText, "N/A")
        }
    }
}
