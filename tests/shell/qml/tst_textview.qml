import QtQuick
import QtTest
import Zephyr.Home
import Zephyr.Test

// The text screen: a short text sits centred towards the middle, a long one scrolls; back
// fades the screen out before it closes.
Item {
    id: host
    width: 375
    height: 667

    Component {
        id: screenComponent
        TextView {}
    }

    TestCase {
        name: "TextView"
        when: windowShown

        function test_shortTextIsCentred() {
            const controller = Fixture.textScreen("你好")
            const screen = createTemporaryObject(screenComponent, host, { controller: controller })
            const list = findChild(screen, "textBlocks")
            compare(list.count, 1)
            tryVerify(() => list.itemAtIndex(0) !== null)
            compare(list.itemAtIndex(0).horizontalAlignment, TextEdit.AlignHCenter)
            verify(list.topMargin > 100)
            const closed = signalSpy.createObject(host, { target: controller, signalName: "closed" })
            mouseClick(screen, 30, 40)
            tryCompare(closed, "count", 1, 1000)
        }

    }

    Component {
        id: signalSpy
        SignalSpy {}
    }
}
