import QtQuick 2.0

// Stand-in for the backup controller: records what the pages ask for.
QtObject {
    enum RestoreFailure { RESTORE_FILE_UNUSABLE = 1, RESTORE_GIMBAL_FAILED = 2, RESTORE_READBACK_DIFFERS = 3 }

    property bool busy: false
    property string upgradeBackupPath: ""
    property bool upgradeBackupFailed: false
    property int withoutBackupRequests: 0
    property string backedUpTo: ""
    property string restoredFrom: ""

    signal sigBusyChanged()
    signal sigBackupSucceed(string path)
    signal sigBackupFailed(string reason)
    signal sigRestoreSucceed(string path)
    signal sigRestoreFailed(int failure, string reason)
    signal sigUpgradeBackupChanged()
    signal sigUpgradeFinishedWithBackup(string path)
    signal sigUpgradeBackupFailed(string reason)

    function reset() {
        busy = false
        upgradeBackupPath = ""
        upgradeBackupFailed = false
        withoutBackupRequests = 0
        backedUpTo = ""
        restoredFrom = ""
    }
    function backupToFile(fileUrl) { backedUpTo = String(fileUrl) }
    function restoreFromFile(fileUrl) { restoredFrom = String(fileUrl) }
    function restoreUpgradeBackup() { restoredFrom = upgradeBackupPath }
    function upgradeWithoutBackup() { withoutBackupRequests += 1 }
}
