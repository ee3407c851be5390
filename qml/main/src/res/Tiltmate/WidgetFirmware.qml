import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Dialogs 1.2
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: firmwarePage
    width: 790 * OrvControl.ORVStyle.dp
    height: 540 * OrvControl.ORVStyle.dp

    property alias pathField: path
    property alias browseButton: browseButton
    property alias upgradeButton: upgradeButton
    property alias firmwareList: firmwareList
    property alias fileDialog: fileDialogLoader.item
    property alias upgradeBackup: upgradeBackup
    property alias upgradeWithoutBackupButton: upgradeWithoutBackupButton

    // One package may skip several entries, or an upgrade leave several units unconfirmed: each adds
    // its line to the open warning.
    function showUnitWarning(text) {
        var adding = g_messageDlg.visible && g_messageDlg.messageBoxType === 1
        g_messageDlg.messageBoxType = 1
        g_messageDlg.information = adding ? g_messageDlg.information + "\n" + text : text
        g_messageDlg.doModal()
    }

    Item {
        anchors.fill: parent
        anchors.margins: 20 * OrvControl.ORVStyle.dp

        Column {
            y: 50 * OrvControl.ORVStyle.dp
            spacing: 15 * OrvControl.ORVStyle.dp

            Item {
                width: 700 * OrvControl.ORVStyle.dp
                height: 30 * OrvControl.ORVStyle.dp

                OrvControl.ORVLabel {
                    id: pathLabel
                    x: 50 * OrvControl.ORVStyle.dp
                    width: 50 * OrvControl.ORVStyle.dp
                    height: parent.height
                    text: resLanguages.qsTr_STR_ID_52
                }
                OrvControl.ORVTextField {
                    id: path
                    anchors.left: pathLabel.right
                    anchors.leftMargin: 10 * OrvControl.ORVStyle.dp
                    width: 470 * OrvControl.ORVStyle.dp
                    height: parent.height
                    enabled: false
                    // It shows the chosen file; typing a path here would do nothing.
                    readOnly: true
                }
                OrvControl.ORVButton {
                    id: browseButton
                    anchors.left: path.right
                    anchors.leftMargin: 10 * OrvControl.ORVStyle.dp
                    width: 80 * OrvControl.ORVStyle.dp
                    height: parent.height
                    text: resLanguages.qsTr_STR_ID_54
                    onClicked: fileDialog.open()
                }
            }

            Item {
                width: 1
                height: 80 * OrvControl.ORVStyle.dp
            }

            OrvControl.ORVFillRectangle {
                x: 50 * OrvControl.ORVStyle.dp
                width: 620 * OrvControl.ORVStyle.dp
                height: 150 * OrvControl.ORVStyle.dp
                radius: 0

                ListView {
                    id: firmwareList
                    anchors.fill: parent
                    clip: true
                    model: runtimeFirmwareController.firmwareListModel
                    header: OrvControl.ORVTableRectangle {
                        width: firmwareList.width
                        height: 30 * OrvControl.ORVStyle.dp
                        // Cells and separators span their row exactly, so nothing hangs below an
                        // empty table's header or crosses into the next row.
                        Row {
                            spacing: 5 * OrvControl.ORVStyle.dp
                            OrvControl.ORVLabel {
                                width: 100 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                                text: resLanguages.qsTr_STR_ID_55
                            }
                            Rectangle { width: 2 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp; color: OrvControl.ORVStyle.borderColor; opacity: 0.3 }
                            OrvControl.ORVLabel {
                                width: 150 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                                text: resLanguages.qsTr_STR_ID_56
                            }
                            Rectangle { width: 2 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp; color: OrvControl.ORVStyle.borderColor; opacity: 0.3 }
                            OrvControl.ORVLabel {
                                width: 150 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                                text: resLanguages.qsTr_STR_ID_57
                            }
                            Rectangle { width: 2 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp; color: OrvControl.ORVStyle.borderColor; opacity: 0.3 }
                            OrvControl.ORVLabel {
                                width: 150 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                                text: resLanguages.qsTr_STR_ID_58
                            }
                        }
                    }
                    delegate: OrvControl.ORVTableRectangle {
                        width: firmwareList.width
                        height: 30 * OrvControl.ORVStyle.dp
                        // Cells and separators span their row exactly, so nothing hangs below an
                        // empty table's header or crosses into the next row.
                        Row {
                            spacing: 5 * OrvControl.ORVStyle.dp
                            OrvControl.ORVLabel {
                                width: 100 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                                text: Name
                            }
                            Rectangle { width: 2 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp; color: OrvControl.ORVStyle.borderColor; opacity: 0.3 }
                            OrvControl.ORVLabel {
                                width: 150 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                                text: AppVersion
                            }
                            Rectangle { width: 2 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp; color: OrvControl.ORVStyle.borderColor; opacity: 0.3 }
                            OrvControl.ORVLabel {
                                width: 150 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                                text: FileAppVersion
                            }
                            Rectangle { width: 2 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp; color: OrvControl.ORVStyle.borderColor; opacity: 0.3 }
                            ControlFirmUpgradeView {
                                width: 150 * OrvControl.ORVStyle.dp; height: 30 * OrvControl.ORVStyle.dp
                                status: UpgradeStatus
                            }
                        }
                    }
                }
            }
        }
    }

    OrvControl.ORVButton {
        id: upgradeButton
        x: 590 * OrvControl.ORVStyle.dp
        y: 460 * OrvControl.ORVStyle.dp
        width: 80 * OrvControl.ORVStyle.dp
        height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_59
        enabled: false
        onClicked: {
            runtimeFirmwareController.updateFirm()
            upgradeButton.enabled = false
            path.enabled = false
            browseButton.enabled = false
        }
    }

    // Units that cannot answer parameter reads fail the backup taken before an upgrade; going on
    // without one is the technician's explicit choice, for the next upgrade only.
    OrvControl.ORVButton {
        id: upgradeWithoutBackupButton
        // Left of the restore button, which may show at the same time.
        anchors.right: upgradeBackup.left
        anchors.rightMargin: 10 * OrvControl.ORVStyle.dp
        y: 460 * OrvControl.ORVStyle.dp
        width: 170 * OrvControl.ORVStyle.dp
        height: 25 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_242
        visible: runtimeBackupController.upgradeBackupFailed
        enabled: browseButton.enabled
        onClicked: {
            runtimeBackupController.upgradeWithoutBackup()
            upgradeButton.clicked()
        }
    }

    ControlUpgradeBackup {
        id: upgradeBackup
        x: 370 * OrvControl.ORVStyle.dp
        y: 460 * OrvControl.ORVStyle.dp
    }

    // Qt's file dialog keeps the names of its places (home, desktop) in the language it was first
    // opened in: a new language gets a new dialog.
    Loader {
        id: fileDialogLoader
        property string language: runtimeLanguage.language
        onLanguageChanged: { active = false; active = true }
        sourceComponent: FileDialog {
            title: resLanguages.qsTr_STR_ID_53
            // Room for a package name and its folder without cutting them.
            width: 640 * OrvControl.ORVStyle.dp
            height: 420 * OrvControl.ORVStyle.dp
            nameFilters: ["Bin files (*.bin)"]
            selectExisting: true
            onAccepted: {
                runtimeFirmwareController.unpackFileFirmware(fileUrl)
                path.text = fileUrl.toString()
            }
        }
    }

    Connections {
        target: runtimeFirmwareController
        function onSigFileInfoChanged() {
            upgradeButton.enabled = runtimeFirmwareController.canUpdateFirm()
        }
        function onSigFileUpgradeFinished() {
            firmwareList.enabled = true
            path.enabled = true
            browseButton.enabled = true
        }
        function onSigFirmwareEntryTooLarge(unitName, imageBytes, maxImageBytes) {
            firmwarePage.showUnitWarning(resLanguages.qsTr_STR_ID_210.arg(unitName).arg(String(imageBytes)).arg(String(maxImageBytes)))
        }
        function onSigFirmwareEntryIncomplete(unitName) {
            firmwarePage.showUnitWarning(resLanguages.qsTr_STR_ID_211.arg(unitName))
        }
        function onSigFirmwareVersionUnconfirmed(unitName, reportedVersion, packageVersion, reason) {
            var text = reason === 0 ? resLanguages.qsTr_STR_ID_247.arg(unitName).arg(reportedVersion).arg(packageVersion)
                     : reason === 1 ? resLanguages.qsTr_STR_ID_248.arg(unitName).arg(packageVersion)
                     : resLanguages.qsTr_STR_ID_249.arg(unitName).arg(packageVersion)
            firmwarePage.showUnitWarning(text)
        }
        function onSigWrongFirmFile() {
            g_messageDlg.messageBoxType = 2
            g_messageDlg.information = resLanguages.qsTr_STR_ID_150
            g_messageDlg.doModal()
            g_connentDlg.doQuit()
        }
    }
}
