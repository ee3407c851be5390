import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

Slider {
    id: slider
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
            implicitWidth: 4 * OrvControl.ORVStyle.dp
            implicitHeight: control.height * 0.6
            color: control.enabled ? OrvControl.ORVStyle.borderColor : OrvControl.ORVStyle.disColor
            border.color: OrvControl.ORVStyle.borderColor
            border.width: OrvControl.ORVStyle.borderWidth
            radius: OrvControl.ORVStyle.radius
        }
    }
}
