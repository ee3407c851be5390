import QtQuick 2.0
import ORVGimbalTool 1.0

// Z axis: the three motor loops, the pitch and heading angle loops it shares with the other
// of Y and Z, and its position loop.
ControlPidAxis {
    id: axis
    groups: [
        axis.loop(resLanguages.qsTr_STR_ID_102, PidTunning.DefKzId, PidTunning.DefIzId, PidTunning.DefMaxZIdOut),
        axis.loop(resLanguages.qsTr_STR_ID_106, PidTunning.DefKzIq, PidTunning.DefIzIq, PidTunning.DefMaxZIqOut),
        axis.loop(resLanguages.qsTr_STR_ID_107, PidTunning.DefKzAspd, PidTunning.DefIzAspd, PidTunning.DefMaxZAspdOut),
        { title: resLanguages.qsTr_STR_ID_109,
          rows: [axis.gain(PidTunning.DefKeTheta), { label: resLanguages.qsTr_STR_ID_110 }, axis.gain(PidTunning.DefKrPsi)] },
        { title: resLanguages.qsTr_STR_ID_107, height: 70, rows: [axis.gain(PidTunning.DefKzPos)] }
    ]
}
