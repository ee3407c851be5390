import QtQuick 2.0
import "." as OrvControl

Rectangle {
    color: OrvControl.ORVStyle.bgColor
    BorderImage {
        anchors.fill: parent
        source: "image/tab_selected.png"
        border.top: 6 * OrvControl.ORVStyle.dp
        border.left: 6 * OrvControl.ORVStyle.dp
        border.right: 6 * OrvControl.ORVStyle.dp
        border.bottom: 0
    }
}
