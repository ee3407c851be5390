import QtQuick 2.0

// Stand-in for the firmware controller: a plain list model with the same role names.
QtObject {
    enum FirmwareUnit { UNIT_UNKNOW = 0, UNIT_IFB = 1, UNIT_MX = 2, UNIT_MY = 4, UNIT_MZ = 8 }

    property ListModel firmwareListModel: ListModel { }
    property bool anyMarked: false
    property string unpackedFile: ""
    property int upgradeRequests: 0

    signal sigFileInfoChanged()
    signal sigWrongFirmFile()
    signal sigFirmwareEntryTooLarge(string unitName, real imageBytes, real maxImageBytes)
    signal sigFirmwareEntryIncomplete(string unitName)
    signal sigFirmwareVersionUnconfirmed(string unitName, string reportedVersion, string packageVersion, int reason)
    signal sigFirmclosed()
    signal sigFileUpgradeStart()
    signal sigFileUpgradeFinished()
    signal sigGetVersionFailed()
    signal sigGetVersionSuccessed()

    function reset() {
        firmwareListModel.clear()
        anyMarked = false
        unpackedFile = ""
        upgradeRequests = 0
    }
    function unpackFileFirmware(fileName) { unpackedFile = String(fileName) }
    function updateFirm() { upgradeRequests += 1 }
    function canUpdateFirm() { return anyMarked }
}
