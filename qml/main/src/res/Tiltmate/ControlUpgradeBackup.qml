import QtQuick 2.0
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// The firmware page's end of an upgrade: where the configuration was saved before anything was
// written, and a button that puts it back onto the gimbal.
OrvControl.ORVButton {
    id: restoreUpgradeButton
    width: 200 * OrvControl.ORVStyle.dp
    height: 25 * OrvControl.ORVStyle.dp
    text: resLanguages.qsTr_STR_ID_241
    visible: runtimeBackupController.upgradeBackupPath !== ""
    enabled: connected && !runtimeBackupController.busy

    property bool connected: false
    property bool waitingForRestore: false

    function showMessage(type, text) {
        g_messageDlg.messageBoxType = type
        g_messageDlg.information = text
        g_messageDlg.doModal()
    }

    onClicked: {
        waitingForRestore = true
        runtimeBackupController.restoreUpgradeBackup()
    }

    Connections {
        target: runtimeBackupController
        function onSigUpgradeFinishedWithBackup(path) { showMessage(0, resLanguages.qsTr_STR_ID_239.arg(path)) }
        function onSigUpgradeBackupFailed(reason) {
            showMessage(2, resLanguages.qsTr_STR_ID_240.arg(reason) + "\n" + resLanguages.qsTr_STR_ID_243)
        }
        function onSigRestoreSucceed(path) {
            if (!waitingForRestore)
                return
            waitingForRestore = false
            g_statusLine.notify(resLanguages.qsTr_STR_ID_235.arg(path))
        }
        function onSigRestoreFailed(failure, reason) {
            if (!waitingForRestore)
                return
            waitingForRestore = false
            var text = failure === BackupController.RESTORE_FILE_UNUSABLE ? resLanguages.qsTr_STR_ID_236
                     : failure === BackupController.RESTORE_READBACK_DIFFERS ? resLanguages.qsTr_STR_ID_238 : resLanguages.qsTr_STR_ID_237
            showMessage(2, text.arg(reason))
        }
    }
    Connections {
        target: runtimeFirmwareController
        function onSigGetVersionSuccessed() { restoreUpgradeButton.connected = true }
        function onSigFirmclosed() { restoreUpgradeButton.connected = false }
    }
}
