import QtQuick 2.2
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

SpinBox {
    id: spinBox
    font.family: OrvControl.ORVStyle.fontfamily
    font.pixelSize: OrvControl.ORVStyle.fontsize
    style: SpinBoxStyle {
        horizontalAlignment: Qt.AlignRight
        textColor: control.enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
        padding {
            top: 1
            left: Math.round(styleData.contentHeight / 2)
            right: Math.max(22, Math.round(styleData.contentHeight))
            bottom: 0
        }
        incrementControl: Item {
            implicitWidth: padding.right
            Image {
                source: "image/spin-arrow-up.png"
                anchors.centerIn: parent
                anchors.verticalCenterOffset: 1
                opacity: control.enabled ? (styleData.upPressed ? 1 : 0.6) : 0.5
            }
        }
        decrementControl: Item {
            implicitWidth: padding.right
            Image {
                source: "image/spin-arrow-down.png"
                anchors.centerIn: parent
                anchors.verticalCenterOffset: -2
                opacity: control.enabled ? (styleData.downPressed ? 1 : 0.6) : 0.5
            }
        }
        background: Rectangle {
            implicitHeight: Math.max(25, Math.round(styleData.contentHeight * 1.2))
            implicitWidth: styleData.contentWidth + padding.left + padding.right
            baselineOffset: control.__baselineOffset
            color: OrvControl.ORVStyle.bgColor
            border.color: OrvControl.ORVStyle.borderColor
            radius: control.font.pixelSize * 0.16
        }
    }
}
