import QtQuick
import QtTest
import Zephyr.Home
import Zephyr.Test

// The transfer panel's buttons act on its controller; the view plays the closing before the
// controller hears it has gone.
Item {
    id: host
    width: 375
    height: 667

    Component {
        id: viewComponent
        QuickTransferAnimationView {}
    }
    Component {
        id: spyComponent
        SignalSpy {}
    }
    SignalSpy {
        id: loads
        target: Fixture.pictures
        signalName: "pictureChanged"
    }

    TestCase {
        id: test
        name: "TransferPanelView"
        when: windowShown

        property var closed

        function spy(target, signalName) {
            return createTemporaryObject(spyComponent, test, { target: target, signalName: signalName })
        }
        function open() {
            Fixture.newPanel()
            closed = spy(Fixture.panel, "closed")
            loads.clear()
            const view = createTemporaryObject(viewComponent, host, { controller: Fixture.panel })
            verify(view !== null)
            return view
        }
        function waitForStage(stage) {
            tryCompare(Fixture.panel, "stage", stage, 4000)
        }
        function visibleButton(view, name) {
            const button = findChild(view, name)
            verify(button !== null && button.visible, name)
            // Rows and columns place a button that has just appeared at their next polish.
            waitForItemPolished(button.parent)
            verify(button.width >= 44 && button.height >= 44, name + " is at least 44 × 44")
            return button
        }

        // The success button is also reached by the keyboard.
        function test_textResultSharesAndCloses() {
            const view = open()
            const shares = spy(Fixture.panel, "shareText")
            compare(Fixture.panel.stage, QuickTransferAnimationViewController.Opening)
            Fixture.arriveText("周末见")
            // Not before the opening has ended.
            wait(1000)
            verify(Fixture.panel.stage !== QuickTransferAnimationViewController.Result)
            waitForStage(QuickTransferAnimationViewController.Result)
            verify(!findChild(view, "retryButton").visible)
            verify(!findChild(view, "leftButton").visible)
            mouseClick(visibleButton(view, "shareButton"))
            compare(shares.count, 1)
            visibleButton(view, "successButton").forceActiveFocus()
            keyClick(Qt.Key_Space)
            verify(Fixture.panel.closing)
            compare(closed.count, 0)
            tryCompare(closed, "count", 1, 2000)
        }

        function test_failureRetriesByButton() {
            const view = open()
            const retries = spy(Fixture.panel, "getQuickTransfer")
            Fixture.fail()
            waitForStage(QuickTransferAnimationViewController.Failed)
            verify(!findChild(view, "shareButton").visible)
            mouseClick(visibleButton(view, "retryButton"))
            tryCompare(closed, "count", 1, 2000)
            compare(retries.count, 1)
        }

        // The picture comes through the list's provider; a file that is no picture shows none,
        // and the panel still closes.
        function test_pictureComesThroughTheListsProvider_data() {
            return [{ tag: "picture", readable: true }, { tag: "damaged", readable: false }]
        }
        function test_pictureComesThroughTheListsProvider(data) {
            const view = open()
            Fixture.arriveImage(data.readable)
            waitForStage(QuickTransferAnimationViewController.Result)
            tryVerify(() => loads.count > 0, 3000)
            const picture = findChild(view, "picture")
            if (data.readable) {
                verify(String(picture.source).startsWith("image://quicktransfer/"))
                tryCompare(picture, "status", Image.Ready, 2000)
            } else {
                compare(String(picture.source), "")
            }
            compare(picture.parent.visible, data.readable)
            mouseClick(visibleButton(view, "successButton"))
            tryCompare(closed, "count", 1, 2000)
        }
    }
}
