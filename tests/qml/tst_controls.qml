import QtQuick 2.0
import QtTest 1.2
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: root
    width: 400
    height: 300

    OrvControl.ORVButton {
        id: button
        x: 10; y: 10; width: 80; height: 25
        text: "ok"
    }

    OrvControl.ORVSliderBound {
        id: bound
        x: 10; y: 60; width: 200; height: 20
        minimumValue: 0
        maximumValue: 100
        value: 50
    }

    OrvControl.ORVSlider {
        id: plain
        x: 10; y: 100; width: 200; height: 20
        minimumValue: 10
        maximumValue: 30
        value: 20
    }

    OrvControl.ORVLabel {
        id: label
        x: 10; y: 140
        text: "X"
    }

    OrvControl.ORVComboBox {
        id: translatedCombo
        x: 220; y: 10; width: 120; height: 25
        property var chosenIndexes: []
        texts: ["下置", "倒置", "前置"]
        onCurrentIndexChanged: chosenIndexes.push(currentIndex)
    }

    TestCase {
        name: "Controls"
        when: windowShown

        function findNamed(item, name) {
            if (!item)
                return null
            if (item.objectName === name)
                return item
            for (var i = 0; i < item.children.length; ++i) {
                var found = findNamed(item.children[i], name)
                if (found)
                    return found
            }
            return null
        }

        // A change of language gives the combo box new texts, not a new choice: the entry chosen
        // stays chosen, and nothing sees the choice move.
        function test_combo_texts_change_in_place() {
            translatedCombo.currentIndex = 2
            translatedCombo.chosenIndexes = []
            translatedCombo.texts = ["Underslung", "Inverted", "Front"]
            compare(translatedCombo.currentIndex, 2)
            compare(translatedCombo.currentText, "Front")
            compare(translatedCombo.chosenIndexes.length, 0)
            // Another number of entries is another list: it starts again at the first.
            translatedCombo.texts = ["A", "B"]
            compare(translatedCombo.count, 2)
            compare(translatedCombo.currentText, "A")
            translatedCombo.texts = ["下置", "倒置", "前置"]
            compare(translatedCombo.currentText, "下置")
        }

        function test_style_scales_with_density() {
            var dp = OrvControl.ORVStyle.dp
            verify(dp >= 1)
            compare(OrvControl.ORVStyle.fontsize, Math.floor(13 * dp))
            compare(label.font.pixelSize, OrvControl.ORVStyle.fontsize)
            verify(Qt.colorEqual(OrvControl.ORVStyle.borderColor, "#0ad48b"))
        }

        function test_label_font_size_follows_at_once() {
            label.fontsize = 30
            compare(label.font.pixelSize, 30)
            label.fontsize = OrvControl.ORVStyle.fontsize
        }

        function test_button_fill_follows_press_and_enabled() {
            var background = findNamed(button, "buttonBackground")
            var text = findNamed(button, "buttonLabel")
            verify(background !== null && text !== null)
            verify(Qt.colorEqual(background.color, "#00000000"))
            verify(Qt.colorEqual(background.border.color, "#0ad48b"))

            mousePress(button, button.width / 2, button.height / 2)
            tryCompare(button, "pressed", true)
            verify(Qt.colorEqual(background.color, "palegoldenrod"))
            mouseRelease(button, button.width / 2, button.height / 2)
            tryCompare(button, "pressed", false)
            verify(Qt.colorEqual(background.color, "#00000000"))

            button.enabled = false
            verify(Qt.colorEqual(background.border.color, "gray"))
            verify(Qt.colorEqual(text.color, "gray"))
            button.enabled = true

            button.checkable = true
            button.checked = true
            verify(Qt.colorEqual(background.color, "palegoldenrod"))
            button.checked = false
            button.checkable = false
        }

        function test_bound_slider_ignores_the_mouse_and_turns_red() {
            var handle = findNamed(bound, "sliderHandle")
            verify(handle !== null)
            verify(Qt.colorEqual(handle.color, "#0ad48b"))

            mouseClick(bound, bound.width * 0.9, bound.height / 2)
            mouseDrag(bound, bound.width / 2, bound.height / 2, -80, 0)
            compare(bound.value, 50)

            bound.status = 1
            verify(Qt.colorEqual(bound.handleColor, "red"))
            verify(Qt.colorEqual(handle.color, "red"))
            bound.status = 0
            verify(Qt.colorEqual(handle.color, "#0ad48b"))
        }

        function test_slider_fill_covers_the_value_share() {
            var fill = findNamed(plain, "sliderFill")
            verify(fill !== null)
            compare(fill.width, plain.width / 2)
            var boundFill = findNamed(bound, "sliderFill")
            compare(boundFill.width, bound.width / 2)
        }
    }
}
