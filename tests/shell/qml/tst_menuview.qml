import QtQuick
import QtTest
import Zephyr.Shell
import Zephyr.Test

// The menu's rows act on the touch that lands on them.
Item {
    width: 375
    height: 667

    MenuView {
        id: menu
        anchors.fill: parent
        controller: Fixture.menu
    }

    SignalSpy {
        id: about
        target: Fixture.menu
        signalName: "openAbout"
    }
    SignalSpy {
        id: login
        target: Fixture.menu
        signalName: "showLoginView"
    }

    TestCase {
        name: "MenuView"
        when: windowShown

        function test_pressOnARowActsAtOnce() {
            Fixture.setStatus(256)
            // The fourth row (about) sits under the header; press without releasing.
            const list = findChild(menu, "menuRows")
            const aboutRow = list.itemAtIndex(3)
            verify(aboutRow !== null)
            mousePress(aboutRow, 20, 20)
            compare(about.count, 1)
            mouseRelease(aboutRow, 20, 20)
            const clientsRow = list.itemAtIndex(0)
            mouseClick(clientsRow, 20, 20)
            compare(login.count, 1)
        }
    }
}
