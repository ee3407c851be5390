import QtQuick 2.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// A ring that fills clockwise from the top as value runs from minimumValue to maximumValue,
// with the share in per cent at its centre.
Item {
    id: circleProgress
    implicitWidth: 60 * OrvControl.ORVStyle.dp
    implicitHeight: 60 * OrvControl.ORVStyle.dp

    property real value: 0
    property real minimumValue: 0
    property real maximumValue: 100
    property real lineWidth: 4 * OrvControl.ORVStyle.dp
    // Values outside the range pin the ring at empty or full; an empty range shows nothing.
    readonly property real progress: maximumValue > minimumValue
        ? (Math.min(Math.max(value, minimumValue), maximumValue) - minimumValue) / (maximumValue - minimumValue)
        : 0
    readonly property alias text: percentLabel.text

    onProgressChanged: ring.requestPaint()
    onEnabledChanged: ring.requestPaint()
    onLineWidthChanged: ring.requestPaint()

    Canvas {
        id: ring
        anchors.fill: parent

        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            var centreX = width / 2
            var centreY = height / 2
            var radius = (Math.min(width, height) - circleProgress.lineWidth) / 2
            if (radius <= 0)
                return
            var top = -Math.PI / 2
            ctx.lineWidth = circleProgress.lineWidth

            ctx.strokeStyle = OrvControl.ORVStyle.disColor
            ctx.beginPath()
            ctx.arc(centreX, centreY, radius, 0, 2 * Math.PI, false)
            ctx.stroke()

            if (circleProgress.progress > 0) {
                ctx.strokeStyle = circleProgress.enabled ? String(OrvControl.ORVStyle.borderColor)
                                                         : OrvControl.ORVStyle.disColor
                ctx.beginPath()
                ctx.arc(centreX, centreY, radius, top, top + 2 * Math.PI * circleProgress.progress, false)
                ctx.stroke()
            }
        }
    }

    OrvControl.ORVLabel {
        id: percentLabel
        anchors.centerIn: parent
        text: Math.round(circleProgress.progress * 100) + "%"
    }
}
