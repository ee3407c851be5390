import QtQuick 2.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: calibrationPanel
    property alias hintContent: stepLabel.text
    property alias picContent: picture.source

    OrvControl.ORVFillRectangle {
        id: panel
        anchors.fill: parent
        anchors.topMargin: 15 * OrvControl.ORVStyle.dp

        OrvControl.ORVLabel {
            id: titleLabel
            anchors.top: parent.top
            width: parent.width
            height: 20 * OrvControl.ORVStyle.dp
            text: resLanguages.qsTr_STR_ID_96
        }

        OrvControl.ORVLabel {
            id: stepLabel
            anchors.top: titleLabel.bottom
            anchors.left: parent.left
            anchors.right: pictureFrame.left
            horizontalAlignment: Text.AlignLeft
            verticalAlignment: Text.AlignTop
            wrapMode: Text.WordWrap
        }

        OrvControl.ORVFillRectangle {
            id: pictureFrame
            anchors.top: parent.top
            anchors.topMargin: 40 * OrvControl.ORVStyle.dp
            anchors.right: parent.right
            anchors.rightMargin: 10 * OrvControl.ORVStyle.dp
            height: parent.height - 50 * OrvControl.ORVStyle.dp
            width: height
            color: border.color

            Image {
                id: picture
                anchors.fill: parent
                fillMode: Image.PreserveAspectCrop
                smooth: true
            }
        }
    }
}
