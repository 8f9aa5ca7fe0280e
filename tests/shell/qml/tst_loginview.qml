import QtQuick
import QtTest
import Zephyr.Shell
import Zephyr.Test

// The connection screen: the offer slides in, apply spins, decline makes the disc fall.
Item {
    id: root
    width: 375
    height: 667

    Component {
        id: loginView
        LoginView {}
    }

    TestCase {
        name: "LoginView"
        when: windowShown

        function test_offerApplyAndDeclineFall() {
            Fixture.setStatus(512)
            const controller = Fixture.newLogin()
            const view = createTemporaryObject(loginView, root, { controller: controller })
            const apply = findChild(view, "applyButton")
            const decline = findChild(view, "declineButton")
            // The apply button slides in over 0.5 s.
            tryCompare(apply, "opacity", 1, 2000)
            verify(decline.visible)
            mouseClick(apply)
            verify(controller.loading)
            verify(findChild(view, "spinner").visible)

            const closed = createTemporaryObject(signalSpy, root, { target: controller, signalName: "closed" })
            const disc = findChild(view, "pcDisc")
            const startY = disc.mapToItem(root, 0, 0).y
            mouseClick(decline)
            verify(controller.closing)
            closed.wait(2000)
            // The disc went down towards the send button, out of the fading screen.
            verify(disc.parent !== view)
            verify(disc.y > startY)
        }

        function test_closedBeforeTheViewExistsStillGoes() {
            Fixture.setStatus(1024)
            const controller = Fixture.newLogin()
            const closed = createTemporaryObject(signalSpy, root, { target: controller, signalName: "closed" })
            controller.back()
            createTemporaryObject(loginView, root, { controller: controller })
            closed.wait(2000)
            compare(closed.count, 1)
        }
    }

    Component {
        id: signalSpy
        SignalSpy {}
    }
}
