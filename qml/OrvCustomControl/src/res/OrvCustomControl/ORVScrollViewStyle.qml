import QtQuick 2.2
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

ScrollViewStyle {
    // What shows behind the bars. A drop-down list is a window of its own, and a window's
    // transparent parts are white on an X server without a compositor: lists pass an opaque colour.
    property color groundColor: OrvControl.ORVStyle.bgColor

    padding { left: 1; top: 1; right: 1; bottom: 1 }
    minimumHandleLength: 30
    handleOverlap: 1
    corner: Rectangle { color: groundColor }
    frame: Rectangle {
        color: OrvControl.ORVStyle.bgColor
        border.color: OrvControl.ORVStyle.disColor
        border.width: 1
        visible: control.frameVisible
    }
    scrollBarBackground: Rectangle {
        implicitWidth: 17
        implicitHeight: 17
        color: groundColor
    }
    handle: Item {
        implicitWidth: 17
        implicitHeight: 17
        BorderImage {
            anchors.fill: parent
            opacity: styleData.pressed ? 0.5 : styleData.hovered ? 1 : 0.8
            source: "image/scrollbar-handle-" + (styleData.horizontal ? "horizontal" : "vertical") + ".png"
            border { left: 2; top: 2; right: 2; bottom: 2 }
        }
    }
    incrementControl: Rectangle {
        implicitWidth: 17
        implicitHeight: 17
        color: groundColor
        Image {
            anchors.centerIn: parent
            source: styleData.horizontal ? "image/arrow-right.png" : "image/arrow-down.png"
            opacity: control.enabled ? 0.6 : 0.5
        }
    }
    decrementControl: Rectangle {
        implicitWidth: 17
        implicitHeight: 17
        color: groundColor
        Image {
            anchors.centerIn: parent
            source: styleData.horizontal ? "image/arrow-left.png" : "image/arrow-up.png"
            opacity: control.enabled ? 0.6 : 0.5
        }
    }
}
