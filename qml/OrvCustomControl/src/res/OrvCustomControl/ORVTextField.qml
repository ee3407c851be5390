import QtQuick 2.2
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

TextField {
    font.family: OrvControl.ORVStyle.fontfamily
    font.pixelSize: OrvControl.ORVStyle.fontsize
    style: TextFieldStyle {
        textColor: control.enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
        placeholderTextColor: Qt.rgba(0, 0, 0, 0.5)
        padding {
            top: 4
            left: Math.round(control.__contentHeight / 3)
            right: control.__contentHeight / 3
            bottom: 4
        }
        background: Rectangle {
            implicitWidth: Math.round(control.__contentHeight * 8)
            implicitHeight: Math.max(25, Math.round(control.__contentHeight * 1.2))
            color: OrvControl.ORVStyle.bgColor
            radius: OrvControl.ORVStyle.radius
            border.color: OrvControl.ORVStyle.borderColor
            border.width: OrvControl.ORVStyle.showBorder ? OrvControl.ORVStyle.borderWidth : 0
        }
    }
}
