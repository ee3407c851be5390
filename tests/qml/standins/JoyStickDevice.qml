import QtQuick 2.0

// Stand-in for the receiver channel device: eight scripted channel records.
QtObject {
    enum JoyStickChannelFunc {
        CHANNEL_MODE, CHANNEL_PITCH, CHANNEL_YAW, CHANNEL_SHOT, CHANNEL_RECORD, CHANNEL_ZOOM,
        CHANNEL_DISPLAY, CHANNEL_BAFFLE, CHANNEL_MAX,
        CHANNEL_MAX_SELECTTION = 20, CHANNEL_MODE_DISABLE = 21, CHANNEL_DISABLE = 22, CHANNEL_NOLIMIT = 23
    }

    property var mappings: [0, 1, 2, 3, 4, 5, 6, 7]
    property var reverses: [false, false, false, false, false, false, false, false]
    property var channelValues: [0, 0, 0, 0, 0, 0, 0, 0]
    property var outputs: [0, 0, 0, 0, 0, 0, 0, 0]
    property var statuses: [0, 0, 0, 0, 0, 0, 0, 0]
    property bool lostControl: false
    property bool uploadAllowed: true
    property int lastCheckMode: -1
    property int uploadCount: 0
    property bool defaultsReadable: true
    readonly property int p_defalutValue: 0

    signal sigRefreshMapping()
    signal sigRefreshValue()
    signal sigRefreshStatus()
    signal sigDefalutValueChanged()
    signal sigDownloading()
    signal sigDownloadSucceed()
    signal sigDownloadFailed()
    signal sigDownloadFinished()
    signal sigUploading()
    signal sigUploadSucceed()
    signal sigUploadFailed()
    signal sigUploadFinish()

    function reset() {
        mappings = [0, 1, 2, 3, 4, 5, 6, 7]
        reverses = [false, false, false, false, false, false, false, false]
        channelValues = [0, 0, 0, 0, 0, 0, 0, 0]
        outputs = [0, 0, 0, 0, 0, 0, 0, 0]
        statuses = [0, 0, 0, 0, 0, 0, 0, 0]
        lostControl = false
        uploadAllowed = true
        lastCheckMode = -1
        uploadCount = 0
        defaultsReadable = true
    }
    function getChannelMapping(index) { return mappings[index] }
    function setChannelMapping(index, mapping) { mappings[index] = mapping }
    function getChannelValue(index) { return channelValues[index] }
    function setChannelValue(index, value) { channelValues[index] = value }
    function getChannelReverse(index) { return reverses[index] }
    function setChannelReverse(index, reverse) { reverses[index] = reverse }
    function getChannelOutput(index) { return outputs[index] }
    function getChannelStatus(index) { return statuses[index] }
    // Names the channel it was asked for, so a test sees the page show exactly this text.
    function getChannelStatusString(index) { return "status of channel " + index + ": " + statuses[index] }
    function setChannelStatus(index, value) { statuses[index] = value }
    function setChannelConfig(index, mapping, reverse) {
        mappings[index] = mapping
        reverses[index] = reverse
    }
    function getDefaultValue() { return 0 }
    function canUploadChannelConfig(upLoadType) {
        lastCheckMode = upLoadType
        return uploadAllowed
    }
    function getChannelLostCtl() { return lostControl }
    function uploadConfig() { uploadCount += 1 }
    function downloadConfig() { }
    function loadDefaultConfig() { return defaultsReadable }
}
