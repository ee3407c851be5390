import QtQuick 2.0
import "." as OrvControl

Text {
    color: enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
    font.family: OrvControl.ORVStyle.fontfamily
    font.pixelSize: OrvControl.ORVStyle.fontsize
}
