import QtQuick 2.0
import ORVGimbalTool 1.0

// Stand-in for the plot page's controller: an empty sample buffer, and recording that only remembers
// what it was asked.
QtObject {
    property TelemetryPlotBuffer history: TelemetryPlotBuffer {}
    property bool pageVisible: false
    property bool paused: false
    property bool recording: false
    property string recordingFile: ""
    property real recordingSeconds: 0
    property int recordingRows: 0
    property string recordedPort: ""

    signal sigRecordingSaved(string path)
    signal sigRecordingFailed(string path, string reason)

    function reset() { recording = false; recordedPort = ""; paused = false }
    function startRecording(port) { recordedPort = port; recording = true; recordingFile = "x.csv"; return true }
    function stopRecording() { recording = false; sigRecordingSaved("x.csv") }
}
