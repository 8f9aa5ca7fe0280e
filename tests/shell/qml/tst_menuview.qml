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
    SignalSpy {
        id: upload
        target: Fixture.menu
        signalName: "showUploadActionSheet"
    }
    SignalSpy {
        id: clients
        target: Fixture.menu
        signalName: "openClientList"
    }

    TestCase {
        name: "MenuView"
        when: windowShown

        function init() {
            for (const spy of [about, login, upload, clients])
                spy.clear()
        }

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

        // Before, they open the connection screen with a toast; after, their own screens, and the upload sheet's cancellation takes the row's highlight away.
        function test_rowsThatNeedTheAdministrator() {
            Fixture.setStatus(512)
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
