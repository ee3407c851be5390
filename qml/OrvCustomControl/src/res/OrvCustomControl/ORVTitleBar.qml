import QtQuick 2.0
import "." as OrvControl

// A bar that drags the window it belongs to.
Rectangle {
    id: titleBar
    property var window: null
    property point pressPosition: Qt.point(0, 0)

    height: 30 * OrvControl.ORVStyle.dp
    color: OrvControl.ORVStyle.borderColor

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton
        onPressed: titleBar.pressPosition = Qt.point(mouse.x, mouse.y)
        onPositionChanged: {
            if (titleBar.window) {
                titleBar.window.x += mouse.x - titleBar.pressPosition.x
                titleBar.window.y += mouse.y - titleBar.pressPosition.y
            }
        }
    }
}
