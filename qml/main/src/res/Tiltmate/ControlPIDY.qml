import QtQuick 2.0
import ORVGimbalTool 1.0

// Y axis: the three motor loops, the pitch and heading angle loops it shares with the other
// of Y and Z, and its position loop.
ControlPidAxis {
    id: axis
    groups: [
        axis.loop(resLanguages.qsTr_STR_ID_102, PidTunning.DefKyId, PidTunning.DefIyId, PidTunning.DefMaxYIdOut),
        axis.loop(resLanguages.qsTr_STR_ID_106, PidTunning.DefKyIq, PidTunning.DefIyIq, PidTunning.DefMaxYIqOut),
        axis.loop(resLanguages.qsTr_STR_ID_107, PidTunning.DefKyAspd, PidTunning.DefIyAspd, PidTunning.DefMaxYAspdOut),
        { title: resLanguages.qsTr_STR_ID_109,
          rows: [axis.gain(PidTunning.DefKeTheta), { label: resLanguages.qsTr_STR_ID_110 }, axis.gain(PidTunning.DefKrPsi)] },
        { title: resLanguages.qsTr_STR_ID_107, height: 70, rows: [axis.gain(PidTunning.DefKyPos)] }
    ]
}
