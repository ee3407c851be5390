import QtQuick 2.0
import "." as OrvControl

Rectangle {
    color: OrvControl.ORVStyle.bgColor
}
