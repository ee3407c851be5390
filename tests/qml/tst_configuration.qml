import QtQuick 2.0
import QtTest 1.2
import ORVGimbalTool 1.0
import "qrc:/main/src/res/Tiltmate"
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: root
    width: 800
    height: 560

    ResLanguages { id: resLanguages }
    OrvControl.ORVMessageBox { id: g_messageDlg }
    QtObject { id: g_statusLine; property string note: ""; function notify(text) { note = text } }

    ControlChannelValueView {
        id: valueView
        width: 150
        height: 30
    }

    ControlChannelSelectionView {
        id: selection
    }

    Component {
        id: pageComponent
        WidgetConfiguration { }
    }

    SignalSpy {
        id: messageSpy
        target: g_messageDlg
        signalName: "visibleChanged"
    }

    TestCase {
        name: "Configuration"
        when: windowShown

        function init() {
            runtimeInstrumentConfig.reset()
            runtimeJoystickdevice.reset()
            g_messageDlg.hide()
            g_messageDlg.information = ""
            messageSpy.clear()
        }

        function test_value_view_clamps_and_flags_out_of_range() {
            valueView.minValue = 1100
            valueView.maxValue = 1940
            valueView.setValue(1500)
            compare(valueView.text, "1500")
            compare(valueView.slider.value, 1500)
            compare(valueView.slider.status, 0)

            valueView.setValue(900)
            compare(valueView.text, "900")
            compare(valueView.slider.value, 1100)
            compare(valueView.slider.status, 1)
            verify(Qt.colorEqual(valueView.slider.handleColor, "red"))

            valueView.setValue(2500)
            compare(valueView.slider.value, 1940)
            compare(valueView.slider.status, 1)

            valueView.setValue(1940)
            compare(valueView.slider.status, 0)
        }

        function test_selection_list_follows_the_control_input() {
            var lengths = { "S-BUS": 16, "PPM": 9, "PWM": 7, "TTL": 16, "CAN": 16 }
            for (var type in lengths) {
                selection.channel_type = type
                compare(selection.channelCount, lengths[type], type)
            }
            selection.channel_type = "PPM"
            selection.adjustChannel(8)
            compare(selection.channel, 8)
            selection.adjustChannel(12)
            compare(selection.channel, 0)
            selection.channel_type = "S-BUS"
            selection.adjustChannel(12)
            compare(selection.channel, 12)
            selection.adjustChannel(16)
            compare(selection.channel, 0)
            // A new list keeps the chosen channel where it still exists.
            selection.channel_type = "PPM"
            selection.adjustChannel(5)
            selection.channel_type = "TTL"
            compare(selection.channel, 5)
        }

        function openPage() {
            var page = createTemporaryObject(pageComponent, root)
            runtimeInstrumentConfig.sigDownloadSucceed()
            runtimeInstrumentConfig.sigRefreshValue()
            runtimeJoystickdevice.sigRefreshMapping()
            return page
        }

        function test_ppm_shows_channels_beyond_nine_as_the_first() {
            runtimeJoystickdevice.mappings = [12, 1, 2, 3, 4, 5, 6, 7]
            runtimeInstrumentConfig.values = [2, 1, 0, 0, 0]
            var page = openPage()
            compare(page.controlInputCombo.currentText, "PPM")
            compare(page.channelRow(0).selection.channelCount, 9)
            compare(page.channelRow(0).selection.channel, 0)
            compare(page.channelRow(1).selection.channel, 1)
        }

        function test_camera_without_receiver_support_refuses_receiver_inputs() {
            runtimeInstrumentConfig.values = [6, 3, 0, 0, 0]
            var page = openPage()
            compare(page.controlInputCombo.currentText, "CAN")
            page.controlInputCombo.currentIndex = 1
            compare(page.confirmButton.enabled, false)
            compare(g_messageDlg.information, resLanguages.qsTr_STR_ID_157)
            compare(g_messageDlg.visible, true)
            page.controlInputCombo.currentIndex = 3
            compare(page.confirmButton.enabled, true)
            compare(page.channelGroup.enabled, false)
        }

        function test_an_upload_that_moves_the_camera_to_can_says_so() {
            runtimeInstrumentConfig.values = [6, 0, 0, 0, 0]
            var page = openPage()
            g_messageDlg.hide()  // the page has already refused S-BUS for this camera
            runtimeInstrumentConfig.sigControlInputForced(0, 3)
            compare(g_messageDlg.visible, false)  // told once it is written, not before
            runtimeInstrumentConfig.sigUploadSucceed()
            compare(g_messageDlg.messageBoxType, 1)
            compare(g_messageDlg.information, resLanguages.qsTr_STR_ID_227.arg("S-BUS"))
            compare(g_statusLine.note, resLanguages.qsTr_STR_ID_222)
        }

        function test_confirm_without_receiver_uploads_only_the_instrument() {
            runtimeInstrumentConfig.values = [2, 2, 1, 0, 0]
            var page = openPage()
            compare(page.channelGroup.enabled, false)
            mouseClick(page.confirmButton)
            compare(runtimeInstrumentConfig.uploadCount, 1)
            compare(runtimeJoystickdevice.uploadCount, 0)
            compare(runtimeJoystickdevice.lastCheckMode, -1)
            compare(runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_NACELLEINSTALL), 1)
        }

        function test_confirm_checks_channels_and_reports_doubles() {
            runtimeInstrumentConfig.values = [2, 0, 0, 1, 0]
            var page = openPage()
            compare(page.channelRow(0).enabled, false)
            page.channelRow(2).selection.channel = 1
            runtimeJoystickdevice.uploadAllowed = false
            mouseClick(page.confirmButton)
            compare(runtimeInstrumentConfig.uploadCount, 1)
            compare(runtimeJoystickdevice.lastCheckMode, JoyStickDevice.CHANNEL_MODE_DISABLE)
            compare(runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_YAW), 1)
            compare(runtimeJoystickdevice.uploadCount, 0)
            compare(g_messageDlg.information, resLanguages.qsTr_STR_ID_77)

            runtimeJoystickdevice.uploadAllowed = true
            page.modeCombo.currentIndex = 0
            compare(page.channelRow(0).enabled, true)
            mouseClick(page.confirmButton)
            compare(runtimeJoystickdevice.lastCheckMode, JoyStickDevice.CHANNEL_NOLIMIT)
            compare(runtimeJoystickdevice.uploadCount, 1)
        }

        function test_receiver_values_follow_the_range_and_the_mode_row() {
            runtimeInstrumentConfig.values = [4, 0, 0, 1, 0]
            var page = openPage()
            runtimeInstrumentConfig.sigInputChanged(1696, 352)
            compare(page.channelRow(3).valueView.minValue, 352)
            runtimeJoystickdevice.channelValues = [1500, 300, 1200, 1000, 1000, 1000, 1000, 1000]
            runtimeJoystickdevice.outputs = [2, -15, 0, 3, 1, 0, 0, 0]
            runtimeJoystickdevice.sigRefreshValue()
            compare(page.channelRow(0).valueView.text, "0")
            compare(page.channelRow(1).valueView.text, "300")
            compare(page.channelRow(1).valueView.slider.status, 1)
            compare(page.channelRow(1).output.text, "-15")
            compare(page.channelRow(3).output.text, resLanguages.qsTr_STR_ID_122)
            compare(page.channelRow(6).enabled, true)
            // A new range (after an upload, or another input chosen) keeps each bar at its number.
            runtimeInstrumentConfig.sigInputChanged(1940, 1100)
            compare(page.channelRow(2).valueView.slider.value, 1200)
            compare(page.channelRow(2).valueView.text, "1200")
            runtimeInstrumentConfig.sigInputChanged(1696, 352)
            page.controlInputCombo.currentIndex = 1
            compare(page.channelRow(1).valueView.minValue, 1100)
            compare(page.channelRow(1).valueView.slider.value, 1100)
            compare(page.channelRow(2).valueView.slider.value, 1200)
            // Without receiver channels there is no number, and the bar is empty.
            page.controlInputCombo.currentIndex = 2
            compare(page.channelRow(2).valueView.text, "--")
            compare(page.channelRow(2).valueView.slider.value, 1100)
        }

        function test_unreadable_defaults_keep_both_buttons_disabled() {
            runtimeInstrumentConfig.values = [2, 0, 0, 0, 0]
            var page = openPage()
            runtimeJoystickdevice.defaultsReadable = false
            mouseClick(page.defaultsButton)
            compare(g_messageDlg.information, resLanguages.qsTr_STR_ID_32)
            compare(page.defaultsButton.enabled, false)
            compare(page.confirmButton.enabled, false)
            compare(runtimeInstrumentConfig.uploadCount, 0)
            runtimeJoystickdevice.sigRefreshMapping()
            compare(page.defaultsButton.enabled, true)
        }
    }
}
