import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Layouts 1.3
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: configurationPage
    width: 790 * OrvControl.ORVStyle.dp
    height: 540 * OrvControl.ORVStyle.dp

    readonly property var channelFunctions: [JoyStickDevice.CHANNEL_MODE, JoyStickDevice.CHANNEL_PITCH,
        JoyStickDevice.CHANNEL_YAW, JoyStickDevice.CHANNEL_SHOT, JoyStickDevice.CHANNEL_RECORD,
        JoyStickDevice.CHANNEL_ZOOM, JoyStickDevice.CHANNEL_DISPLAY, JoyStickDevice.CHANNEL_BAFFLE]
    readonly property var functionNames: [resLanguages.qsTr_STR_ID_21, resLanguages.qsTr_STR_ID_22,
        resLanguages.qsTr_STR_ID_23, resLanguages.qsTr_STR_ID_24, resLanguages.qsTr_STR_ID_25,
        resLanguages.qsTr_STR_ID_26, resLanguages.qsTr_STR_ID_37, resLanguages.qsTr_STR_ID_38]
    readonly property var outputNames: [resLanguages.qsTr_STR_ID_119, resLanguages.qsTr_STR_ID_120,
        resLanguages.qsTr_STR_ID_121, resLanguages.qsTr_STR_ID_122]
    // Room for the longer of the Chinese and the English texts; the combo boxes end before the picture.
    readonly property real labelWidth: 90 * OrvControl.ORVStyle.dp
    readonly property real comboX: 125 * OrvControl.ORVStyle.dp
    readonly property real comboWidth: 120 * OrvControl.ORVStyle.dp
    readonly property real channelColumnWidth: 60 * OrvControl.ORVStyle.dp
    readonly property int modeRow: 0
    readonly property int displayRow: 6
    readonly property int baffleRow: 7

    property alias mountingCombo: mountingCombo
    property alias controlInputCombo: controlInputCombo
    property alias paletteCombo: paletteCombo
    property alias modeCombo: modeCombo
    property alias channelGroup: channelGroup
    property alias confirmButton: confirmButton
    property alias defaultsButton: defaultsButton
    property alias firmwareButton: firmwareButton
    property alias mountingPicture: mountingPicture
    property alias configurationBackup: configurationBackup

    // What the running upload is for, so that its end can be confirmed in the status line.
    property bool restoringDefaults: false
    property bool channelUploadPending: false
    property bool uploading: false
    property string forcedInputNote: ""

    function confirmUpload() {
        g_statusLine.notify(restoringDefaults ? resLanguages.qsTr_STR_ID_223 : resLanguages.qsTr_STR_ID_222)
        restoringDefaults = false
    }

    function channelRow(row) {
        return channelRows.itemAt(row)
    }

    function isBusWithoutChannels(text) {
        return text === "TTL" || text === "CAN"
    }

    function f_LoadChannelConfig() {
        for (var row = 0; row < channelFunctions.length; ++row) {
            var f = channelFunctions[row]
            channelRow(row).selection.adjustChannel(runtimeJoystickdevice.getChannelMapping(f))
            channelRow(row).direction.bReverse = runtimeJoystickdevice.getChannelReverse(f)
        }
    }

    function f_LoadInstrumentConfig() {
        mountingCombo.currentIndex = runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_NACELLEINSTALL)
        controlInputCombo.currentIndex = runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_NACELLECTL)
        modeCombo.currentIndex = runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_MODE)
        paletteCombo.currentIndex = runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_DISPLAY)
        paletteCombo.enabled = runtimeInstrumentConfig.isInfrared()
        channelRow(displayRow).enabled = runtimeInstrumentConfig.is770K()
        channelRow(baffleRow).enabled = runtimeInstrumentConfig.is770K()
    }

    // The channel group only exists for inputs that carry receiver channels; its bars show the range
    // of the input selected here, which is not yet the gimbal's until it is uploaded.
    function applyControlInput() {
        var noChannels = isBusWithoutChannels(controlInputCombo.currentText)
        channelGroup.enabled = !noChannels
        modeLabel.enabled = !noChannels
        modeCombo.enabled = !noChannels
        var input = controlInputCombo.currentIndex
        for (var row = 0; row < channelFunctions.length; ++row) {
            var view = channelRow(row).valueView
            view.setRange(runtimeInstrumentConfig.getInputMinValue(input), runtimeInstrumentConfig.getInputMaxValue(input))
            if (noChannels)
                view.clear()
        }
        if (!noChannels)
            f_LoadChannelConfig()
    }

    function showError(text) {
        g_messageDlg.messageBoxType = 2
        g_messageDlg.information = text
        g_messageDlg.doModal()
    }

    function enablePaletteByCamera() {
        paletteCombo.enabled = runtimeInstrumentConfig.isInfrared()
        paletteLabel.enabled = runtimeInstrumentConfig.isInfrared()
    }

    OrvControl.ORVLabel {
        x: 30 * OrvControl.ORVStyle.dp; y: 75 * OrvControl.ORVStyle.dp
        width: configurationPage.labelWidth; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_60
    }
    OrvControl.ORVComboBox {
        id: mountingCombo
        x: configurationPage.comboX; y: 75 * OrvControl.ORVStyle.dp
        width: configurationPage.comboWidth; height: 25 * OrvControl.ORVStyle.dp
        enabled: false
        texts: [resLanguages.qsTr_STR_ID_61, resLanguages.qsTr_STR_ID_62]
        onCurrentIndexChanged: mountingPicture.source = "img/ImgInstrument" + currentIndex + ".png"
    }
    OrvControl.ORVFillRectangle {
        x: 250 * OrvControl.ORVStyle.dp; y: 75 * OrvControl.ORVStyle.dp
        width: 100 * OrvControl.ORVStyle.dp; height: 100 * OrvControl.ORVStyle.dp
        Image {
            id: mountingPicture
            anchors.fill: parent
            anchors.margins: 1
            fillMode: Image.PreserveAspectFit
            smooth: true
            source: "img/ImgInstrument0.png"
        }
    }

    OrvControl.ORVLabel {
        x: 30 * OrvControl.ORVStyle.dp; y: 190 * OrvControl.ORVStyle.dp
        width: configurationPage.labelWidth; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_64
    }
    OrvControl.ORVComboBox {
        id: controlInputCombo
        x: configurationPage.comboX; y: 190 * OrvControl.ORVStyle.dp
        width: configurationPage.comboWidth; height: 25 * OrvControl.ORVStyle.dp
        enabled: false
        model: ["S-BUS", "PPM", "TTL", "CAN"]
        onCurrentTextChanged: {
            for (var row = 0; row < channelFunctions.length; ++row) {
                if (channelRow(row))
                    channelRow(row).selection.channel_type = currentText
            }
            if (channelRows.count !== channelFunctions.length)
                return
            applyControlInput()
            confirmButton.enabled = true
            if (runtimeInstrumentConfig.is770W() && !isBusWithoutChannels(currentText)) {
                confirmButton.enabled = false
                showError(resLanguages.qsTr_STR_ID_157)
            }
        }
    }
    OrvControl.ORVButton {
        id: firmwareButton
        x: 250 * OrvControl.ORVStyle.dp; y: 190 * OrvControl.ORVStyle.dp
        width: 100 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_151
        enabled: runtimeInstrumentConfig.enableFirmUpdate
        visible: runtimeInstrumentConfig.enableFirmUpdate
        onClicked: runtimeInstrumentConfig.updateMechanismFirm()
    }

    OrvControl.ORVLabel {
        id: paletteLabel
        x: 30 * OrvControl.ORVStyle.dp; y: 305 * OrvControl.ORVStyle.dp
        width: configurationPage.labelWidth; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_65
    }
    OrvControl.ORVComboBox {
        id: paletteCombo
        x: configurationPage.comboX; y: 305 * OrvControl.ORVStyle.dp
        width: configurationPage.comboWidth; height: 25 * OrvControl.ORVStyle.dp
        enabled: false
        texts: [resLanguages.qsTr_STR_ID_66, resLanguages.qsTr_STR_ID_67, resLanguages.qsTr_STR_ID_68]
    }

    OrvControl.ORVLabel {
        id: modeLabel
        x: 30 * OrvControl.ORVStyle.dp; y: 420 * OrvControl.ORVStyle.dp
        width: 60 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_69
    }
    OrvControl.ORVComboBox {
        id: modeCombo
        anchors.right: controlInputCombo.right
        y: 420 * OrvControl.ORVStyle.dp
        width: 150 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        enabled: false
        texts: [resLanguages.qsTr_STR_ID_70, resLanguages.qsTr_STR_ID_71, resLanguages.qsTr_STR_ID_72]
        onCurrentIndexChanged: {
            if (channelRows.count !== channelFunctions.length)
                return
            channelRow(modeRow).enabled = currentIndex === 0
            if (currentIndex === 0)
                f_LoadChannelConfig()
        }
    }

    OrvControl.ORVGroupBox {
        id: channelGroup
        x: 360 * OrvControl.ORVStyle.dp; y: 50 * OrvControl.ORVStyle.dp
        width: 400 * OrvControl.ORVStyle.dp; height: 420 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_73
        enabled: false

        Column {
            x: 20 * OrvControl.ORVStyle.dp
            y: 10 * OrvControl.ORVStyle.dp

            Row {
                spacing: 8 * OrvControl.ORVStyle.dp
                height: 30 * OrvControl.ORVStyle.dp
                Item { width: 50 * OrvControl.ORVStyle.dp; height: parent.height }
                OrvControl.ORVLabel { width: channelColumnWidth; height: parent.height; text: resLanguages.qsTr_STR_ID_19 }
                OrvControl.ORVLabel { width: channelColumnWidth; height: parent.height; text: resLanguages.qsTr_STR_ID_75 }
                OrvControl.ORVLabel { width: 50 * OrvControl.ORVStyle.dp; height: parent.height; text: resLanguages.qsTr_STR_ID_58; visible: false }
                OrvControl.ORVLabel { width: 150 * OrvControl.ORVStyle.dp; height: parent.height; text: resLanguages.qsTr_STR_ID_76 }
            }

            Repeater {
                id: channelRows
                model: channelFunctions.length
                delegate: Row {
                    property alias selection: selection
                    property alias direction: direction
                    property alias output: output
                    property alias valueView: valueView
                    spacing: 8 * OrvControl.ORVStyle.dp
                    height: 40 * OrvControl.ORVStyle.dp

                    OrvControl.ORVLabel {
                        width: 50 * OrvControl.ORVStyle.dp; height: parent.height
                        text: functionNames[index]
                    }
                    ControlChannelSelectionView {
                        id: selection
                        width: channelColumnWidth
                        anchors.verticalCenter: parent.verticalCenter
                        Component.onCompleted: channel = runtimeJoystickdevice.getChannelMapping(channelFunctions[index])
                    }
                    ControlDirectionSelectionView {
                        id: direction
                        width: channelColumnWidth
                        anchors.verticalCenter: parent.verticalCenter
                        Component.onCompleted: bReverse = runtimeJoystickdevice.getChannelReverse(channelFunctions[index])
                    }
                    OrvControl.ORVLabel {
                        id: output
                        width: 50 * OrvControl.ORVStyle.dp; height: parent.height
                        visible: false
                    }
                    ControlChannelValueView {
                        id: valueView
                        width: 150 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
            }
        }
    }

    OrvControl.ORVButton {
        id: confirmButton
        x: 610 * OrvControl.ORVStyle.dp; y: 480 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: uploading ? resLanguages.qsTr_STR_ID_79 : resLanguages.qsTr_STR_ID_59
        enabled: false
        onClicked: {
            restoringDefaults = false
            channelUploadPending = false
            runtimeInstrumentConfig.setInstrumentValue(InstrumentConfig.TYPE_NACELLEINSTALL, mountingCombo.currentIndex)
            runtimeInstrumentConfig.setInstrumentValue(InstrumentConfig.TYPE_NACELLECTL, controlInputCombo.currentIndex)
            runtimeInstrumentConfig.setInstrumentValue(InstrumentConfig.TYPE_MODE, modeCombo.currentIndex)
            runtimeInstrumentConfig.setInstrumentValue(InstrumentConfig.TYPE_DISPLAY, paletteCombo.currentIndex)
            runtimeInstrumentConfig.uploadConfig()

            var checkMode = isBusWithoutChannels(controlInputCombo.currentText) ? JoyStickDevice.CHANNEL_DISABLE
                          : modeCombo.currentIndex !== 0 ? JoyStickDevice.CHANNEL_MODE_DISABLE
                          : JoyStickDevice.CHANNEL_NOLIMIT
            if (checkMode === JoyStickDevice.CHANNEL_DISABLE)
                return
            for (var row = 0; row < channelFunctions.length; ++row)
                runtimeJoystickdevice.setChannelConfig(channelFunctions[row], channelRow(row).selection.channel,
                                                       channelRow(row).direction.bReverse)
            if (runtimeJoystickdevice.canUploadChannelConfig(checkMode)) {
                channelUploadPending = true
                runtimeJoystickdevice.uploadConfig()
            } else
                showError(resLanguages.qsTr_STR_ID_77)
        }
    }

    OrvControl.ORVButton {
        id: defaultsButton
        anchors.right: confirmButton.left
        anchors.rightMargin: 40 * OrvControl.ORVStyle.dp
        y: 480 * OrvControl.ORVStyle.dp
        width: 130 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_31
        enabled: false
        onClicked: {
            defaultsButton.enabled = false
            confirmButton.enabled = false
            // The channel defaults are read from the group of the chosen input.
            runtimeInstrumentConfig.setInstrumentValue(InstrumentConfig.TYPE_NACELLECTL, controlInputCombo.currentIndex)
            if (runtimeJoystickdevice.loadDefaultConfig() && runtimeInstrumentConfig.loadDefaultConfig()) {
                restoringDefaults = true
                channelUploadPending = true
                runtimeInstrumentConfig.uploadConfig()
                runtimeJoystickdevice.uploadConfig()
            } else {
                showError(resLanguages.qsTr_STR_ID_32)
            }
        }
    }

    Connections {
        target: runtimeInstrumentConfig
        function onSigDownloading() {
            mountingCombo.enabled = false
            controlInputCombo.enabled = false
            paletteCombo.enabled = false
            modeCombo.enabled = false
        }
        function onSigDownloadSucceed() {
            mountingCombo.enabled = true
            controlInputCombo.enabled = true
            paletteCombo.enabled = true
            modeCombo.enabled = true
            applyControlInput()
        }
        function onSigDownloadFinished() { enablePaletteByCamera() }
        function onSigRefreshValue() { f_LoadInstrumentConfig() }
        function onSigInputChanged(deviceMaxValue, deviceMinValue) {
            for (var row = 0; row < channelFunctions.length; ++row)
                channelRow(row).valueView.setRange(deviceMinValue, deviceMaxValue)
        }
        function onSigUploading() {
            uploading = true
            confirmButton.enabled = false
            defaultsButton.enabled = false
        }
        function onSigUploadFailed() {
            restoringDefaults = false
            forcedInputNote = ""
            channelUploadPending = false  // no confirmation for a half-written configuration
            showError(resLanguages.qsTr_STR_ID_78)
        }
        function onSigUploadSucceed() {
            if (forcedInputNote !== "") {
                // Not a quiet confirmation: what was written differs from what was chosen.
                g_messageDlg.messageBoxType = 1
                g_messageDlg.information = forcedInputNote
                g_messageDlg.doModal()
                forcedInputNote = ""
            }
            if (!channelUploadPending)
                confirmUpload()
        }
        function onSigControlInputForced(fromIndex, toIndex) {
            forcedInputNote = resLanguages.qsTr_STR_ID_227.arg(controlInputCombo.model[fromIndex])
        }
        function onSigUpdateFirmSucceed() { g_statusLine.notify(resLanguages.qsTr_STR_ID_224) }
        function onSigUploadFinished() {
            uploading = false
            confirmButton.enabled = true
            defaultsButton.enabled = true
            enablePaletteByCamera()
        }
        function onSigUpdateFirmFailed() { showError(resLanguages.qsTr_STR_ID_152) }
    }

    Connections {
        target: runtimeJoystickdevice
        function onSigRefreshMapping() {
            f_LoadChannelConfig()
            confirmButton.enabled = true
            defaultsButton.enabled = true
        }
        function onSigUploadFailed() {
            channelUploadPending = false
            restoringDefaults = false
            showError(resLanguages.qsTr_STR_ID_78)
        }
        function onSigUploadSucceed() {
            if (channelUploadPending) {
                channelUploadPending = false
                confirmUpload()
            }
        }
        function onSigRefreshValue() {
            if (!channelGroup.enabled)
                return
            for (var row = 0; row < channelFunctions.length; ++row) {
                var f = channelFunctions[row]
                var item = channelRow(row)
                item.valueView.setValue(row === modeRow && !item.enabled ? 0 : runtimeJoystickdevice.getChannelValue(f))
                var out = runtimeJoystickdevice.getChannelOutput(f)
                var isAxis = f === JoyStickDevice.CHANNEL_PITCH || f === JoyStickDevice.CHANNEL_YAW
                item.output.text = (!isAxis && out >= 0 && out < outputNames.length) ? outputNames[out] : String(out)
            }
        }
    }

    ControlConfigurationBackup {
        id: configurationBackup
        x: 30 * OrvControl.ORVStyle.dp; y: 480 * OrvControl.ORVStyle.dp
        // What was restored is read back into the page.
        onRestored: {
            runtimeInstrumentConfig.downloadConfig()
            runtimeJoystickdevice.downloadConfig()
        }
    }

    Connections {
        target: runtimeFirmwareController
        function onSigFirmclosed() {
            channelGroup.enabled = false
            mountingCombo.enabled = false
            controlInputCombo.enabled = false
            paletteCombo.enabled = false
            modeCombo.enabled = false
            confirmButton.enabled = false
            defaultsButton.enabled = false
        }
    }
}
