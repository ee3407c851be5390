import QtQuick 2.4
import QtQuick.Controls 1.5
import QtQuick.Controls.Private 1.0
import "." as OrvControl

GroupBox {
    id: groupBox
    style: Style {
        readonly property GroupBox control: __control
        property real dp: OrvControl.ORVStyle.dp

        padding {
            top: (control.title.length > 0 || control.checkable ? titleMetrics.height : 0) + 10 * dp
            left: 8 * dp
            right: 8 * dp
            bottom: 6 * dp
        }

        property FontMetrics titleMetrics: FontMetrics {
            font.family: OrvControl.ORVStyle.fontfamily
            font.pixelSize: OrvControl.ORVStyle.fontsize
        }

        property Component checkbox: Item {
            implicitWidth: 18 * dp
            implicitHeight: 18 * dp
            BorderImage {
                anchors.fill: parent
                source: OrvControl.ORVStyle.editboxPng
                border { top: 6 * dp; bottom: 6 * dp; left: 6 * dp; right: 6 * dp }
            }
            Rectangle {
                anchors.fill: parent
                anchors.margins: 4 * dp
                visible: control.checked
                color: OrvControl.ORVStyle.bgColor
                border.color: control.enabled ? OrvControl.ORVStyle.borderColor : OrvControl.ORVStyle.disColor
                radius: 1
            }
            BorderImage {
                anchors.fill: parent
                anchors.margins: -1
                source: OrvControl.ORVStyle.focusframePng
                visible: control.activeFocus
                border { top: 4 * dp; bottom: 4 * dp; left: 4 * dp; right: 4 * dp }
            }
        }

        property Component panel: Item {
            anchors.fill: parent
            Loader {
                id: checkboxLoader
                anchors.left: parent.left
                anchors.verticalCenter: titleLabel.verticalCenter
                sourceComponent: control.checkable ? checkbox : null
                width: item ? item.implicitWidth : 0
            }
            Text {
                id: titleLabel
                anchors.top: parent.top
                anchors.left: checkboxLoader.right
                anchors.margins: 4 * dp
                text: control.title
                color: control.enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
                font.family: OrvControl.ORVStyle.fontfamily
                font.pixelSize: OrvControl.ORVStyle.fontsize
            }
            BorderImage {
                anchors.fill: parent
                anchors.topMargin: padding.top - 4 * dp
                source: OrvControl.ORVStyle.groupboxPng
                border { top: 4 * dp; bottom: 4 * dp; left: 4 * dp; right: 4 * dp }
                visible: !control.flat
            }
        }
    }
}
