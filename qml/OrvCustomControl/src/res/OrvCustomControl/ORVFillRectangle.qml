import QtQuick 2.0
import "." as OrvControl

Rectangle {
    color: OrvControl.ORVStyle.bgColor
    border.width: OrvControl.ORVStyle.showBorder ? OrvControl.ORVStyle.borderWidth : 0
    border.color: OrvControl.ORVStyle.borderColor
    radius: OrvControl.ORVStyle.radius
}
