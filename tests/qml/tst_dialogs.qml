import QtQuick 2.0
import QtQuick.Window 2.2
import QtTest 1.2
import "qrc:/OrvCustomControl/src/res/OrvCustomControl" as OrvControl

Item {
    width: 200
    height: 100

    OrvControl.ORVConnectWindow {
        id: waiting
        information: "连接中"
    }

    OrvControl.ORVMessageBox {
        id: messageBox
    }

    TestCase {
        name: "Dialogs"
        when: windowShown

        function cleanup() {
            waiting.doQuit()
            messageBox.hide()
        }

        function test_waiting_window_cycles_through_three_dots() {
            waiting.dotTimes = 2
            waiting.doModal()
            compare(waiting.visible, true)
            compare(waiting.dotTimes, 0)
            compare(waiting.shownText, "连接中")
            // Each tick shows the count first and then advances it, so the first tick adds no dot;
            // the count after each tick differs from the one before, so it marks the tick.
            var expected = ["连接中", "连接中.", "连接中..", "连接中...", "连接中", "连接中."]
            for (var tick = 0; tick < expected.length; ++tick) {
                tryCompare(waiting, "dotTimes", (tick + 1) % 4, 5000)
                compare(waiting.shownText, expected[tick])
            }
            waiting.doQuit()
            compare(waiting.visible, false)
            waiting.doModal()
            compare(waiting.shownText, "连接中")
        }

        function test_message_box_title_follows_the_type() {
            compare(messageBox.titleText, "通知")
            verify(Qt.colorEqual(messageBox.titleColor, "gray"))
            messageBox.messageBoxType = 1
            compare(messageBox.titleText, "警告")
            verify(Qt.colorEqual(messageBox.titleColor, "yellow"))
            messageBox.messageBoxType = 2
            compare(messageBox.titleText, "错误")
            verify(Qt.colorEqual(messageBox.titleColor, "red"))
            messageBox.messageBoxType = 7
            compare(messageBox.titleText, "错误")
            verify(Qt.colorEqual(messageBox.titleColor, "red"))
            messageBox.messageBoxType = 0
            compare(messageBox.titleText, "通知")
            verify(Qt.colorEqual(messageBox.titleColor, "gray"))
        }

        function test_message_box_shows_its_information_and_centres() {
            var frame = Qt.createQmlObject("import QtQuick.Window 2.2; Window { x: 100; y: 50; width: 800; height: 600 }", this)
            messageBox.fatherFrame = frame
            messageBox.information = "下载参数失败\n请检查通信链接是否存在问题!\n重新连接通信口尝试解决该问题。"
            messageBox.doModal()
            compare(messageBox.visible, true)
            compare(messageBox.shownText.split("\n").length, 3)
            compare(messageBox.x, 100 + (800 - messageBox.width) / 2)
            compare(messageBox.y, 50 + (600 - messageBox.height) / 2)
            messageBox.fatherFrame = null
            frame.destroy()
        }
    }
}
