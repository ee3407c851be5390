import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

Button {
    id: button
    style: ButtonStyle {
        background: Rectangle {
            objectName: "buttonBackground"
            implicitWidth: control.width - OrvControl.ORVStyle.borderWidth
            implicitHeight: control.height - OrvControl.ORVStyle.borderWidth
            radius: OrvControl.ORVStyle.radius
            border.width: OrvControl.ORVStyle.showBorder ? OrvControl.ORVStyle.borderWidth : 0
            border.color: control.enabled ? OrvControl.ORVStyle.borderColor : OrvControl.ORVStyle.disColor
            color: (control.pressed || (control.checkable && control.checked))
                   ? OrvControl.ORVStyle.downColor : OrvControl.ORVStyle.bgColor
        }
        label: Text {
            objectName: "buttonLabel"
            text: control.text
            color: control.enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            font.family: OrvControl.ORVStyle.fontfamily
            font.pixelSize: OrvControl.ORVStyle.fontsize
        }
    }
}
