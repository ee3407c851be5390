import QtQuick 2.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: hintBoard
    property alias hintContent: stepLabel.text
    property int fontsize: 13

    onFontsizeChanged: {
        titleLabel.fontsize = fontsize
        stepLabel.fontsize = fontsize
    }

    OrvControl.ORVFillRectangle {
        anchors.fill: parent

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
            anchors.right: parent.right
            horizontalAlignment: Text.AlignLeft
            verticalAlignment: Text.AlignTop
            wrapMode: Text.WordWrap
        }
    }
}
