import QtQuick 2.0

// Stand-in for the instrument configuration: the five values and the camera predicates.
QtObject {
    enum InstrumentType { TYPE_MECHANISM, TYPE_NACELLECTL, TYPE_NACELLEINSTALL, TYPE_MODE, TYPE_DISPLAY, TYPE_MAX }

    property var values: [0, 0, 0, 0, 0]
    property int uploadCount: 0
    property int firmUpdateRequests: 0
    property bool defaultsReadable: true
    readonly property bool enableFirmUpdate: values[0] === 4

    signal sigInputChanged(int deviceMaxValue, int deviceMinValue)
    signal sigRefreshValue()
    signal sigDownloading()
    signal sigDownloadSucceed()
    signal sigDownloadFailed()
    signal sigDownloadFinished()
    signal sigUploading()
    signal sigUploadSucceed()
    signal sigUploadFailed()
    signal sigUploadFinished()
    signal typeMechanismChanged()
    signal sigUpdateFirmFailed()
    signal sigUnsupportMechanism()
    signal sigUpdateFirmSucceed()
    signal sigControlInputForced(int fromIndex, int toIndex)

    function reset() {
        values = [0, 0, 0, 0, 0]
        uploadCount = 0
        firmUpdateRequests = 0
        defaultsReadable = true
    }
    function code() { return values[0] }
    function setInstrumentValue(index, value) {
        var v = values.slice()
        v[index] = value
        values = v
    }
    function getInstrumentValue(index) { return values[index] }
    function isFirmUpdateEnabled() { return code() === 4 }
    function updateMechanismFirm() { firmUpdateRequests += 1 }
    function uploadConfig() { uploadCount += 1 }
    function downloadConfig() { }
    function loadDefaultConfig() { return defaultsReadable }
    function isInfrared() { return code() === 1 || code() === 4 }
    function is770K() { return code() === 4 || code() === 5 }
    function is770W() { return code() === 6 || code() === 9 }
    function isChannelEnabled() { return values[1] === 0 || values[1] === 1 }
    function getInputMaxValue(input) { return input === 0 ? 1696 : 1940 }
    function getInputMinValue(input) { return input === 0 ? 352 : 1100 }
    function mechanismToIndex(mechanism) {
        if (mechanism >= 1 && mechanism <= 7)
            return mechanism
        return mechanism === 9 ? 8 : 0
    }
}
