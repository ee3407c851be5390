import QtQuick 2.2
import QtQuick.Controls 1.5
import QtQuick.Controls.Styles 1.4
import "." as OrvControl

ComboBox {
    id: comboBox

    // Entries whose texts change with the language: set instead of the model. The texts are changed
    // in place, so the entry chosen stays chosen (a new model would select the first entry).
    property var texts: null
    // Elided in the middle, so that names differing only at the end (port names) stay apart.
    property int elide: Text.ElideRight

    ListModel { id: textModel }

    function __takeTexts() {
        if (!texts)
            return
        if (textModel.count === texts.length) {
            for (var i = 0; i < texts.length; ++i)
                textModel.setProperty(i, "text", texts[i])
            return
        }
        // Another list altogether: like a new model, it starts at its first entry.
        textModel.clear()
        for (var j = 0; j < texts.length; ++j)
            textModel.append({ text: texts[j] })
        textRole = "text"
        model = textModel
        currentIndex = -1
        currentIndex = texts.length > 0 ? 0 : -1
    }
    onTextsChanged: __takeTexts()
    Component.onCompleted: __takeTexts()

    style: ComboBoxStyle {
        id: comboStyle
        property real dp: OrvControl.ORVStyle.dp
        font.family: OrvControl.ORVStyle.fontfamily
        font.pixelSize: OrvControl.ORVStyle.fontsize
        textColor: control.enabled ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
        padding { top: 4; left: 6; right: 6; bottom: 4 }

        background: Rectangle {
            implicitWidth: 70 * dp
            implicitHeight: 25 * dp
            radius: OrvControl.ORVStyle.radius
            color: OrvControl.ORVStyle.bgColor
            border.width: OrvControl.ORVStyle.showBorder ? OrvControl.ORVStyle.borderWidth : 0
            border.color: control.enabled ? OrvControl.ORVStyle.borderColor : OrvControl.ORVStyle.disColor
            Image {
                anchors.verticalCenter: parent.verticalCenter
                anchors.right: parent.right
                anchors.rightMargin: dropDownButtonWidth / 2
                source: "image/arrow-down.png"
                opacity: control.enabled ? 0.6 : 0.3
            }
        }

        label: Item {
            implicitWidth: comboText.implicitWidth + 20
            baselineOffset: comboText.y + comboText.baselineOffset
            Text {
                id: comboText
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.leftMargin: 4 * dp
                anchors.rightMargin: 10 * dp
                anchors.verticalCenter: parent.verticalCenter
                text: control.currentText
                font: comboStyle.font
                color: comboStyle.textColor
                elide: control.elide
            }
        }

        property Component __dropDownStyle: MenuStyle {
            font: comboStyle.font
            __maxPopupHeight: 100 * comboStyle.dp
            __menuItemType: "comboboxitem"
            __labelColor: OrvControl.ORVStyle.disColor
            __selectedLabelColor: OrvControl.ORVStyle.txtColor
            __selectedBackgroundColor: "black"
            __backgroundColor: OrvControl.ORVStyle.bgColor
            __borderColor: OrvControl.ORVStyle.borderColor
            // The list is a window of its own: opaque, as its items are.
            __scrollerStyle: OrvControl.ORVScrollViewStyle { groundColor: "black" }
            frame: Rectangle {
                color: "black"
                border.color: OrvControl.ORVStyle.borderColor
            }
            itemDelegate.background: Rectangle {
                color: "black"
                Rectangle {
                    anchors.fill: parent
                    anchors.margins: 10 * comboStyle.dp
                    color: OrvControl.ORVStyle.bgColor
                }
            }
            itemDelegate.label: Text {
                // Whole: the list grows to the longest entry, so each name shows to its end.
                text: styleData.text
                font: comboStyle.font
                color: styleData.selected ? OrvControl.ORVStyle.txtColor : OrvControl.ORVStyle.disColor
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
}
