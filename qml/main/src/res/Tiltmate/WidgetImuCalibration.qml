import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Layouts 1.3
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: imuCalibration
    width: 790 * OrvControl.ORVStyle.dp
    height: 540 * OrvControl.ORVStyle.dp

    readonly property var ownKinds: [CalibrationControl.CRADLE_CALI_STEWING,
        CalibrationControl.CRADLE_CALI_HOR, CalibrationControl.CRADLE_CALI_VER]
    property alias tabView: calibrationTabs
    property alias startButton: startButton

    OrvControl.ORVGroupBoxEx {
        x: 125 * OrvControl.ORVStyle.dp
        y: 35 * OrvControl.ORVStyle.dp
        width: 500 * OrvControl.ORVStyle.dp
        height: 60 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_46

        GridLayout {
            x: 20 * OrvControl.ORVStyle.dp
            y: 10 * OrvControl.ORVStyle.dp
            width: parent.width - 40 * OrvControl.ORVStyle.dp
            height: parent.height - 10 * OrvControl.ORVStyle.dp
            rows: 1
            columns: 6
            columnSpacing: 5 * OrvControl.ORVStyle.dp

            OrvControl.ORVLabel { text: "X"; fontsize: 12 }
            OrvControl.ORVLabel { id: rateX; Layout.fillWidth: true; fontsize: 12 }
            OrvControl.ORVLabel { text: "Y"; fontsize: 12 }
            OrvControl.ORVLabel { id: rateY; Layout.fillWidth: true; fontsize: 12 }
            OrvControl.ORVLabel { text: "Z"; fontsize: 12 }
            OrvControl.ORVLabel { id: rateZ; Layout.fillWidth: true; fontsize: 12 }
        }
    }

    OrvControl.ORVGroupBoxEx {
        x: 125 * OrvControl.ORVStyle.dp
        y: 120 * OrvControl.ORVStyle.dp
        width: 500 * OrvControl.ORVStyle.dp
        height: 60 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_47

        GridLayout {
            x: 20 * OrvControl.ORVStyle.dp
            y: 10 * OrvControl.ORVStyle.dp
            width: parent.width - 40 * OrvControl.ORVStyle.dp
            height: parent.height - 10 * OrvControl.ORVStyle.dp
            rows: 1
            columns: 6
            columnSpacing: 5 * OrvControl.ORVStyle.dp

            OrvControl.ORVLabel { text: "X" }
            OrvControl.ORVLabel { id: accelX; Layout.fillWidth: true }
            OrvControl.ORVLabel { text: "Y" }
            OrvControl.ORVLabel { id: accelY; Layout.fillWidth: true }
            OrvControl.ORVLabel { text: "Z" }
            OrvControl.ORVLabel { id: accelZ; Layout.fillWidth: true }
        }
    }

    OrvControl.ORVTabView {
        id: calibrationTabs
        x: 125 * OrvControl.ORVStyle.dp
        y: 200 * OrvControl.ORVStyle.dp
        width: 500 * OrvControl.ORVStyle.dp
        height: 220 * OrvControl.ORVStyle.dp

        Tab {
            title: resLanguages.qsTr_STR_ID_48
            ControlCalibration {
                anchors.fill: parent
                hintContent: resLanguages.qsTr_STR_ID_129
                picContent: "img/ImgCalibrationStewing.png"
            }
        }
        Tab {
            title: resLanguages.qsTr_STR_ID_49
            ControlCalibration {
                anchors.fill: parent
                hintContent: resLanguages.qsTr_STR_ID_130
                picContent: "img/ImgCalibrationHor.png"
            }
        }
        Tab {
            title: resLanguages.qsTr_STR_ID_50
            ControlCalibration {
                anchors.fill: parent
                hintContent: resLanguages.qsTr_STR_ID_131
                picContent: "img/ImgCalibrationVer.png"
            }
        }
    }

    OrvControl.ORVButton {
        id: startButton
        x: 560 * OrvControl.ORVStyle.dp
        y: 480 * OrvControl.ORVStyle.dp
        width: 130 * OrvControl.ORVStyle.dp
        height: 30 * OrvControl.ORVStyle.dp
        property bool calibrating: false
        text: calibrating ? resLanguages.qsTr_STR_ID_118 : resLanguages.qsTr_STR_ID_51
        onClicked: runtimeCalibrationControl.startCalibartion(ownKinds[calibrationTabs.currentIndex])
    }

    function refreshValues() {
        rateX.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCX)
        rateY.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCY)
        rateZ.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCZ)
        accelX.text = runtimeSensorsinfo.getSensorValueGString(SensorsInformation.SENSOR_GRYX)
        accelY.text = runtimeSensorsinfo.getSensorValueGString(SensorsInformation.SENSOR_GRYY)
        accelZ.text = runtimeSensorsinfo.getSensorValueGString(SensorsInformation.SENSOR_GRYZ)
    }

    function isOwnKind(calibType) {
        return ownKinds.indexOf(calibType) >= 0
    }

    Component.onCompleted: refreshValues()

    // A hidden page notes what it missed instead of making the window draw; see the running page.
    property bool valuesStale: false
    onVisibleChanged: {
        if (visible && valuesStale) {
            valuesStale = false
            refreshValues()
        }
    }

    Connections {
        target: runtimeSensorsinfo
        function onSigRefreshValue() {
            if (imuCalibration.visible)
                refreshValues()
            else
                valuesStale = true
        }
    }

    Connections {
        target: runtimeCalibrationControl
        function onSigCalibrationStart(calibType) {
            calibrationTabs.enabled = false
            startButton.enabled = false
            if (isOwnKind(calibType))
                startButton.calibrating = true
        }
        function onSigCalibrationSuccess(calibType) {
            calibrationTabs.enabled = true
            startButton.enabled = true
            if (isOwnKind(calibType)) {
                startButton.calibrating = false
                var names = [resLanguages.qsTr_STR_ID_48, resLanguages.qsTr_STR_ID_49, resLanguages.qsTr_STR_ID_50]
                g_statusLine.notify(resLanguages.qsTr_STR_ID_225.arg(names[ownKinds.indexOf(calibType)]))
            }
        }
        // Cut by a pulled cable: the connection panel tells of the disconnect; the steps were not at fault.
        function onSigCalibrationInterrupted(calibType) { onSigCalibrationSuccess(calibType) }
        function onSigCalibrationFailed(calibType) {
            calibrationTabs.enabled = true
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
