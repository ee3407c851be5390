import QtQuick 2.0
import QtQuick.Controls 1.5
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// The plot page: rotation rates, accelerations and attitude over a shared time window, with pause,
// and the recording of every sample to a file.
Item {
    id: plotPage
    width: 790 * OrvControl.ORVStyle.dp
    height: 540 * OrvControl.ORVStyle.dp

    readonly property var windows: [10, 30, 60]
    property alias windowCombo: windowCombo
    property alias pauseButton: pauseButton
    property alias recordButton: recordButton

    // Samples are taken only while the page is shown and running, or while a recording runs.
    onVisibleChanged: runtimeTelemetryPlot.pageVisible = visible
    Component.onCompleted: runtimeTelemetryPlot.pageVisible = visible

    Row {
        id: toolbar
        x: 10 * OrvControl.ORVStyle.dp
        y: 8 * OrvControl.ORVStyle.dp
        height: 25 * OrvControl.ORVStyle.dp
        spacing: 10 * OrvControl.ORVStyle.dp

        OrvControl.ORVLabel {
            height: parent.height
            text: resLanguages.qsTr_STR_ID_259
        }
        OrvControl.ORVComboBox {
            id: windowCombo
            objectName: "windowCombo"
            width: 80 * OrvControl.ORVStyle.dp
            height: parent.height
            model: plotPage.windows.map(function (s) { return resLanguages.qsTr_STR_ID_260.arg(s) })
        }
        OrvControl.ORVButton {
            id: pauseButton
            objectName: "pauseButton"
            width: 80 * OrvControl.ORVStyle.dp
            height: parent.height
            text: runtimeTelemetryPlot.paused ? resLanguages.qsTr_STR_ID_262 : resLanguages.qsTr_STR_ID_261
            onClicked: runtimeTelemetryPlot.paused = !runtimeTelemetryPlot.paused
        }
        OrvControl.ORVButton {
            id: recordButton
            objectName: "recordButton"
            width: 90 * OrvControl.ORVStyle.dp
            height: parent.height
            text: runtimeTelemetryPlot.recording ? resLanguages.qsTr_STR_ID_265 : resLanguages.qsTr_STR_ID_264
            onClicked: {
                if (runtimeTelemetryPlot.recording)
                    runtimeTelemetryPlot.stopRecording()
                else
                    runtimeTelemetryPlot.startRecording(runtimeSerialPortCtl.opendPortName)
            }
        }
        OrvControl.ORVLabel {
            id: recordingLabel
            objectName: "recordingLabel"
            width: 420 * OrvControl.ORVStyle.dp
            height: parent.height
            fontsize: 11 * OrvControl.ORVStyle.dp // file name, duration and count on the toolbar's line
            horizontalAlignment: Text.AlignLeft
            elide: Text.ElideMiddle
            visible: runtimeTelemetryPlot.recording
            text: resLanguages.qsTr_STR_ID_266.arg(runtimeTelemetryPlot.recordingFile) + "   "
                  + resLanguages.qsTr_STR_ID_267.arg(Math.floor(runtimeTelemetryPlot.recordingSeconds))
                                                .arg(runtimeTelemetryPlot.recordingRows)
        }
    }

    Column {
        id: graphs
        x: 10 * OrvControl.ORVStyle.dp
        y: 45 * OrvControl.ORVStyle.dp
        width: parent.width - 20 * OrvControl.ORVStyle.dp
        spacing: 8 * OrvControl.ORVStyle.dp
        readonly property real graphHeight: 148 * OrvControl.ORVStyle.dp

        ControlTelemetryGraph {
            id: rateGraph
            objectName: "rateGraph"
            width: parent.width
            height: graphs.graphHeight
            title: resLanguages.qsTr_STR_ID_256
            source: runtimeTelemetryPlot.history
            channels: [TelemetryPlotBuffer.RATE_X, TelemetryPlotBuffer.RATE_Y, TelemetryPlotBuffer.RATE_Z]
            names: [resLanguages.qsTr_STR_ID_11, resLanguages.qsTr_STR_ID_12, resLanguages.qsTr_STR_ID_13]
            colors: ["#ff5a5a", "#0ad48b", "#4aa3ff"]
            windowSeconds: plotPage.windows[windowCombo.currentIndex]
            paused: runtimeTelemetryPlot.paused
        }
        ControlTelemetryGraph {
            id: accelGraph
            objectName: "accelGraph"
            width: parent.width
            height: graphs.graphHeight
            title: resLanguages.qsTr_STR_ID_257
            source: runtimeTelemetryPlot.history
            channels: [TelemetryPlotBuffer.ACCEL_X, TelemetryPlotBuffer.ACCEL_Y, TelemetryPlotBuffer.ACCEL_Z]
            names: [resLanguages.qsTr_STR_ID_11, resLanguages.qsTr_STR_ID_12, resLanguages.qsTr_STR_ID_13]
            colors: ["#ff5a5a", "#0ad48b", "#4aa3ff"]
            decimals: 3
            windowSeconds: plotPage.windows[windowCombo.currentIndex]
            paused: runtimeTelemetryPlot.paused
        }
        ControlTelemetryGraph {
            id: attitudeGraph
            objectName: "attitudeGraph"
            width: parent.width
            height: graphs.graphHeight
            title: resLanguages.qsTr_STR_ID_258
            source: runtimeTelemetryPlot.history
            channels: [TelemetryPlotBuffer.ROLL, TelemetryPlotBuffer.PITCH, TelemetryPlotBuffer.YAW]
            names: [resLanguages.qsTr_STR_ID_15, resLanguages.qsTr_STR_ID_16, resLanguages.qsTr_STR_ID_17]
            colors: ["#ff5a5a", "#0ad48b", "#4aa3ff"]
            windowSeconds: plotPage.windows[windowCombo.currentIndex]
            paused: runtimeTelemetryPlot.paused
        }
    }

    // The shared time axis under the graphs: the window's left edge and now.
    OrvControl.ORVLabel {
        x: graphs.x + 180 * OrvControl.ORVStyle.dp
        y: graphs.y + graphs.height + 2 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_260.arg(-plotPage.windows[windowCombo.currentIndex])
    }
    OrvControl.ORVLabel {
        anchors.right: graphs.right
        y: graphs.y + graphs.height + 2 * OrvControl.ORVStyle.dp
        text: resLanguages.qsTr_STR_ID_260.arg(0)
    }

    Connections {
        target: runtimeTelemetryPlot
        function onSigRecordingFailed(path, reason) {
            g_messageDlg.messageBoxType = 2
            g_messageDlg.information = resLanguages.qsTr_STR_ID_268.arg(path).arg(reason)
            g_messageDlg.doModal()
        }
        function onSigRecordingSaved(path) {
            // The name alone fits the status line; recordings always go to the documents folder.
            g_statusLine.notify(resLanguages.qsTr_STR_ID_269.arg(path.substring(path.lastIndexOf("/") + 1)))
        }
    }
}
