import QtQuick 2.0
import QtQuick.Controls 1.5
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    width: 120 * OrvControl.ORVStyle.dp
    height: 30 * OrvControl.ORVStyle.dp

    ProgressBar {
        anchors.fill: parent
    }

    Button {
        anchors.centerIn: parent
        width: 60 * OrvControl.ORVStyle.dp
        height: 30 * OrvControl.ORVStyle.dp
    }

    Text {
        anchors.centerIn: parent
        width: 60 * OrvControl.ORVStyle.dp
        height: 30 * OrvControl.ORVStyle.dp
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        text: "---"
    }
}
