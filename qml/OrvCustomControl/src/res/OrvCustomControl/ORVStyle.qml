pragma Singleton
import QtQuick 2.0
import QtQuick.Window 2.2

QtObject {
    property bool showBorder: true
    property color borderColor: Qt.rgba(10 / 255, 212 / 255, 139 / 255, 1)
    property color txtColor: Qt.rgba(10 / 255, 212 / 255, 139 / 255, 1)
    property string bgColor: "transparent"
    property string disColor: "gray"
    property string focusColor: "black"
    property int borderWidth: 1 * dp
    property int fontsize: 13 * dp
    property string fontfamily: qsTr("微软雅黑")
    property int radius: 2
    property string downColor: "palegoldenrod"
    property string checkPng: "image/check.png"
    property string editboxPng: "image/editbox.png"
    property string focusframePng: "image/focusframe.png"
    property string groupboxPng: "image/groupbox.png"
    property real dpScale: 1.2
    // Screen.pixelDensity is in pixels per millimetre; 160 dpi is the nominal density.
    readonly property real dp: Math.max(Screen.pixelDensity * 25.4 / 160 * dpScale, 1)
}
