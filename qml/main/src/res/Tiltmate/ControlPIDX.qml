import QtQuick 2.0
import QtQuick.Controls 1.5
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: axisTab
    width: 600 * OrvControl.ORVStyle.dp
    height: 480 * OrvControl.ORVStyle.dp

    readonly property var sliders: [kxIdSlider, ixIdSlider, maxXIdOutSlider, kxIqSlider, ixIqSlider, maxXIqOutSlider, kxAspdSlider, ixAspdSlider, maxXAspdOutSlider, kaPhiSlider]
    readonly property var parameters: [PidTunning.DefKxId, PidTunning.DefIxId, PidTunning.DefMaxXIdOut, PidTunning.DefKxIq, PidTunning.DefIxIq, PidTunning.DefMaxXIqOut, PidTunning.DefKxAspd, PidTunning.DefIxAspd, PidTunning.DefMaxXAspdOut, PidTunning.DefKaPhi]

    OrvControl.ORVGroupBox {
        x: 5 * OrvControl.ORVStyle.dp; y: 15 * OrvControl.ORVStyle.dp
        width: 240 * OrvControl.ORVStyle.dp; height: 140 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_102
        Column {
            spacing: 5 * OrvControl.ORVStyle.dp
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_103
                }
                ControlPidSlider { id: kxIdSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_104
                }
                ControlPidSlider { id: ixIdSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_105
                }
                ControlPidSlider { id: maxXIdOutSlider }
            }
        }
    }
    OrvControl.ORVGroupBox {
        x: 305 * OrvControl.ORVStyle.dp; y: 15 * OrvControl.ORVStyle.dp
        width: 240 * OrvControl.ORVStyle.dp; height: 140 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_106
        Column {
            spacing: 5 * OrvControl.ORVStyle.dp
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_103
                }
                ControlPidSlider { id: kxIqSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_104
                }
                ControlPidSlider { id: ixIqSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_105
                }
                ControlPidSlider { id: maxXIqOutSlider }
            }
        }
    }
    OrvControl.ORVGroupBox {
        x: 5 * OrvControl.ORVStyle.dp; y: 160 * OrvControl.ORVStyle.dp
        width: 240 * OrvControl.ORVStyle.dp; height: 140 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_107
        Column {
            spacing: 5 * OrvControl.ORVStyle.dp
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_103
                }
                ControlPidSlider { id: kxAspdSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_104
                }
                ControlPidSlider { id: ixAspdSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_105
                }
                ControlPidSlider { id: maxXAspdOutSlider }
            }
        }
    }
    OrvControl.ORVGroupBox {
        x: 305 * OrvControl.ORVStyle.dp; y: 160 * OrvControl.ORVStyle.dp
        width: 240 * OrvControl.ORVStyle.dp; height: 140 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_108
        Column {
            spacing: 5 * OrvControl.ORVStyle.dp
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_103
                }
                ControlPidSlider { id: kaPhiSlider }
            }
        }
    }

    function f_LoadTunningValue() {
        for (var i = 0; i < sliders.length; ++i)
            sliders[i].tunningValue = runtimePidTunning.getTunningValue(parameters[i])
    }

    function f_UploadConfig() {
        for (var i = 0; i < sliders.length; ++i)
            runtimePidTunning.setTunningValue(parameters[i], sliders[i].tunningValue)
    }
}
