import QtQuick 2.0
import QtQuick.Window 2.2
import "." as OrvControl

Window {
    id: connectWindow
    property string information: ""
    property Window fatherFrame: null
    property int fontsize: 28
    property int dotTimes: 0
    readonly property alias shownText: infoLabel.text

    width: 320 * OrvControl.ORVStyle.dp
    height: 160 * OrvControl.ORVStyle.dp
    flags: Qt.FramelessWindowHint | Qt.WindowModal
    modality: Qt.WindowModal
    color: Qt.rgba(41 / 255, 41 / 255, 43 / 255, 1)
    visible: false

    function doModal() {
        if (fatherFrame) {
            x = fatherFrame.x + (fatherFrame.width - width) / 2
            y = fatherFrame.y + (fatherFrame.height - height) / 2
        }
        dotTimer.start()
        dotTimes = 0
        infoLabel.text = information
        infoLabel.fontsize = fontsize
        show()
    }

    function doQuit() {
        dotTimer.stop()
        hide()
    }

    Timer {
        id: dotTimer
        interval: 500
        repeat: true
        running: false
        onTriggered: {
            infoLabel.text = information + ".".repeat(dotTimes)
            dotTimes = dotTimes + 1
            if (dotTimes === 4)
                dotTimes = 0
        }
    }

    Rectangle {
        anchors.fill: parent
        color: connectWindow.color
        border.width: 2 * OrvControl.ORVStyle.dp
        border.color: OrvControl.ORVStyle.borderColor

        OrvControl.ORVTitleBar {
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            window: connectWindow
        }
    }

    // Placed at the top of the window, over the bar, so the text stays centred in the whole box.
    OrvControl.ORVLabel {
        id: infoLabel
        anchors.top: parent.top
        width: parent.width
        height: 130 * OrvControl.ORVStyle.dp
        wrapMode: Text.WordWrap
    }
}
