import QtQuick 2.0

// Stand-in for the PID tuning controller: 38 stored percentages, recorded uploads and files.
QtObject {
    enum PidParameterIndex {
        DefKxId, DefIxId, DefMaxXIdOut, DefKxIq, DefIxIq, DefMaxXIqOut, DefKxAspd, DefIxAspd,
        DefMaxXAspdOut, DefKaPhi, DefMinPhiRef, DefMaxPhiRef,
        DefKyId, DefIyId, DefMaxYIdOut, DefKyIq, DefIyIq, DefMaxYIqOut, DefKyAspd, DefIyAspd,
        DefMaxYAspdOut, DefKyPos,
        DefKzId, DefIzId, DefMaxZIdOut, DefKzIq, DefIzIq, DefMaxZIqOut, DefKzAspd, DefIzAspd,
        DefMaxZAspdOut, DefKzPos,
        DefKeTheta, DefMinThetaRef, DefMaxThetaRef, DefKrPsi, DefMinPsiRef, DefMaxPsiRef, DefUnKnow
    }
    enum PidParameterSerial { X_AXIS, Y_AXIS, Z_AXIS }

    readonly property int p_defalutValue: 100
    property var values: []
    property int uploadCount: 0
    property bool fileResult: true
    property string lastFile: ""

    signal sigDefalutValueChanged()
    signal sigTunningValueChanged()
    signal sigDownloading()
    signal sigDownloadSucceed()
    signal sigDownloadFailed()
    signal sigDownloadFinished()
    signal sigUploading()
    signal sigUploadSucceed()
    signal sigUploadFailed()
    signal sigUploadFinished()

    function reset() {
        var v = []
        for (var i = 0; i < 38; ++i)
            v.push(100)
        values = v
        uploadCount = 0
        fileResult = true
        lastFile = ""
    }
    function setTunningValue(index, value) { values[index] = value }
    function getTunningValue(index) { return values[index] }
    function saveTunningValue(filePath) { lastFile = String(filePath); return fileResult }
    function loadTunningValue(filePath) { lastFile = String(filePath); return fileResult }
    function uploadConfig() { uploadCount += 1 }
    function downloadConfig() { }

    Component.onCompleted: reset()
}
