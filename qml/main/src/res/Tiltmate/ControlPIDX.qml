import QtQuick 2.0
import ORVGimbalTool 1.0

// Roll axis: the three motor loops and the roll angle loop.
ControlPidAxis {
    id: axis
    groups: [
        axis.loop(resLanguages.qsTr_STR_ID_102, PidTunning.DefKxId, PidTunning.DefIxId, PidTunning.DefMaxXIdOut),
        axis.loop(resLanguages.qsTr_STR_ID_106, PidTunning.DefKxIq, PidTunning.DefIxIq, PidTunning.DefMaxXIqOut),
        axis.loop(resLanguages.qsTr_STR_ID_107, PidTunning.DefKxAspd, PidTunning.DefIxAspd, PidTunning.DefMaxXAspdOut),
        { title: resLanguages.qsTr_STR_ID_108, rows: [axis.gain(PidTunning.DefKaPhi)] }
    ]
}
