import QtQuick
import QtTest
import Zephyr.Shell
import Zephyr.Test

// The sliding main screen driven as a finger would: drags each way and taps.
Item {
    id: root
    width: 375
    height: 667

    SlideNavigation {
        id: navigation
        anchors.fill: parent
        controller: Fixture.navigation
        menu: Rectangle { color: "black" }

        Rectangle {
            id: main
            width: navigation.width
            height: navigation.height
            color: "white"
            property int taps: 0
            MouseArea {
                anchors.fill: parent
                onClicked: main.taps++
            }
        }
    }

    TestCase {
        name: "SlideNavigation"
        when: windowShown

        function init() {
            Fixture.reset()
            tryCompare(Fixture.navigation, "animating", false)
            main.taps = 0
        }

        function test_dragFromClosed_data() {
            return [
                { tag: "60 points stay closed", dx: 60, open: false },
                { tag: "100 points open", dx: 100, open: true },
            ]
        }
        function test_dragFromClosed(data) {
            mouseDrag(navigation, 40, 300, data.dx, 0)
            tryCompare(Fixture.navigation, "animating", false)
            compare(Fixture.navigation.isLastStateRight, data.open)
            tryCompare(navigation.mainLayer, "x", data.open ? 280 : 0)
        }

        function test_dragFromOpenCloses() {
            Fixture.navigation.showMenu()
            tryCompare(navigation.mainLayer, "x", 280)
            tryCompare(Fixture.navigation, "animating", false)
            mouseDrag(navigation, 320, 300, -60, 0)
            tryCompare(Fixture.navigation, "animating", false)
            verify(!Fixture.navigation.isLastStateRight)
        }

        function test_tapOnTheOpenMainScreenClosesIt() {
            Fixture.navigation.showMenu()
            tryCompare(Fixture.navigation, "animating", false)
            mouseClick(navigation, 330, 300)
            tryCompare(navigation.mainLayer, "x", 0)
            compare(main.taps, 0)
            mouseClick(navigation, 100, 300)
            compare(main.taps, 1)
        }
    }
}
