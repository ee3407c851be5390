import QtQuick 2.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// Status cell of one firmware unit: -1 done, -2 failed, 1..100 progress, anything else blank.
Item {
    id: upgradeView
    property int status: 0
    property alias progressBar: progressBar
    property alias percentLabel: percentLabel
    property alias statusLabel: statusLabel

    OrvControl.ORVProgressBar {
        id: progressBar
        x: 10 * OrvControl.ORVStyle.dp
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width * 0.8
        height: parent.height - 4
        minimumValue: 0
        maximumValue: 100
        visible: false
    }

    OrvControl.ORVLabel {
        id: percentLabel
        anchors.left: progressBar.right
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width * 0.2
        height: parent.height - 4 * OrvControl.ORVStyle.dp
        visible: false
    }

    OrvControl.ORVLabel {
        id: statusLabel
        anchors.fill: parent
        visible: false
        // A binding, so that the outcome follows a change of language.
        text: upgradeView.status === -1 ? resLanguages.qsTr_STR_ID_97
              : upgradeView.status === -2 ? resLanguages.qsTr_STR_ID_98 : ""
    }

    onStatusChanged: {
        if (status === -1) {
            statusLabel.visible = true
            progressBar.visible = false
            percentLabel.visible = false
        } else if (status === -2) {
            statusLabel.visible = true
            progressBar.visible = false
            percentLabel.visible = false
        } else if (status >= 1 && status <= 99) {
            progressBar.visible = true
            percentLabel.visible = true
            progressBar.value = status
            percentLabel.text = status + "%"
            statusLabel.visible = false
        } else if (status === 100) {
            percentLabel.text = status + "%"
        } else {
            statusLabel.visible = false
            progressBar.visible = false
            percentLabel.visible = false
        }
    }
}
