import QtQuick 2.0
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// One axis tab of the PID view: group boxes of labelled tuning sliders, two to a row. The axis
// files name their groups and the tuning value behind each slider.
Item {
    id: axisTab
    width: 600 * OrvControl.ORVStyle.dp
    height: 480 * OrvControl.ORVStyle.dp

    // [{ title, height (default 140), rows: [{ label, parameter }, or { label } alone for a caption] }]
    property var groups: []

    // The tuning value behind each slider, and the sliders themselves, in group and row order.
    readonly property var parameters: {
        var list = []
        for (var g = 0; g < groups.length; ++g)
            for (var r = 0; r < groups[g].rows.length; ++r)
                if (groups[g].rows[r].parameter !== undefined)
                    list.push(groups[g].rows[r].parameter)
        return list
    }
    property var sliders: []

    // The pitch and heading angle gains are common to Y and Z; the view keeps both tabs in step.
    property int sharedKeTheta: 0
    property int sharedKrPsi: 0
    signal sharedGainMoved(int index, int value)

    // A loop of proportional gain, integral gain and output limit.
    function loop(title, proportional, integral, limit) {
        return { title: title, rows: [gain(proportional), { label: resLanguages.qsTr_STR_ID_104, parameter: integral },
                                      { label: resLanguages.qsTr_STR_ID_105, parameter: limit }] }
    }
    function gain(parameter) {
        return { label: resLanguages.qsTr_STR_ID_103, parameter: parameter }
    }

    function isShared(parameter) {
        return parameter === PidTunning.DefKeTheta || parameter === PidTunning.DefKrPsi
    }

    function f_LoadTunningValue() {
        for (var i = 0; i < sliders.length; ++i)
            sliders[i].tunningValue = runtimePidTunning.getTunningValue(parameters[i])
    }

    function f_UploadConfig() {
        for (var i = 0; i < sliders.length; ++i)
            runtimePidTunning.setTunningValue(parameters[i], sliders[i].tunningValue)
    }

    function f_DefValueChange() {
        for (var i = 0; i < sliders.length; ++i) {
            if (parameters[i] === PidTunning.DefKeTheta)
                sliders[i].tunningValue = sharedKeTheta
            else if (parameters[i] === PidTunning.DefKrPsi)
                sliders[i].tunningValue = sharedKrPsi
        }
    }

    Repeater {
        model: axisTab.groups
        OrvControl.ORVGroupBox {
            id: group
            readonly property int groupIndex: index
            readonly property var groupData: modelData
            // Sliders of the groups before this one, so each slider knows its place in the list.
            readonly property int firstSlot: {
                var count = 0
                for (var g = 0; g < groupIndex; ++g)
                    for (var r = 0; r < axisTab.groups[g].rows.length; ++r)
                        count += axisTab.groups[g].rows[r].parameter !== undefined ? 1 : 0
                return count
            }
            x: (5 + 300 * (index % 2)) * OrvControl.ORVStyle.dp
            y: (15 + 145 * Math.floor(index / 2)) * OrvControl.ORVStyle.dp
            width: 240 * OrvControl.ORVStyle.dp
            height: (groupData.height !== undefined ? groupData.height : 140) * OrvControl.ORVStyle.dp
            title: groupData.title

            Column {
                spacing: 5 * OrvControl.ORVStyle.dp
                Repeater {
                    model: group.groupData.rows
                    Loader {
                        readonly property var row: modelData
                        readonly property int slot: {
                            var count = group.firstSlot
                            for (var r = 0; r < index; ++r)
                                count += group.groupData.rows[r].parameter !== undefined ? 1 : 0
                            return count
                        }
                        sourceComponent: row.parameter !== undefined ? sliderRow : captionRow
                    }
                }
            }
        }
    }

    Component {
        id: sliderRow
        Row {
            spacing: 10 * OrvControl.ORVStyle.dp
            OrvControl.ORVLabel {
                width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                horizontalAlignment: Text.AlignLeft
                text: row.label
            }
            ControlPidSlider {
                Component.onCompleted: axisTab.sliders[slot] = this
                onTunningValueChanged: {
                    if (axisTab.isShared(row.parameter))
                        axisTab.sharedGainMoved(row.parameter, tunningValue)
                }
            }
        }
    }

    Component {
        id: captionRow
        OrvControl.ORVLabel {
            height: 20 * OrvControl.ORVStyle.dp
            horizontalAlignment: Text.AlignLeft
            text: row.label
        }
    }
}
