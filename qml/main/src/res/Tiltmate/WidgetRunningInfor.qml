import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Layouts 1.3
import QtQuick.Window 2.2
import QtQml 2.2
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl
import "three/Glcode.js" as GLCode

Item {
    id: runningInfor
    width: 790 * OrvControl.ORVStyle.dp
    height: 540 * OrvControl.ORVStyle.dp

    property var mechanismType: [resLanguages.qsTr_STR_ID_199, resLanguages.qsTr_STR_ID_200,
        resLanguages.qsTr_STR_ID_201, resLanguages.qsTr_STR_ID_202, resLanguages.qsTr_STR_ID_203,
        resLanguages.qsTr_STR_ID_204, resLanguages.qsTr_STR_ID_205, resLanguages.qsTr_STR_ID_206,
        resLanguages.qsTr_STR_ID_209]

    property alias attitudeView: canvas3d
    // True from a disconnect until the next gimbal answers, once values have been shown.
    property bool stale: false
    property bool live: false

    OrvControl.ORVRectangle {
        id: viewFrame
        x: 75 * OrvControl.ORVStyle.dp
        y: 100 * OrvControl.ORVStyle.dp
        width: 300 * OrvControl.ORVStyle.dp
        height: 300 * OrvControl.ORVStyle.dp

        AttitudeView {
            id: canvas3d
            anchors.fill: parent
            focus: false
            modelFolder: Qt.resolvedUrl("three/")
            property real xangle: 0
            property real yangle: 0
            property real zangle: 0

            function drawnAngles() {
                return GLCode.lastDrawnAngles()
            }

            Component.onCompleted: GLCode.initializeGL(canvas3d)
            onWidthChanged: GLCode.resizeGL(canvas3d)
            onHeightChanged: GLCode.resizeGL(canvas3d)
        }
    }

    OrvControl.ORVGroupBox {
        id: sensorGroup
        x: 460 * OrvControl.ORVStyle.dp
        y: 30 * OrvControl.ORVStyle.dp
        width: 300 * OrvControl.ORVStyle.dp
        height: 170 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_8

        OrvControl.ORVFillRectangle {
            x: 5 * OrvControl.ORVStyle.dp
            y: 5 * OrvControl.ORVStyle.dp
            width: parent.width - 5 * OrvControl.ORVStyle.dp
            height: parent.height - 20 * OrvControl.ORVStyle.dp
            GridLayout {
                x: 20 * OrvControl.ORVStyle.dp
                y: 10 * OrvControl.ORVStyle.dp
                width: parent.width - 20 * OrvControl.ORVStyle.dp
                height: parent.height - 20 * OrvControl.ORVStyle.dp
                rows: 4
                columns: 3
                columnSpacing: 40 * OrvControl.ORVStyle.dp

                OrvControl.ORVLabel { text: "" }
                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_9 }
                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_10 }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_11 }
                OrvControl.ORVLabel {
                    id: rateX; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCX)
                }
                OrvControl.ORVLabel {
                    id: accelX; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_GRYX)
                }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_12 }
                OrvControl.ORVLabel {
                    id: rateY; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCY)
                }
                OrvControl.ORVLabel {
                    id: accelY; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_GRYY)
                }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_13 }
                OrvControl.ORVLabel {
                    id: rateZ; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCZ)
                }
                OrvControl.ORVLabel {
                    id: accelZ; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_GRYZ)
                }
            }
        }
    }

    // Ends where the angle group begins; wide enough for the longest module name at its size.
    OrvControl.ORVLabel {
        id: mechanismLabel
        y: 410 * OrvControl.ORVStyle.dp
        anchors.right: angleGroup.right
        width: 140 * OrvControl.ORVStyle.dp
        height: 30 * OrvControl.ORVStyle.dp
        horizontalAlignment: Text.AlignRight
        fontsize: 1.5 * OrvControl.ORVStyle.fontsize
        property int entry: -1
        text: entry >= 0 ? runningInfor.mechanismType[entry] : ""
    }

    // After a disconnect the cells keep the last values; this says that they are no longer live.
    OrvControl.ORVLabel {
        id: staleNote
        x: viewFrame.x
        y: 40 * OrvControl.ORVStyle.dp
        width: viewFrame.width
        height: 25 * OrvControl.ORVStyle.dp
        visible: runningInfor.stale
        color: "#e0a030"
        text: resLanguages.qsTr_STR_ID_226
    }

    OrvControl.ORVGroupBox {
        id: angleGroup
        x: 10 * OrvControl.ORVStyle.dp
        y: 440 * OrvControl.ORVStyle.dp
        width: 400 * OrvControl.ORVStyle.dp
        // Room for the title and the 25 high angle row under it.
        height: 75 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_14

        OrvControl.ORVFillRectangle {
            x: 5 * OrvControl.ORVStyle.dp
            y: 5 * OrvControl.ORVStyle.dp
            width: 380 * OrvControl.ORVStyle.dp
            height: 25 * OrvControl.ORVStyle.dp
            GridLayout {
                x: 20 * OrvControl.ORVStyle.dp
                y: 2 * OrvControl.ORVStyle.dp
                width: parent.width - 20 * OrvControl.ORVStyle.dp
                height: parent.height
                rows: 1
                columns: 6
                columnSpacing: 5 * OrvControl.ORVStyle.dp

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_15 }
                OrvControl.ORVLabel {
                    id: rollValue; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ROLL)
                }
                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_16 }
                OrvControl.ORVLabel {
                    id: pitchValue; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_PITCH)
                }
                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_17 }
                OrvControl.ORVLabel {
                    id: yawValue; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_YAW)
                }
            }
        }
    }

    OrvControl.ORVGroupBox {
        id: channelGroup
        x: 460 * OrvControl.ORVStyle.dp
        y: 200 * OrvControl.ORVStyle.dp
        width: 300 * OrvControl.ORVStyle.dp
        height: 315 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_18

        OrvControl.ORVFillRectangle {
            x: 5 * OrvControl.ORVStyle.dp
            y: 5 * OrvControl.ORVStyle.dp
            width: parent.width - 5 * OrvControl.ORVStyle.dp
            height: parent.height - 20 * OrvControl.ORVStyle.dp
            GridLayout {
                x: 10 * OrvControl.ORVStyle.dp
                y: 10 * OrvControl.ORVStyle.dp
                width: parent.width - 20 * OrvControl.ORVStyle.dp
                height: parent.height - 20 * OrvControl.ORVStyle.dp
                columns: 3
                columnSpacing: 40 * OrvControl.ORVStyle.dp

                OrvControl.ORVLabel { text: "" }
                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_19 }
                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_20 }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_21 }
                OrvControl.ORVLabel {
                    id: modeMapping; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_MODE) + 1
                }
                OrvControl.ORVLabel { id: modeStatus; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter; text: "" }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_22 }
                OrvControl.ORVLabel {
                    id: pitchMapping; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_PITCH) + 1
                }
                OrvControl.ORVLabel { id: pitchStatus; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter; text: "" }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_23 }
                OrvControl.ORVLabel {
                    id: yawMapping; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_YAW) + 1
                }
                OrvControl.ORVLabel { id: yawStatus; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter; text: "" }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_24 }
                OrvControl.ORVLabel {
                    id: shotMapping; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_SHOT) + 1
                }
                OrvControl.ORVLabel { id: shotStatus; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter; text: "" }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_25 }
                OrvControl.ORVLabel {
                    id: recordMapping; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_RECORD) + 1
                }
                OrvControl.ORVLabel { id: recordStatus; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter; text: "" }

                OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_26 }
                OrvControl.ORVLabel {
                    id: zoomMapping; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_ZOOM) + 1
                }
                OrvControl.ORVLabel { id: zoomStatus; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter; text: "" }

                OrvControl.ORVLabel { id: displayName; text: resLanguages.qsTr_STR_ID_37 }
                OrvControl.ORVLabel {
                    id: displayMapping; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_DISPLAY) + 1
                }
                OrvControl.ORVLabel { id: displayStatus; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter; text: "" }

                OrvControl.ORVLabel { id: baffleName; text: resLanguages.qsTr_STR_ID_38 }
                OrvControl.ORVLabel {
                    id: baffleMapping; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter
                    text: runtimeJoystickdevice.getChannelMapping(JoyStickDevice.CHANNEL_BAFFLE) + 1
                }
                OrvControl.ORVLabel { id: baffleStatus; Layout.fillWidth: true; Layout.alignment: Qt.AlignVCenter; text: "" }
            }
        }
    }

    // Cells the page fills imperatively, exposed so that the reactions can be checked.
    readonly property var mappingCells: [modeMapping, pitchMapping, yawMapping, shotMapping,
        recordMapping, zoomMapping, displayMapping, baffleMapping]
    readonly property var statusCells: [modeStatus, pitchStatus, yawStatus, shotStatus,
        recordStatus, zoomStatus, displayStatus, baffleStatus]
    readonly property alias mechanismText: mechanismLabel.text

    function mappingText(func) {
        return String(runtimeJoystickdevice.getChannelMapping(func) + 1)
    }

    function f_LoadChannelMapping() {
        if (runtimeInstrumentConfig.isChannelEnabled()) {
            modeMapping.text = runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_MODE) === 0
                    ? mappingText(JoyStickDevice.CHANNEL_MODE) : ""
            pitchMapping.text = mappingText(JoyStickDevice.CHANNEL_PITCH)
            yawMapping.text = mappingText(JoyStickDevice.CHANNEL_YAW)
            shotMapping.text = mappingText(JoyStickDevice.CHANNEL_SHOT)
            recordMapping.text = mappingText(JoyStickDevice.CHANNEL_RECORD)
            zoomMapping.text = mappingText(JoyStickDevice.CHANNEL_ZOOM)
        } else {
            modeMapping.text = ""
            pitchMapping.text = ""
            yawMapping.text = ""
            shotMapping.text = ""
            recordMapping.text = ""
            zoomMapping.text = ""
        }
        if (runtimeInstrumentConfig.isChannelEnabled() && runtimeInstrumentConfig.is770K()) {
            displayMapping.text = mappingText(JoyStickDevice.CHANNEL_DISPLAY)
            baffleMapping.text = mappingText(JoyStickDevice.CHANNEL_BAFFLE)
        } else {
            displayMapping.text = ""
            baffleMapping.text = ""
        }
    }

    function zoomStatusText() {
        var status = runtimeJoystickdevice.getChannelStatus(JoyStickDevice.CHANNEL_ZOOM)
        if (runtimeInstrumentConfig.isInfrared()) {
            switch (status) {
            case 1: return resLanguages.qsTr_STR_ID_40
            case 2: return resLanguages.qsTr_STR_ID_41
            case 4: return resLanguages.qsTr_STR_ID_42
            case 8: return resLanguages.qsTr_STR_ID_153
            case 16: return resLanguages.qsTr_STR_ID_154
            default: return ""
            }
        }
        switch (status) {
        case 0: return resLanguages.qsTr_STR_ID_124
        case 0x7E: return resLanguages.qsTr_STR_ID_125
        case 0x7F: return resLanguages.qsTr_STR_ID_126
        default: return runtimeJoystickdevice.getChannelStatusString(JoyStickDevice.CHANNEL_ZOOM)
        }
    }

    function refreshInstrument() {
        displayName.enabled = runtimeInstrumentConfig.is770K()
        baffleName.enabled = runtimeInstrumentConfig.is770K()
        f_LoadChannelMapping()
    }

    function refreshSensors() {
        rateX.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCX)
        rateY.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCY)
        rateZ.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ACCZ)
        accelX.text = runtimeSensorsinfo.getSensorValueGString(SensorsInformation.SENSOR_GRYX)
        accelY.text = runtimeSensorsinfo.getSensorValueGString(SensorsInformation.SENSOR_GRYY)
        accelZ.text = runtimeSensorsinfo.getSensorValueGString(SensorsInformation.SENSOR_GRYZ)
        rollValue.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_ROLL)
        pitchValue.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_PITCH)
        yawValue.text = runtimeSensorsinfo.getSensorValueString(SensorsInformation.SENSOR_YAW)

        canvas3d.xangle = 0 - (runtimeSensorsinfo.getSensorValue(SensorsInformation.SENSOR_ROLL) % 360)
        canvas3d.yangle = runtimeSensorsinfo.getSensorValue(SensorsInformation.SENSOR_PITCH) % 360
        canvas3d.zangle = runtimeSensorsinfo.getSensorValue(SensorsInformation.SENSOR_YAW) % 360
        GLCode.drawByAngle(canvas3d.xangle, canvas3d.yangle, canvas3d.zangle)
    }

    function refreshChannelStatus() {
        if (runtimeJoystickdevice.getChannelLostCtl()) {
            var lost = resLanguages.qsTr_STR_ID_123
            modeStatus.text = lost
            pitchStatus.text = lost
            yawStatus.text = lost
            shotStatus.text = lost
            recordStatus.text = lost
            zoomStatus.text = lost
            displayStatus.text = runtimeInstrumentConfig.is770K() ? lost : ""
            baffleStatus.text = runtimeInstrumentConfig.is770K() ? lost : ""
            return
        }
        pitchStatus.text = ""
        yawStatus.text = ""
        shotStatus.text = ""
        displayStatus.text = ""
        baffleStatus.text = ""

        var mode = runtimeJoystickdevice.getChannelStatus(JoyStickDevice.CHANNEL_MODE)
        modeStatus.text = mode === 1 ? resLanguages.qsTr_STR_ID_27
                        : mode === 2 ? resLanguages.qsTr_STR_ID_28 : ""
        var record = runtimeJoystickdevice.getChannelStatus(JoyStickDevice.CHANNEL_RECORD)
        recordStatus.text = record === 1 ? resLanguages.qsTr_STR_ID_29
                          : record === 2 ? resLanguages.qsTr_STR_ID_30 : ""
        zoomStatus.text = zoomStatusText()
    }

    // Labels of a hidden page would still make the window draw a frame for every telemetry record;
    // a hidden page only notes what it missed and reads the latest values once it is shown again.
    property bool sensorsStale: false
    property bool channelStatusStale: false

    onVisibleChanged: {
        if (!visible)
            return
        if (sensorsStale)
            refreshSensors()
        if (channelStatusStale)
            refreshChannelStatus()
        sensorsStale = false
        channelStatusStale = false
    }

    Connections {
        target: runtimeSensorsinfo
        function onSigRefreshValue() {
            if (runningInfor.visible)
                refreshSensors()
            else
                sensorsStale = true
        }
    }

    Connections {
        target: runtimeJoystickdevice
        function onSigRefreshStatus() {
            if (runningInfor.visible)
                refreshChannelStatus()
            else
                channelStatusStale = true
        }
    }

    Connections {
        target: runtimeJoystickdevice
        function onSigRefreshMapping() {
            f_LoadChannelMapping()
        }
    }

    Connections {
        target: runtimeInstrumentConfig
        function onSigRefreshValue() { refreshInstrument() }
        function onSigDownloadFinished() { refreshInstrument() }
        function onTypeMechanismChanged() {
            var code = runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_MECHANISM)
            mechanismLabel.entry = runtimeInstrumentConfig.mechanismToIndex(code)
        }
    }

    // The channel states are written as they come; a new language rewrites them at once.
    Connections {
        target: runtimeLanguage
        function onLanguageChanged() {
            if (runningInfor.live || runningInfor.stale)
                refreshChannelStatus()
        }
    }

    Connections {
        target: runtimeFirmwareController
        function onSigGetVersionSuccessed() {
            runningInfor.live = true
            runningInfor.stale = false
        }
        function onSigFirmclosed() {
            runningInfor.stale = runningInfor.live
            runningInfor.live = false
        }
    }
}
