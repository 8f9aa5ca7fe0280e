import QtQuick
import QtTest
import Zephyr.Shell
import Zephyr.Test

// The menu's rows act on the touch that lands on them; upload and clients need the administrator.
Item {
    width: 375
    height: 667

    MenuView {
        id: menu
        anchors.fill: parent
        controller: Fixture.menu
    }

    Component {
        id: spyComponent
        SignalSpy { target: Fixture.menu }
    }

    TestCase {
        id: test
        name: "MenuView"
        when: windowShown

        // One spy per signal for the whole case: a spy of a finished test may still hear the menu.
        property var spies: ({})
        function spy(signalName) {
            if (!spies[signalName])
                spies[signalName] = spyComponent.createObject(test, { signalName: signalName })
            spies[signalName].clear()
            return spies[signalName]
        }

        function test_pressOnARowActsAtOnce() {
            Fixture.setStatus(256)
            const about = spy("openAbout")
            const login = spy("showLoginView")
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

        // Before, they open the connection screen with a toast; after, their own screens, and the upload sheet's cancellation takes the row's highlight away.
        function test_rowsThatNeedTheAdministrator() {
            Fixture.setStatus(512)
            const login = spy("showLoginView")
            const upload = spy("showUploadActionSheet")
            const clients = spy("openClientList")
            const list = findChild(menu, "menuRows")
            const clientsRow = list.itemAtIndex(0)
            const uploadRow = list.itemAtIndex(1)
            mouseClick(uploadRow, 20, 20)
            mouseClick(clientsRow, 20, 20)
            compare(login.count, 2)
            compare(upload.count + clients.count, 0)
            compare(Fixture.toasts.title, "请申请管理员权限")
            verify(!uploadRow.rowHighlighted)
            Fixture.setStatus(1024)
            mouseClick(uploadRow, 20, 20)
            compare(upload.count, 1)
            verify(uploadRow.rowHighlighted)
            Fixture.post("notification_upload_actionsheet_canceled")
            verify(!uploadRow.rowHighlighted)
            mouseClick(clientsRow, 20, 20)
            compare(clients.count, 1)
            compare(login.count, 2)
        }
    }
}
