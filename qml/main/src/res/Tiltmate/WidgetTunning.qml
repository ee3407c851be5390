import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Dialogs 1.2
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: tunningPage
    width: 790 * OrvControl.ORVStyle.dp
    height: 540 * OrvControl.ORVStyle.dp

    property int lastMechanismEntry: -1
    property alias mechanismCombo: mechanismCombo
    property alias pidView: pidView
    property alias startButton: startButton
    property alias stopButton: stopButton
    property alias loadButton: loadButton
    property alias saveButton: saveButton
    property alias uploadButton: uploadButton

    function showError(text) {
        g_messageDlg.messageBoxType = 2
        g_messageDlg.information = text
        g_messageDlg.doModal()
    }

    function setFileButtonsEnabled(on) {
        uploadButton.enabled = on
        loadButton.enabled = on
        saveButton.enabled = on
    }

    OrvControl.ORVLabel {
        x: 30 * OrvControl.ORVStyle.dp; y: 30 * OrvControl.ORVStyle.dp
        height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_82
    }
    OrvControl.ORVComboBox {
        id: mechanismCombo
        x: 100 * OrvControl.ORVStyle.dp; y: 30 * OrvControl.ORVStyle.dp
        width: 200 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        enabled: false
        texts: [resLanguages.qsTr_STR_ID_33, resLanguages.qsTr_STR_ID_34, resLanguages.qsTr_STR_ID_35,
            resLanguages.qsTr_STR_ID_36, resLanguages.qsTr_STR_ID_140, resLanguages.qsTr_STR_ID_141,
            resLanguages.qsTr_STR_ID_142]
        // Only the user's choice uploads; the entry set after a download is remembered instead.
        onActivated: {
            if (index === tunningPage.lastMechanismEntry)
                return
            // Entry k stands for camera module code k + 1.
            runtimeInstrumentConfig.setInstrumentValue(InstrumentConfig.TYPE_MECHANISM, index + 1)
            runtimeInstrumentConfig.uploadConfig()
            tunningPage.lastMechanismEntry = index
        }
    }

    Item {
        id: spacer
        x: 370 * OrvControl.ORVStyle.dp; y: 30 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
    }
    OrvControl.ORVButton {
        id: startButton
        anchors.left: spacer.right
        anchors.leftMargin: 40 * OrvControl.ORVStyle.dp
        y: 30 * OrvControl.ORVStyle.dp
        width: 100 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_127
        onClicked: {
            startButton.enabled = false
            stopButton.enabled = false
            runtimeCalibrationControl.StartCradle()
        }
    }
    OrvControl.ORVButton {
        id: stopButton
        anchors.left: startButton.right
        anchors.leftMargin: 20 * OrvControl.ORVStyle.dp
        y: 30 * OrvControl.ORVStyle.dp
        width: 100 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_128
        onClicked: {
            startButton.enabled = false
            stopButton.enabled = false
            runtimeCalibrationControl.StopCradle()
        }
    }

    OrvControl.ORVLabel {
        x: 30 * OrvControl.ORVStyle.dp; y: 90 * OrvControl.ORVStyle.dp
        height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_87
    }
    ControlPidView {
        id: pidView
        x: 100 * OrvControl.ORVStyle.dp; y: 90 * OrvControl.ORVStyle.dp
        width: 550 * OrvControl.ORVStyle.dp; height: 380 * OrvControl.ORVStyle.dp
        enabled: false
    }

    OrvControl.ORVButton {
        id: loadButton
        x: 370 * OrvControl.ORVStyle.dp; y: 480 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_88
        onClicked: loadDialog.open()
    }
    OrvControl.ORVButton {
        id: saveButton
        anchors.left: loadButton.right
        anchors.leftMargin: 40 * OrvControl.ORVStyle.dp
        y: 480 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_91
        onClicked: saveDialog.open()
    }
    OrvControl.ORVButton {
        id: uploadButton
        anchors.left: saveButton.right
        anchors.leftMargin: 40 * OrvControl.ORVStyle.dp
        y: 480 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        property bool uploading: false
        text: uploading ? resLanguages.qsTr_STR_ID_94 : resLanguages.qsTr_STR_ID_93
        onClicked: pidView.f_UploadConfig()
    }

    // Qt's file dialog keeps the names of its places in the language it was first opened in: a new
    // language gets new dialogs.
    property alias loadDialog: loadDialogLoader.item
    property alias saveDialog: saveDialogLoader.item
    Loader {
        id: loadDialogLoader
        property string language: runtimeLanguage.language
        onLanguageChanged: { active = false; active = true }
        sourceComponent: FileDialog {
            title: resLanguages.qsTr_STR_ID_89
            nameFilters: ["Ini files (*.ini)"]
            selectExisting: true
            onAccepted: {
                if (!runtimePidTunning.loadTunningValue(fileUrl))
                    showError(resLanguages.qsTr_STR_ID_90)
            }
        }
    }
    Loader {
        id: saveDialogLoader
        property string language: runtimeLanguage.language
        onLanguageChanged: { active = false; active = true }
        sourceComponent: FileDialog {
            title: resLanguages.qsTr_STR_ID_89
            nameFilters: ["Ini files (*.ini)"]
            selectExisting: true
            onAccepted: {
                if (!runtimePidTunning.saveTunningValue(fileUrl))
                    showError(resLanguages.qsTr_STR_ID_92)
            }
        }
    }

    Connections {
        target: runtimeInstrumentConfig
        function onSigDownloadSucceed() {
            var entry = runtimeInstrumentConfig.getInstrumentValue(InstrumentConfig.TYPE_MECHANISM) - 1
            tunningPage.lastMechanismEntry = entry
            mechanismCombo.currentIndex = entry
            mechanismCombo.enabled = true
        }
        function onSigUploadFailed() { showError(resLanguages.qsTr_STR_ID_78) }
    }

    Connections {
        target: runtimePidTunning
        function onSigUploading() {
            uploadButton.uploading = true
            setFileButtonsEnabled(false)
            startButton.enabled = false
            stopButton.enabled = false
        }
        function onSigUploadFinished() {
            uploadButton.uploading = false
            setFileButtonsEnabled(true)
            startButton.enabled = true
            stopButton.enabled = true
        }
        function onSigDownloading() {
            pidView.enabled = false
            setFileButtonsEnabled(false)
        }
        function onSigDownloadFailed() { showError(resLanguages.qsTr_STR_ID_95) }
        function onSigDownloadSucceed() {
            pidView.f_LoadConfig()
            pidView.enabled = true
            setFileButtonsEnabled(true)
        }
    }

    Connections {
        target: runtimeFirmwareController
        function onSigFirmclosed() {
            mechanismCombo.enabled = false
            pidView.enabled = false
            setFileButtonsEnabled(false)
        }
    }

    Connections {
        target: runtimeCalibrationControl
        function onSigCradleStartFinished() {
            startButton.enabled = true
            stopButton.enabled = true
        }
        function onSigCradleStopFinished() {
            startButton.enabled = true
            stopButton.enabled = true
        }
    }
}
