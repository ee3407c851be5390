import QtQuick 2.0
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

CheckBox {
    style: CheckBoxStyle {
        indicator: Rectangle {
            implicitWidth: control.height
            implicitHeight: control.height
            border.width: 1
            border.color: control.enabled ? OrvControl.ORVStyle.borderColor : OrvControl.ORVStyle.disColor
            radius: OrvControl.ORVStyle.radius
            color: OrvControl.ORVStyle.bgColor
            Image {
                anchors.fill: parent
                visible: control.checked
                source: OrvControl.ORVStyle.checkPng
                fillMode: Image.PreserveAspectCrop
                smooth: true
            }
        }
        label: Text {
            text: control.text
            color: control.enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
            font.family: OrvControl.ORVStyle.fontfamily
            font.pixelSize: OrvControl.ORVStyle.fontsize
        }
    }
}
