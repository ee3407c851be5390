import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

// Shows a receiver input; it is a display only, so the mouse never moves it.
Slider {
    id: slider
    property var handleColors: [OrvControl.ORVStyle.borderColor, "red"]
    property int status: 0
    property color handleColor: handleColors[status]

    onStatusChanged: handleColor = handleColors[status]

    style: SliderStyle {
        groove: Rectangle {
            implicitWidth: control.width
            implicitHeight: control.height * 0.2
            border.width: OrvControl.ORVStyle.showBorder ? OrvControl.ORVStyle.borderWidth : 0
            border.color: OrvControl.ORVStyle.disColor
            color: OrvControl.ORVStyle.bgColor
            Rectangle {
                objectName: "sliderFill"
                height: parent.height
                width: control.width * (control.value - control.minimumValue)
                       / Math.max(control.maximumValue - control.minimumValue, 1e-9)
                color: control.enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
                border.color: control.enabled ? OrvControl.ORVStyle.borderColor : OrvControl.ORVStyle.disColor
            }
        }
        handle: Rectangle {
            objectName: "sliderHandle"
            implicitWidth: 4 * OrvControl.ORVStyle.dp
            implicitHeight: control.height * 0.6
            color: control.enabled ? control.handleColor : OrvControl.ORVStyle.disColor
            border.color: control.enabled ? control.handleColor : OrvControl.ORVStyle.disColor
            border.width: OrvControl.ORVStyle.borderWidth
            radius: OrvControl.ORVStyle.radius
        }
    }

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        hoverEnabled: true
        preventStealing: true
        z: 1
        onWheel: wheel.accepted = true
    }
}
