import QtQuick 2.2
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

TabView {
    id: tabView
    style: TabViewStyle {
        property real dp: OrvControl.ORVStyle.dp
        tabsMovable: false
        tabsAlignment: Qt.AlignLeft
        tabOverlap: 1
        frameOverlap: 2
        leftCorner: null
        rightCorner: null
        tabBar: null

        frame: Rectangle {
            color: OrvControl.ORVStyle.bgColor
            BorderImage {
                anchors.fill: parent
                anchors.topMargin: 2 * dp
                source: OrvControl.ORVStyle.groupboxPng
                border { top: 4 * dp; bottom: 4 * dp; left: 4 * dp; right: 4 * dp }
            }
        }

        tab: Item {
            property int totalOverlap: tabOverlap * (control.count - 1)
            property real maxTabWidth: control.count > 0 ? (styleData.availableWidth + totalOverlap) / control.count : 0
            implicitWidth: Math.round(Math.min(maxTabWidth, tabTitle.implicitWidth + 20))
            implicitHeight: Math.round(tabTitle.implicitHeight + 10)

            Rectangle {
                anchors.fill: parent
                visible: styleData.selected
                radius: OrvControl.ORVStyle.radius
                color: styleData.enabled ? OrvControl.ORVStyle.borderColor : OrvControl.ORVStyle.disColor
            }
            Text {
                id: tabTitle
                anchors.fill: parent
                anchors.topMargin: styleData.selected ? 0 : 2
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideMiddle
                text: styleData.title
                font.family: OrvControl.ORVStyle.fontfamily
                font.pixelSize: OrvControl.ORVStyle.fontsize
                color: styleData.selected ? OrvControl.ORVStyle.focusColor
                       : (styleData.enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor)
            }
        }
    }
}
