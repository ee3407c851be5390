import QtQuick 2.12
import QtQuick.Controls 1.5
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// One graph of the plot page: its series with a check box each, the vertical scale (automatic or
// fixed), and the values under the pointer.
Item {
    id: graph
    property string title: ""
    property var channels: []
    property var names: []
    property var colors: []
    property alias source: plot.source
    property alias windowSeconds: plot.windowSeconds
    property alias paused: plot.paused
    property alias plot: plot
    property int decimals: 2

    OrvControl.ORVLabel {
        id: titleLabel
        x: 0
        y: 0
        width: 130 * OrvControl.ORVStyle.dp
        height: 20 * OrvControl.ORVStyle.dp
        horizontalAlignment: Text.AlignLeft
        text: graph.title
    }

    Column {
        id: legend
        x: 0
        y: titleLabel.height + 4 * OrvControl.ORVStyle.dp
        width: titleLabel.width
        spacing: 3 * OrvControl.ORVStyle.dp
        Repeater {
            id: seriesBoxes
            model: graph.names.length
            Row {
                spacing: 4 * OrvControl.ORVStyle.dp
                property alias checked: seriesBox.checked
                OrvControl.ORVCheckBox {
                    id: seriesBox
                    objectName: "series" + index
                    height: 16 * OrvControl.ORVStyle.dp
                    checked: true
                    onCheckedChanged: plot.shownSeries = checked ? (plot.shownSeries | (1 << index))
                                                                 : (plot.shownSeries & ~(1 << index))
                }
                Rectangle {
                    width: 12 * OrvControl.ORVStyle.dp
                    height: 3 * OrvControl.ORVStyle.dp
                    anchors.verticalCenter: parent.verticalCenter
                    color: graph.colors[index]
                }
                OrvControl.ORVLabel {
                    text: graph.names[index]
                }
            }
        }
        OrvControl.ORVCheckBox {
            id: autoBox
            objectName: "autoScale"
            height: 16 * OrvControl.ORVStyle.dp
            text: resLanguages.qsTr_STR_ID_263
            checked: true
            onCheckedChanged: {
                if (!checked) {
                    // Fixed from here on at what is shown now, until the user changes it. Each box
                    // clamps to the other: the lower one is freed first, so the upper one takes any value.
                    minBox.value = minBox.minimumValue
                    maxBox.value = Math.ceil(plot.shownMax)
                    minBox.value = Math.floor(plot.shownMin)
                }
                plot.autoScale = checked
            }
        }
    }

    Row {
        x: 0
        anchors.bottom: parent.bottom
        spacing: 4 * OrvControl.ORVStyle.dp
        visible: !autoBox.checked
        OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_270; height: minBox.height }
        OrvControl.ORVSpinBox {
            id: minBox
            objectName: "fixedMin"
            width: 44 * OrvControl.ORVStyle.dp
            minimumValue: -9999
            maximumValue: maxBox.value - 1
            onValueChanged: plot.fixedMin = value
        }
        OrvControl.ORVLabel { text: resLanguages.qsTr_STR_ID_271; height: maxBox.height }
        OrvControl.ORVSpinBox {
            id: maxBox
            objectName: "fixedMax"
            width: 44 * OrvControl.ORVStyle.dp
            minimumValue: minBox.value + 1
            maximumValue: 9999
            onValueChanged: plot.fixedMax = value
        }
    }

    OrvControl.ORVFillRectangle {
        id: frame
        x: 180 * OrvControl.ORVStyle.dp
        y: 0
        width: parent.width - x
        height: parent.height

        TelemetryPlot {
            id: plot
            objectName: "plot"
            anchors.fill: parent
            anchors.margins: 2 * OrvControl.ORVStyle.dp
            channels: graph.channels
            colors: graph.colors
        }

        MouseArea {
            id: pointer
            anchors.fill: plot
            hoverEnabled: true
            property var sample: ({})
            function look() { sample = plot.sampleAt(mouseX) }
            onPositionChanged: look()
            onExited: sample = ({})
            Connections {
                target: plot.source
                enabled: pointer.containsMouse
                function onAppended() { pointer.look() }
            }
        }

        OrvControl.ORVLabel {
            objectName: "pointerValues"
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: 3 * OrvControl.ORVStyle.dp
            visible: pointer.sample.values !== undefined
            text: {
                if (pointer.sample.values === undefined)
                    return ""
                var parts = [resLanguages.qsTr_STR_ID_260.arg(pointer.sample.seconds.toFixed(2))]
                for (var i = 0; i < pointer.sample.values.length; ++i) {
                    if (plot.shownSeries & (1 << i))
                        parts.push(graph.names[i] + " " + pointer.sample.values[i].toFixed(graph.decimals))
                }
                return parts.join("   ")
            }
        }
    }

    OrvControl.ORVLabel {
        id: scaleMax
        objectName: "scaleMax"
        anchors.right: frame.left
        anchors.rightMargin: 4 * OrvControl.ORVStyle.dp
        y: frame.y
        text: plot.shownMax.toFixed(graph.decimals)
    }
    OrvControl.ORVLabel {
        id: scaleMin
        objectName: "scaleMin"
        anchors.right: frame.left
        anchors.rightMargin: 4 * OrvControl.ORVStyle.dp
        y: frame.y + frame.height - height
        text: plot.shownMin.toFixed(graph.decimals)
    }
}
