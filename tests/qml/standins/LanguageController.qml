import QtQuick 2.0

// Stand-in for the language controller: the switch's choice, without catalogues.
QtObject {
    property string language: "zh"

    function choose(code) { language = code }
}
