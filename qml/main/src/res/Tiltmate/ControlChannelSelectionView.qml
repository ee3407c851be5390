import QtQuick 2.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

// Receiver channel of one function; the list length follows the control input.
Item {
    id: selectionView
    width: 50 * OrvControl.ORVStyle.dp
    height: 20 * OrvControl.ORVStyle.dp

    property string channel_type: "S-BUS"
    property alias channel: channelCombo.currentIndex
    readonly property int channelCount: channelCountFor(channel_type)

    function channelCountFor(type) {
        switch (type) {
        case "PPM": return 9
        case "PWM": return 7
        default: return 16
        }
    }

    function channelNames(count) {
        var names = []
        for (var i = 1; i <= count; ++i)
            names.push(String(i))
        return names
    }

    function adjustChannel(oldChannel) {
        channelCombo.currentIndex = oldChannel < channelCount ? oldChannel : 0
    }

    // A new list resets the combo to its first entry; the chosen channel is kept where the new list
    // has it (PPM -> TTL keeps every channel, S-BUS -> PPM keeps those up to 9).
    onChannelCountChanged: {
        var kept = channelCombo.currentIndex
        channelCombo.model = channelNames(channelCount)
        adjustChannel(kept)
    }

    OrvControl.ORVComboBox {
        id: channelCombo
        anchors.fill: parent
        Component.onCompleted: model = channelNames(channelCount)
    }
}
