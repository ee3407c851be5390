import QtQuick 2.4
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

ProgressBar {
    style: ProgressBarStyle {
        padding { top: 0; left: 0; right: 0; bottom: 0 }
        progress: Rectangle {
            implicitWidth: control.indeterminate ? control.width
                           : control.width * (control.value - control.minimumValue)
                             / Math.max(control.maximumValue - control.minimumValue, 1)
            radius: OrvControl.ORVStyle.radius
            border.width: 1
            border.color: Qt.darker(OrvControl.ORVStyle.borderColor, 1.2)
            gradient: Gradient {
                GradientStop { position: 0; color: Qt.lighter(OrvControl.ORVStyle.borderColor, 1.3) }
                GradientStop { position: 1.4; color: OrvControl.ORVStyle.borderColor }
            }
        }
        background: Rectangle {
            implicitWidth: 200 * OrvControl.ORVStyle.dp
            implicitHeight: Math.max(17, 0.7 * textMetrics.height)
            color: OrvControl.ORVStyle.disColor
            Rectangle {
                anchors.fill: parent
                color: OrvControl.ORVStyle.bgColor
                border.color: control.activeFocus ? OrvControl.ORVStyle.bgColor : OrvControl.ORVStyle.disColor
            }
            FontMetrics {
                id: textMetrics
                font.family: OrvControl.ORVStyle.fontfamily
                font.pixelSize: OrvControl.ORVStyle.fontsize
            }
        }
    }
}
