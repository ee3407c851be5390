import QtQuick 2.0
import QtQuick.Controls 1.5
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: motorCalibration
    width: 790 * OrvControl.ORVStyle.dp
    height: 540 * OrvControl.ORVStyle.dp

    readonly property var ownKinds: [CalibrationControl.CRADLE_CALI_ELEDEG, CalibrationControl.CRADLE_CALI_ATTANGLE]
    property alias tabView: motorTabs
    property alias startButton: startButton
    property alias hintBoard: hintBoard

    OrvControl.ORVTabView {
        id: motorTabs
        x: 75 * OrvControl.ORVStyle.dp
        y: 50 * OrvControl.ORVStyle.dp
        width: 240 * OrvControl.ORVStyle.dp
        height: 50 * OrvControl.ORVStyle.dp
        Tab { title: resLanguages.qsTr_STR_ID_80 }
        Tab { title: resLanguages.qsTr_STR_ID_81 }
        onCurrentIndexChanged: hintBoard.hintContent = currentIndex === 0
                               ? resLanguages.qsTr_STR_ID_114 : resLanguages.qsTr_STR_ID_115
    }

    ControlHintBoard {
        id: hintBoard
        x: 200 * OrvControl.ORVStyle.dp
        y: 150 * OrvControl.ORVStyle.dp
        width: 400 * OrvControl.ORVStyle.dp
        height: 180 * OrvControl.ORVStyle.dp
        hintContent: resLanguages.qsTr_STR_ID_114
    }

    OrvControl.ORVButton {
        id: startButton
        x: 560 * OrvControl.ORVStyle.dp
        y: 480 * OrvControl.ORVStyle.dp
        width: 130 * OrvControl.ORVStyle.dp
        height: 30 * OrvControl.ORVStyle.dp
        property bool calibrating: false
        text: calibrating ? resLanguages.qsTr_STR_ID_118 : resLanguages.qsTr_STR_ID_51
        onClicked: runtimeCalibrationControl.startCalibartion(motorTabs.currentIndex === 0
                                                              ? CalibrationControl.CRADLE_CALI_ELEDEG
                                                              : CalibrationControl.CRADLE_CALI_ATTANGLE)
    }

    function isOwnKind(calibType) {
        return ownKinds.indexOf(calibType) >= 0
    }

    Connections {
        target: runtimeCalibrationControl
        function onSigCalibrationStart(calibType) {
            motorTabs.enabled = false
            startButton.enabled = false
            if (isOwnKind(calibType))
                startButton.calibrating = true
        }
        function onSigCalibrationSuccess(calibType) {
            motorTabs.enabled = true
            startButton.enabled = true
            if (isOwnKind(calibType))
                startButton.calibrating = false
        }
        // Cut by a pulled cable: the connection panel tells of the disconnect; the steps were not at fault.
        function onSigCalibrationInterrupted(calibType) { onSigCalibrationSuccess(calibType) }
        function onSigCalibrationFailed(calibType) {
            motorTabs.enabled = true
            startButton.enabled = true
            if (isOwnKind(calibType)) {
                startButton.calibrating = false
                g_messageDlg.messageBoxType = 2
                g_messageDlg.information = resLanguages.qsTr_STR_ID_117
                g_messageDlg.doModal()
            }
        }
    }
}
