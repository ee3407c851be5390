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

    WidgetImuCalibration { id: imuPage }
    WidgetMotorCalibration { id: motorPage; visible: false }

    TestCase {
        name: "Calibration"
        when: windowShown

        function init() {
            runtimeCalibrationControl.reset()
            g_messageDlg.hide()
            g_messageDlg.information = ""
        }

        function test_horizontal_calibration_runs_until_its_result() {
            imuPage.tabView.currentIndex = 1
            mouseClick(imuPage.startButton)
            compare(runtimeCalibrationControl.requested, [CalibrationControl.CRADLE_CALI_HOR])
            compare(imuPage.startButton.text, "校准中")
            compare(imuPage.startButton.enabled, false)
            compare(imuPage.tabView.enabled, false)
            compare(motorPage.startButton.enabled, false)
            compare(motorPage.startButton.text, resLanguages.qsTr_STR_ID_51)

            runtimeCalibrationControl.sigCalibrationSuccess(CalibrationControl.CRADLE_CALI_HOR)
            compare(imuPage.startButton.text, resLanguages.qsTr_STR_ID_51)
            compare(imuPage.startButton.enabled, true)
            compare(imuPage.tabView.enabled, true)
            compare(g_messageDlg.visible, false)
            compare(g_statusLine.note, "水平校准完成。")
        }

        function test_failure_of_another_page_only_reenables() {
            motorPage.tabView.currentIndex = 0
            motorPage.startButton.clicked()
            compare(runtimeCalibrationControl.requested, [CalibrationControl.CRADLE_CALI_ELEDEG])
            compare(imuPage.startButton.enabled, false)
            compare(imuPage.startButton.text, resLanguages.qsTr_STR_ID_51)

            runtimeCalibrationControl.sigCalibrationFailed(CalibrationControl.CRADLE_CALI_ELEDEG)
            compare(imuPage.startButton.enabled, true)
            compare(imuPage.tabView.enabled, true)
            compare(imuPage.startButton.text, resLanguages.qsTr_STR_ID_51)
            compare(motorPage.startButton.text, resLanguages.qsTr_STR_ID_51)
            // One error box, raised by the page that owns the calibration.
            compare(g_messageDlg.visible, true)
            compare(g_messageDlg.information, resLanguages.qsTr_STR_ID_117)
        }

        function test_motor_tabs_switch_the_hint() {
            compare(motorPage.hintBoard.hintContent, resLanguages.qsTr_STR_ID_114)
            motorPage.tabView.currentIndex = 1
            compare(motorPage.hintBoard.hintContent, resLanguages.qsTr_STR_ID_115)
            motorPage.startButton.clicked()
            compare(runtimeCalibrationControl.requested, [CalibrationControl.CRADLE_CALI_ATTANGLE])
            runtimeCalibrationControl.sigCalibrationSuccess(CalibrationControl.CRADLE_CALI_ATTANGLE)
            motorPage.tabView.currentIndex = 0
            compare(motorPage.hintBoard.hintContent, resLanguages.qsTr_STR_ID_114)
        }
    }
}
