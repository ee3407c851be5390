import QtQuick 2.0
import QtQuick.Controls 1.5
import "." as OrvControl

Label {
    id: label
    property int fontsize: OrvControl.ORVStyle.fontsize

    color: enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    font.family: OrvControl.ORVStyle.fontfamily
    font.pixelSize: fontsize
    onFontsizeChanged: font.pixelSize = fontsize
}
