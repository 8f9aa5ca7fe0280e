import QtQuick
import QtTest
import Zephyr.Shell
import Zephyr.Test

// The sliding main screen driven as a finger would: drags each way and taps, what blocks it, and
// a drag the background cuts off.
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

        function test_tapOnTheOpenMainScreenClosesIt() {
            Fixture.navigation.showMenu()
            tryCompare(Fixture.navigation, "animating", false)
            mouseClick(navigation, 330, 300)
            // The menu takes no touch while it slides shut.
            verify(!Fixture.navigation.menuInteractive)
            tryCompare(navigation.mainLayer, "x", 0)
            verify(Fixture.navigation.menuInteractive)
            compare(main.taps, 0)
            mouseClick(navigation, 100, 300)
            compare(main.taps, 1)
        }

        // A covered main screen or one under an overlay does not slide.
        function test_blockedMainScreenDoesNotSlide() {
            for (const covered of [true, false]) {
                Fixture.setCovered(covered)
                Fixture.navigation.overlayOpen = !covered
                mouseDrag(navigation, 40, 300, 200, 0)
                compare(Fixture.navigation.offset, 0)
                verify(!Fixture.navigation.isLastStateRight)
            }
        }

        // Going to the background settles a drag open, and the drag's late end moves nothing.
        function test_dragCutOffByTheBackgroundSettles() {
            Fixture.navigation.panBegan()
            Fixture.navigation.panMoved(120)
            verify(!Fixture.navigation.menuInteractive)
            Fixture.navigation.didEnterBackground()
            compare(Fixture.navigation.offset, 280)
            verify(Fixture.navigation.menuInteractive)
            Fixture.navigation.panEnded()
            compare(Fixture.navigation.offset, 280)
        }
    }
}
