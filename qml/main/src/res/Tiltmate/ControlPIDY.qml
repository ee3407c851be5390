import QtQuick 2.0
import QtQuick.Controls 1.5
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: axisTab
    width: 600 * OrvControl.ORVStyle.dp
    height: 480 * OrvControl.ORVStyle.dp

    // The pitch and heading angle loops are common to Y and Z; the view keeps both tabs in step.
    property int sharedKeTheta: 0
    property int sharedKrPsi: 0
    signal sharedGainMoved(int index, int value)

    readonly property var sliders: [kyIdSlider, iyIdSlider, maxYIdOutSlider, kyIqSlider, iyIqSlider, maxYIqOutSlider, kyAspdSlider, iyAspdSlider, maxYAspdOutSlider, keThetaSlider, krPsiSlider, kyPosSlider]
    readonly property var parameters: [PidTunning.DefKyId, PidTunning.DefIyId, PidTunning.DefMaxYIdOut, PidTunning.DefKyIq, PidTunning.DefIyIq, PidTunning.DefMaxYIqOut, PidTunning.DefKyAspd, PidTunning.DefIyAspd, PidTunning.DefMaxYAspdOut, PidTunning.DefKeTheta, PidTunning.DefKrPsi, PidTunning.DefKyPos]

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
                ControlPidSlider { id: kyIdSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_104
                }
                ControlPidSlider { id: iyIdSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_105
                }
                ControlPidSlider { id: maxYIdOutSlider }
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
                ControlPidSlider { id: kyIqSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_104
                }
                ControlPidSlider { id: iyIqSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_105
                }
                ControlPidSlider { id: maxYIqOutSlider }
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
                ControlPidSlider { id: kyAspdSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_104
                }
                ControlPidSlider { id: iyAspdSlider }
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_105
                }
                ControlPidSlider { id: maxYAspdOutSlider }
            }
        }
    }
    OrvControl.ORVGroupBox {
        x: 305 * OrvControl.ORVStyle.dp; y: 160 * OrvControl.ORVStyle.dp
        width: 240 * OrvControl.ORVStyle.dp; height: 140 * OrvControl.ORVStyle.dp
        title: resLanguages.qsTr_STR_ID_109
        Column {
            spacing: 5 * OrvControl.ORVStyle.dp
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_103
                }
                ControlPidSlider { id: keThetaSlider }
            }
            OrvControl.ORVLabel {
                height: 20 * OrvControl.ORVStyle.dp
                horizontalAlignment: Text.AlignLeft
                text: resLanguages.qsTr_STR_ID_110
            }
            Row {
                spacing: 10 * OrvControl.ORVStyle.dp
                OrvControl.ORVLabel {
                    width: 100 * OrvControl.ORVStyle.dp; height: 20 * OrvControl.ORVStyle.dp
                    horizontalAlignment: Text.AlignLeft
                    text: resLanguages.qsTr_STR_ID_103
                }
                ControlPidSlider { id: krPsiSlider }
            }
        }
    }
    OrvControl.ORVGroupBox {
        x: 5 * OrvControl.ORVStyle.dp; y: 305 * OrvControl.ORVStyle.dp
        width: 240 * OrvControl.ORVStyle.dp; height: 70 * OrvControl.ORVStyle.dp
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
                ControlPidSlider { id: kyPosSlider }
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

    function f_DefValueChange() {
        keThetaSlider.tunningValue = sharedKeTheta
        krPsiSlider.tunningValue = sharedKrPsi
    }

    Connections {
        target: keThetaSlider
        function onTunningValueChanged() { axisTab.sharedGainMoved(PidTunning.DefKeTheta, keThetaSlider.tunningValue) }
    }
    Connections {
        target: krPsiSlider
        function onTunningValueChanged() { axisTab.sharedGainMoved(PidTunning.DefKrPsi, krPsiSlider.tunningValue) }
    }
}
