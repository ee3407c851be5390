import QtQuick 2.0
import QtQuick.Window 2.2
import "." as OrvControl

Window {
    id: messageBox
    property string information: ""
    property int messageBoxType: 0
    property Window fatherFrame: null
    readonly property alias titleText: titleLabel.text
    readonly property alias titleColor: titleLabel.color
    readonly property alias shownText: contentLabel.text

    // 320 x 160 at least; a longer message (a path, a command to type) widens the box up to 560
    // and makes it as tall as its lines need.
    width: Math.max(320 * OrvControl.ORVStyle.dp,
                    Math.min(560 * OrvControl.ORVStyle.dp, widthProbe.implicitWidth + 20 * OrvControl.ORVStyle.dp))
    height: Math.max(160 * OrvControl.ORVStyle.dp,
                     titleBar.height + contentLabel.contentHeight + 30 * OrvControl.ORVStyle.dp)
    flags: Qt.FramelessWindowHint | Qt.WindowModal
    modality: Qt.WindowModal
    color: Qt.rgba(41 / 255, 41 / 255, 43 / 255, 1)
    visible: false

    function doModal() {
        if (fatherFrame) {
            x = fatherFrame.x + (fatherFrame.width - width) / 2
            y = fatherFrame.y + (fatherFrame.height - height) / 2
        }
        show()
    }

    onInformationChanged: contentLabel.text = information
    // Types other than these three keep the title shown. Bindings, so that the title follows a
    // change of language while the box is open.
    property int shownType: 0
    onMessageBoxTypeChanged: {
        if (messageBoxType >= 0 && messageBoxType <= 2)
            shownType = messageBoxType
    }

    Rectangle {
        anchors.fill: parent
        color: messageBox.color
        border.width: 2 * OrvControl.ORVStyle.dp
        border.color: OrvControl.ORVStyle.borderColor

        OrvControl.ORVTitleBar {
            id: titleBar
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            radius: OrvControl.ORVStyle.radius
            window: messageBox

            OrvControl.ORVLabel {
                id: titleLabel
                anchors.left: parent.left
                anchors.leftMargin: 10 * OrvControl.ORVStyle.dp
                anchors.verticalCenter: parent.verticalCenter
                horizontalAlignment: Text.AlignLeft
                fontsize: 18
                text: [qsTr("通知"), qsTr("警告"), qsTr("错误")][messageBox.shownType]
                color: [OrvControl.ORVStyle.disColor, "yellow", "red"][messageBox.shownType]
            }

            Image {
                anchors.right: parent.right
                anchors.rightMargin: 10 * OrvControl.ORVStyle.dp
                y: 3 * OrvControl.ORVStyle.dp
                width: 24 * OrvControl.ORVStyle.dp
                height: 24 * OrvControl.ORVStyle.dp
                source: "image/ImgQuit.png"
                MouseArea {
                    anchors.fill: parent
                    onClicked: messageBox.hide()
                }
            }
        }

        OrvControl.ORVLabel {
            id: widthProbe
            visible: false
            fontsize: 20
            text: contentLabel.text
        }

        OrvControl.ORVLabel {
            id: contentLabel
            anchors.top: titleBar.bottom
            anchors.topMargin: 10 * OrvControl.ORVStyle.dp
            x: 10 * OrvControl.ORVStyle.dp
            width: messageBox.width - 20 * OrvControl.ORVStyle.dp
            horizontalAlignment: Text.AlignLeft
            verticalAlignment: Text.AlignTop
            fontsize: 20
            wrapMode: Text.Wrap
        }
    }
}
