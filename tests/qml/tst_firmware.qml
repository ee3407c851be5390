import QtQuick 2.0
import QtTest 1.2
import "qrc:/main/src/res/Tiltmate"
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: root
    width: 800
    height: 560

    ResLanguages { id: resLanguages }
    OrvControl.ORVMessageBox { id: g_messageDlg }
    OrvControl.ORVConnectWindow { id: g_connentDlg }

    ControlFirmUpgradeView {
        id: cell
        width: 150
        height: 30
    }

    Component {
        id: pageComponent
        WidgetFirmware { }
    }

    TestCase {
        name: "Firmware"
        when: windowShown

        function init() {
            runtimeFirmwareController.reset()
            g_messageDlg.hide()
            cell.status = 0
        }

        function shown() {
            return [cell.progressBar.visible, cell.percentLabel.visible, cell.statusLabel.visible]
        }

        function test_status_cell() {
            compare(shown(), [false, false, false])
            cell.status = 37
            compare(shown(), [true, true, false])
            compare(cell.progressBar.value, 37)
            compare(cell.percentLabel.text, "37%")
            cell.status = 100
            compare(cell.percentLabel.text, "100%")
            compare(shown(), [true, true, false])
            cell.status = -1
            compare(shown(), [false, false, true])
            compare(cell.statusLabel.text, "更新成功")
            cell.status = -2
            compare(cell.statusLabel.text, "更新失败")
            compare(shown(), [false, false, true])
            cell.status = 0
            compare(shown(), [false, false, false])
            compare(cell.statusLabel.text, "")
        }

        function test_upgrade_button_follows_the_package_and_the_upgrade() {
            var page = createTemporaryObject(pageComponent, root)
            compare(page.upgradeButton.enabled, false)
            compare(page.pathField.enabled, false)
            compare(page.browseButton.enabled, true)

            runtimeFirmwareController.sigFileInfoChanged()
            compare(page.upgradeButton.enabled, false)
            runtimeFirmwareController.anyMarked = true
            runtimeFirmwareController.sigFileInfoChanged()
            compare(page.upgradeButton.enabled, true)

            mouseClick(page.upgradeButton)
            compare(runtimeFirmwareController.upgradeRequests, 1)
            compare(page.upgradeButton.enabled, false)
            compare(page.browseButton.enabled, false)

            runtimeFirmwareController.sigFileUpgradeFinished()
            compare(page.browseButton.enabled, true)
            compare(page.pathField.enabled, true)
            compare(page.upgradeButton.enabled, false)
        }

        function test_upgrade_without_backup_is_offered_after_a_failed_backup() {
            runtimeBackupController.reset()
            var page = createTemporaryObject(pageComponent, root)
            compare(page.upgradeWithoutBackupButton.visible, false)
            runtimeBackupController.sigUpgradeBackupFailed("no answer")
            verify(g_messageDlg.information.indexOf("【不备份直接升级】") > 0, g_messageDlg.information)
            runtimeBackupController.upgradeBackupFailed = true
            compare(page.upgradeWithoutBackupButton.visible, true)
            mouseClick(page.upgradeWithoutBackupButton)
            compare(runtimeBackupController.withoutBackupRequests, 1)
            compare(runtimeFirmwareController.upgradeRequests, 1)
            compare(page.upgradeWithoutBackupButton.enabled, false)
        }

        function test_rows_show_the_model() {
            runtimeFirmwareController.firmwareListModel.append({ Name: "MY", AppVersion: "1.0.0", FileAppVersion: "--", UpgradeStatus: 0 })
            var page = createTemporaryObject(pageComponent, root)
            compare(page.firmwareList.count, 1)
        }

        function test_skipped_entries_are_named_in_one_warning() {
            var page = createTemporaryObject(pageComponent, root)
            runtimeFirmwareController.sigFirmwareEntryTooLarge("MX", 16776961, 16776960)
            runtimeFirmwareController.sigFirmwareEntryIncomplete("MZ")
            compare(g_messageDlg.visible, true)
            compare(g_messageDlg.titleText, "警告")
            compare(g_messageDlg.information,
                    "固件包中MX的固件有16776961字节，超过上限16776960字节，已跳过！\n固件包中MZ的固件不完整，已跳过！")
        }

        function test_wrong_package_shows_the_error() {
            var page = createTemporaryObject(pageComponent, root)
            runtimeFirmwareController.sigWrongFirmFile()
            compare(g_messageDlg.visible, true)
            compare(g_messageDlg.titleText, "错误")
            compare(g_messageDlg.information, resLanguages.qsTr_STR_ID_150)
            compare(page.upgradeButton.enabled, false)
        }
    }
}
