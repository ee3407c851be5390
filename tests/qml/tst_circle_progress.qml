import QtQuick 2.0
import QtTest 1.2
import "qrc:/main/src/res/Tiltmate"

// Reads the ring's pixels, which needs a window that can be grabbed (see CMakeLists.txt).
Item {
    id: root
    width: 200
    height: 200

    ControlCircleProgress {
        id: circle
        width: 100
        height: 100
    }

    TestCase {
        name: "CircleProgress"
        when: windowShown

        function init() {
            circle.minimumValue = 0
            circle.maximumValue = 100
            circle.value = 0
            circle.enabled = true
        }

        // Colour of the ring where it crosses the given angle, counted clockwise from the top.
        function ringPixel(degrees) {
            var image = grabImage(circle)
            var radius = (circle.width - circle.lineWidth) / 2
            var a = (degrees - 90) * Math.PI / 180
            return image.pixel(Math.round(circle.width / 2 + radius * Math.cos(a)),
                               Math.round(circle.height / 2 + radius * Math.sin(a)))
        }

        function test_share_and_text_follow_the_value_within_the_range() {
            circle.minimumValue = 1000
            circle.maximumValue = 2000
            circle.value = 1250
            compare(circle.progress, 0.25)
            compare(circle.text, "25%")
            circle.value = 2600
            compare(circle.progress, 1)
            compare(circle.text, "100%")
            circle.value = -5
            compare(circle.progress, 0)
            compare(circle.text, "0%")
            circle.maximumValue = 1000
            circle.value = 1000
            compare(circle.progress, 0)
            compare(circle.text, "0%")
        }

        function test_ring_fills_clockwise_from_the_top() {
            circle.value = 50
            verify(Qt.colorEqual(ringPixel(90), "#0ad48b"))
            verify(Qt.colorEqual(ringPixel(270), "gray"))
            circle.value = 100
            verify(Qt.colorEqual(ringPixel(270), "#0ad48b"))
            circle.enabled = false
            verify(Qt.colorEqual(ringPixel(90), "gray"))
            circle.enabled = true
            circle.value = 0
            verify(Qt.colorEqual(ringPixel(90), "gray"))
        }
    }
}
