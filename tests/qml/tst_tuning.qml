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

    Component {
        id: pageComponent
        WidgetTunning { }
    }

    Component {
        id: sliderComponent
        ControlPidSlider { }
    }

    TestCase {
        name: "Tuning"
        when: windowShown

        function init() {
            runtimePidTunning.reset()
            runtimeInstrumentConfig.reset()
            runtimeCalibrationControl.reset()
            g_messageDlg.hide()
        }

        function test_slider_starts_at_the_default_and_clamps() {
            var pid = createTemporaryObject(sliderComponent, root)
            compare(pid.tunningValue, 100)
            compare(pid.slider.value, 100)
            compare(pid.spinBox.value, 100)
            pid.tunningValue = 300
            compare(pid.tunningValue, 200)
            compare(pid.slider.value, 200)
            compare(pid.spinBox.value, 200)
            pid.tunningValue = 10
            compare(pid.tunningValue, 50)
            compare(pid.spinBox.value, 50)
            pid.spinBox.value = 120
            compare(pid.tunningValue, 120)
            compare(pid.slider.value, 120)
            pid.slider.value = 75
            compare(pid.tunningValue, 75)
            compare(pid.spinBox.value, 75)
        }

        function test_download_loads_clamped_values_and_upload_writes_them() {
            var page = createTemporaryObject(pageComponent, root)
            compare(page.pidView.enabled, false)
            runtimePidTunning.setTunningValue(PidTunning.DefKxId, 250)
            runtimePidTunning.setTunningValue(PidTunning.DefKzPos, 20)
            runtimePidTunning.setTunningValue(PidTunning.DefKyAspd, 130)
            runtimePidTunning.sigDownloadSucceed()
            compare(page.pidView.enabled, true)
            var x = page.pidView.axisTabs[0]
            compare(x.sliders[0].tunningValue, 200)
            compare(page.pidView.axisTabs[2].sliders[11].tunningValue, 50)

            page.pidView.f_UploadConfig()
            compare(runtimePidTunning.uploadCount, 1)
            compare(runtimePidTunning.getTunningValue(PidTunning.DefKxId), 200)
            compare(runtimePidTunning.getTunningValue(PidTunning.DefKzPos), 50)
            compare(runtimePidTunning.getTunningValue(PidTunning.DefKyAspd), 130)
            // The reference limits are not on the page and keep what the controller holds.
            compare(runtimePidTunning.getTunningValue(PidTunning.DefMinPhiRef), 100)
        }

        function test_pitch_and_heading_gains_are_shared_by_y_and_z() {
            var page = createTemporaryObject(pageComponent, root)
            var y = page.pidView.axisTabs[1]
            var z = page.pidView.axisTabs[2]
            var theta = z.parameters.indexOf(PidTunning.DefKeTheta)
            var psi = z.parameters.indexOf(PidTunning.DefKrPsi)
            z.sliders[theta].spinBox.value = 140
            compare(y.sliders[theta].tunningValue, 140)
            compare(y.sliders[theta].slider.value, 140)
            y.sliders[psi].tunningValue = 60
            compare(z.sliders[psi].tunningValue, 60)
            compare(page.pidView.sharedKeTheta, 140)
            compare(page.pidView.sharedKrPsi, 60)
        }

        function test_moving_one_shared_gain_keeps_the_other() {
            var page = createTemporaryObject(pageComponent, root)
            // Both gains arrive at the default, so loading changes no slider.
            runtimePidTunning.sigDownloadSucceed()
            var y = page.pidView.axisTabs[1]
            var z = page.pidView.axisTabs[2]
            var theta = y.parameters.indexOf(PidTunning.DefKeTheta)
            var psi = y.parameters.indexOf(PidTunning.DefKrPsi)
            y.sliders[psi].spinBox.value = 120
            compare(z.sliders[psi].tunningValue, 120)
            compare([y.sliders[theta].tunningValue, z.sliders[theta].tunningValue], [100, 100])
            z.sliders[theta].slider.value = 80
            compare([y.sliders[psi].tunningValue, z.sliders[psi].tunningValue], [120, 120])

            page.pidView.f_UploadConfig()
            compare(runtimePidTunning.getTunningValue(PidTunning.DefKeTheta), 80)
            compare(runtimePidTunning.getTunningValue(PidTunning.DefKrPsi), 120)
        }

        function test_camera_combo_uploads_only_a_new_choice() {
            var page = createTemporaryObject(pageComponent, root)
            runtimeInstrumentConfig.values = [3, 0, 0, 0, 0]
            runtimeInstrumentConfig.sigDownloadSucceed()
            compare(page.mechanismCombo.enabled, true)
            compare(page.mechanismCombo.currentIndex, 2)
            compare(runtimeInstrumentConfig.uploadCount, 0)
            page.mechanismCombo.activated(2)
            compare(runtimeInstrumentConfig.uploadCount, 0)
            page.mechanismCombo.currentIndex = 0
            page.mechanismCombo.activated(0)
            compare(runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_MECHANISM), 1)
            compare(runtimeInstrumentConfig.uploadCount, 1)
        }

        function test_buttons_follow_transfers_and_gimbal_commands() {
            var page = createTemporaryObject(pageComponent, root)
            mouseClick(page.startButton)
            compare(runtimeCalibrationControl.startRequests, 1)
            compare(page.startButton.enabled, false)
            compare(page.stopButton.enabled, false)
            runtimeCalibrationControl.sigCradleStartFinished()
            compare(page.stopButton.enabled, true)

            runtimePidTunning.sigUploading()
            compare(page.uploadButton.text, resLanguages.qsTr_STR_ID_94)
            compare(page.loadButton.enabled, false)
            runtimePidTunning.sigUploadFinished()
            compare(page.uploadButton.text, resLanguages.qsTr_STR_ID_93)
            compare(page.saveButton.enabled, true)

            runtimePidTunning.sigDownloadFailed()
            compare(g_messageDlg.information, resLanguages.qsTr_STR_ID_95)
        }
    }
}
