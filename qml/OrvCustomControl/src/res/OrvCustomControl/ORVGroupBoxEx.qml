import QtQuick 2.0
import QtGraphicalEffects 1.0
import "." as OrvControl

Rectangle {
    id: root
    property string title: ""

    implicitWidth: 100 * OrvControl.ORVStyle.dp
    implicitHeight: 30 * OrvControl.ORVStyle.dp
    color: OrvControl.ORVStyle.bgColor

    Rectangle {
        id: titleTab
        x: 20 * OrvControl.ORVStyle.dp
        z: 1
        width: 100 * OrvControl.ORVStyle.dp
        height: 20 * OrvControl.ORVStyle.dp
        color: Qt.rgba(41 / 255, 41 / 255, 43 / 255, 1)
        OrvControl.ORVLabel {
            id: titleLabel
            anchors.fill: parent
            anchors.leftMargin: 5 * OrvControl.ORVStyle.dp
            horizontalAlignment: Text.AlignLeft
            text: root.title
        }
    }

    OrvControl.ORVFillRectangle {
        id: frame
        anchors.bottom: parent.bottom
        width: parent.width
        height: parent.height - 10 * OrvControl.ORVStyle.dp
    }

    OpacityMask {
        anchors.fill: parent
        source: frame
        maskSource: titleLabel
        visible: false
    }
}
