import QtQuick 2.0
import QtQuick.Window 2.2
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl
import "src/res/Tiltmate"

Window {
    id: mainWindow
    visible: true
    width: 800 * OrvControl.ORVStyle.dp
    height: 696 * OrvControl.ORVStyle.dp
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height
    flags: Qt.Window | Qt.FramelessWindowHint
    title: resLanguages.qsTr_STR_ID_0
    color: "black"

    ResLanguages {
        id: resLanguages
    }

    Rectangle {
        id: titleBar
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: 36 * OrvControl.ORVStyle.dp
        color: "transparent"

        Image {
            anchors.fill: parent
            source: "src/res/Tiltmate/img/ImgTitle.png"
            fillMode: Image.PreserveAspectCrop
            smooth: true
        }

        MouseArea {
            property point pressPosition: Qt.point(0, 0)
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton
            onPressed: pressPosition = Qt.point(mouse.x, mouse.y)
            onPositionChanged: {
                mainWindow.x += mouse.x - pressPosition.x
                mainWindow.y += mouse.y - pressPosition.y
            }
        }

        Image {
            id: quitIcon
            anchors.right: parent.right
            anchors.rightMargin: 10 * OrvControl.ORVStyle.dp
            anchors.verticalCenter: parent.verticalCenter
            width: 24 * OrvControl.ORVStyle.dp
            height: 24 * OrvControl.ORVStyle.dp
            source: "src/res/Tiltmate/img/ImgQuit.png"
            MouseArea {
                anchors.fill: parent
                onClicked: Qt.quit()
            }
        }

        Image {
            id: minimiseIcon
            anchors.right: quitIcon.left
            anchors.verticalCenter: parent.verticalCenter
            width: 24 * OrvControl.ORVStyle.dp
            height: 24 * OrvControl.ORVStyle.dp
            source: "src/res/Tiltmate/img/ImgMinimum.png"
            MouseArea {
                anchors.fill: parent
                onClicked: mainWindow.showMinimized()
            }
        }

        // Each language named in itself, so that whoever cannot read the one shown finds the other.
        Row {
            id: languageSwitch
            anchors.right: minimiseIcon.left
            anchors.rightMargin: 16 * OrvControl.ORVStyle.dp
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6 * OrvControl.ORVStyle.dp

            Repeater {
                model: [{ code: "zh", name: "中文" }, { code: "en", name: "English" }]
                Row {
                    spacing: parent.spacing
                    OrvControl.ORVLabel {
                        visible: index > 0
                        text: "|"
                        color: OrvControl.ORVStyle.disColor
                    }
                    OrvControl.ORVLabel {
                        objectName: modelData.code + "Language"
                        readonly property bool chosen: runtimeLanguage.language === modelData.code
                        text: modelData.name
                        color: chosen ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
                        font.bold: chosen
                        font.underline: languageHover.containsMouse && !chosen
                        MouseArea {
                            id: languageHover
                            anchors.fill: parent
                            hoverEnabled: true
                            cursorShape: Qt.PointingHandCursor
                            onClicked: runtimeLanguage.choose(modelData.code)
                        }
                    }
                }
            }
        }
    }

    Item {
        anchors.top: titleBar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom

        Image {
            anchors.fill: parent
            z: -1
            source: "src/res/Tiltmate/img/ImgBackground.png"
            fillMode: Image.PreserveAspectCrop
            smooth: true
        }

        MainWindow {
            anchors.fill: parent
        }
    }
}
