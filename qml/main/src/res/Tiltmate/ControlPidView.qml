import QtQuick 2.0
import QtQuick.Controls 1.5
import ORVGimbalTool 1.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

OrvControl.ORVTabView {
    id: pidView

    // DefKeTheta and DefKrPsi sit on both the Y and the Z tab and must read the same.
    // Both start where every slider starts: a change of one gain rewrites both on the two
    // tabs, so a stale value here would overwrite the other gain.
    property int sharedKeTheta: runtimePidTunning.p_defalutValue
    property int sharedKrPsi: runtimePidTunning.p_defalutValue
    readonly property var axisTabs: [xTab.item, yTab.item, zTab.item]

    function shareGain(index, value) {
        if (index === PidTunning.DefKeTheta)
            sharedKeTheta = value
        else if (index === PidTunning.DefKrPsi)
            sharedKrPsi = value
    }

    function refreshSharedGains() {
        var tabs = [yTab.item, zTab.item]
        for (var i = 0; i < tabs.length; ++i) {
            // The start values arrive before the tabs exist; the tabs' sliders start at them anyway.
            if (!tabs[i])
                continue
            tabs[i].sharedKeTheta = sharedKeTheta
            tabs[i].sharedKrPsi = sharedKrPsi
            tabs[i].f_DefValueChange()
        }
    }

    onSharedKeThetaChanged: refreshSharedGains()
    onSharedKrPsiChanged: refreshSharedGains()

    function f_LoadConfig() {
        for (var i = 0; i < axisTabs.length; ++i)
            axisTabs[i].f_LoadTunningValue()
    }

    function f_UploadConfig() {
        for (var i = 0; i < axisTabs.length; ++i)
            axisTabs[i].f_UploadConfig()
        runtimePidTunning.uploadConfig()
    }

    Tab {
        id: xTab
        title: resLanguages.qsTr_STR_ID_99
        active: true
        ControlPIDX { }
    }
    Tab {
        id: yTab
        title: resLanguages.qsTr_STR_ID_100
        active: true
        ControlPIDY {
            onSharedGainMoved: pidView.shareGain(index, value)
        }
    }
    Tab {
        id: zTab
        title: resLanguages.qsTr_STR_ID_101
        active: true
        ControlPIDZ {
            onSharedGainMoved: pidView.shareGain(index, value)
        }
    }
}
