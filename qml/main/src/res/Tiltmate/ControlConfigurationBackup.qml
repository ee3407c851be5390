import QtQuick 2.0
import ORVGimbalTool 1.0
import QtQuick.Dialogs 1.2
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// The configuration page's backup and restore buttons: the file the technician picks goes to the
// backup controller; the outcome is told in the status line or the message box.
Row {
    id: backupRow
    spacing: 10 * OrvControl.ORVStyle.dp

    property alias backupButton: backupButton
    property alias restoreButton: restoreButton
    property alias saveDialog: saveDialogLoader.item
    property alias openDialog: openDialogLoader.item
    // The gimbal has answered its version query and the port is still open.
    property bool connected: false
    // Only this page's own requests are reported here; the firmware page reports its own.
    property bool waitingForBackup: false
    property bool waitingForRestore: false

    // Restored values are on the gimbal now: the page shows them once read again.
    signal restored()

    function showMessage(type, text) {
        g_messageDlg.messageBoxType = type
        g_messageDlg.information = text
        g_messageDlg.doModal()
    }

    OrvControl.ORVButton {
        id: backupButton
        width: 120 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_229
        enabled: backupRow.connected && !runtimeBackupController.busy
        onClicked: saveDialog.open()
    }
    OrvControl.ORVButton {
        id: restoreButton
        width: 120 * OrvControl.ORVStyle.dp; height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_230
        enabled: backupRow.connected && !runtimeBackupController.busy
        onClicked: openDialog.open()
    }

    // Qt's file dialog keeps the names of its places (home, desktop) in the language it was first
    // opened in: a new language gets new dialogs.
    Loader {
        id: saveDialogLoader
        visible: false
        property string language: runtimeLanguage.language
        onLanguageChanged: { active = false; active = true }
        sourceComponent: FileDialog {
            title: resLanguages.qsTr_STR_ID_231
            nameFilters: ["Backup files (*.json)"]
            selectExisting: false
            onAccepted: {
                var url = fileUrl.toString()
                waitingForBackup = true
                runtimeBackupController.backupToFile(/\.json$/i.test(url) ? url : url + ".json")
            }
        }
    }
    Loader {
        id: openDialogLoader
        visible: false
        property string language: runtimeLanguage.language
        onLanguageChanged: { active = false; active = true }
        sourceComponent: FileDialog {
            title: resLanguages.qsTr_STR_ID_232
            nameFilters: ["Backup files (*.json)"]
            selectExisting: true
            onAccepted: {
                waitingForRestore = true
                runtimeBackupController.restoreFromFile(fileUrl.toString())
            }
        }
    }

    Connections {
        target: runtimeBackupController
        function onSigBackupSucceed(path) {
            if (!waitingForBackup)
                return
            waitingForBackup = false
            g_statusLine.notify(resLanguages.qsTr_STR_ID_233.arg(path))
        }
        function onSigBackupFailed(reason) {
            if (!waitingForBackup)
                return
            waitingForBackup = false
            showMessage(2, resLanguages.qsTr_STR_ID_234.arg(reason))
        }
        function onSigRestoreSucceed(path) {
            if (!waitingForRestore)
                return
            waitingForRestore = false
            g_statusLine.notify(resLanguages.qsTr_STR_ID_235.arg(path))
            backupRow.restored()
        }
        function onSigRestoreFailed(failure, reason) {
            if (!waitingForRestore)
                return
            waitingForRestore = false
            var text = failure === BackupController.RESTORE_FILE_UNUSABLE ? resLanguages.qsTr_STR_ID_236
                     : failure === BackupController.RESTORE_READBACK_DIFFERS ? resLanguages.qsTr_STR_ID_238 : resLanguages.qsTr_STR_ID_237
            showMessage(2, text.arg(reason))
            // Something may have been written before it failed.
            if (failure !== BackupController.RESTORE_FILE_UNUSABLE)
                backupRow.restored()
        }
    }
    Connections {
        target: runtimeFirmwareController
        function onSigGetVersionSuccessed() { backupRow.connected = true }
        function onSigFirmclosed() { backupRow.connected = false }
    }
}
