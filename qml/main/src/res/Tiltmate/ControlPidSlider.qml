import QtQuick 2.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// One tuning percentage; slider, spin box and tunningValue follow each other, always within 50..200.
Item {
    id: pidSlider
    width: 100 * OrvControl.ORVStyle.dp
    height: 20 * OrvControl.ORVStyle.dp

    readonly property int minimumPercent: 50
    readonly property int maximumPercent: 200
    property int tunningValue: runtimePidTunning.p_defalutValue
    // The controls clamp their start value to the range while they are built; only
    // changes made after that are the user's.
    property bool ready: false
    property alias slider: slider
    property alias spinBox: spinBox

    function clamp(value) {
        return Math.min(Math.max(Math.round(value), minimumPercent), maximumPercent)
    }

    function showValue() {
        var shown = clamp(tunningValue)
        if (shown !== tunningValue) {
            tunningValue = shown
            return
        }
        slider.value = shown
        spinBox.value = shown
    }

    onTunningValueChanged: showValue()
    Component.onCompleted: {
        showValue()
        ready = true
    }

    OrvControl.ORVSlider {
        id: slider
        width: 50 * OrvControl.ORVStyle.dp
        height: parent.height
        minimumValue: pidSlider.minimumPercent
        maximumValue: pidSlider.maximumPercent
        stepSize: 1
        onValueChanged: if (pidSlider.ready) pidSlider.tunningValue = pidSlider.clamp(value)
    }

    OrvControl.ORVSpinBox {
        id: spinBox
        anchors.left: slider.right
        anchors.leftMargin: 5 * OrvControl.ORVStyle.dp
        width: 50 * OrvControl.ORVStyle.dp
        height: parent.height
        minimumValue: pidSlider.minimumPercent
        maximumValue: pidSlider.maximumPercent
        stepSize: 1
        decimals: 0
        // Three digits must fit beside the arrows in 50 dp.
        font.pixelSize: 11 * OrvControl.ORVStyle.dp
        onValueChanged: if (pidSlider.ready) pidSlider.tunningValue = pidSlider.clamp(value)
    }
}
