import QtQuick 2.0
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    id: directionView
    width: 50 * OrvControl.ORVStyle.dp
    height: 25 * OrvControl.ORVStyle.dp

    property alias bReverse: reverseBox.checked

    OrvControl.ORVCheckBox {
        id: reverseBox
        x: 20 * OrvControl.ORVStyle.dp
        y: 3 * OrvControl.ORVStyle.dp
        height: (directionView.height > 40 * OrvControl.ORVStyle.dp ? 30 : 20) * OrvControl.ORVStyle.dp
        text: ""
    }
}
