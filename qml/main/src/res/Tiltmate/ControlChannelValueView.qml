import QtQuick 2.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// Live receiver input of one function; values outside the range pin the bar and turn it red.
Item {
    id: valueView
    implicitWidth: 150 * OrvControl.ORVStyle.dp
    implicitHeight: 30 * OrvControl.ORVStyle.dp

    property alias minValue: valueSlider.minimumValue
    property alias maxValue: valueSlider.maximumValue
    property alias text: valueLabel.text
    property alias slider: valueSlider
    readonly property real shownValue: valueSlider.value

    // The bar always stands at the number shown: a new range places the last number again.
    property bool hasValue: false
    property int lastValue: 0

    function setValue(value) {
        hasValue = true
        lastValue = value
        valueLabel.text = value
        valueSlider.value = Math.min(Math.max(value, minValue), maxValue)
        valueSlider.status = (value < minValue || value > maxValue) ? 1 : 0
    }

    function setRange(min, max) {
        minValue = min
        maxValue = max
        if (hasValue)
            setValue(lastValue)
        else
            valueSlider.value = min
    }

    // No receiver value to show (an input without channels): no number, an empty bar.
    function clear() {
        hasValue = false
        valueLabel.text = "--"
        valueSlider.value = minValue
        valueSlider.status = 0
    }

    OrvControl.ORVSliderBound {
        id: valueSlider
        x: 20 * OrvControl.ORVStyle.dp
        anchors.verticalCenter: parent.verticalCenter
        width: valueView.width - valueLabel.width - 10 * OrvControl.ORVStyle.dp
        height: parent.height
        stepSize: 1
        minimumValue: 1100
        maximumValue: 1940
        value: 0
    }

    OrvControl.ORVLabel {
        id: valueLabel
        anchors.left: valueSlider.right
        anchors.leftMargin: 5 * OrvControl.ORVStyle.dp
        anchors.verticalCenter: parent.verticalCenter
        width: 50 * OrvControl.ORVStyle.dp
        fontsize: 12 * OrvControl.ORVStyle.dp
        text: "0"
    }
}
