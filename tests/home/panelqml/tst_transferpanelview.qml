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

    TestCase {
        id: test
        name: "TransferPanelView"
        when: windowShown

        function open() {
            Fixture.newPanel()
            const view = createTemporaryObject(viewComponent, host, { controller: Fixture.panel })
            verify(view !== null)
            return view
        }

        function visibleButton(view, name) {
            const button = findChild(view, name)
            verify(button !== null, name)
            verify(button.visible, name + " is visible")
            // Rows and columns place a button that has just appeared at their next polish.
            waitForItemPolished(button.parent)
            verify(button.width >= 44 && button.height >= 44, name + " is at least 44 × 44")
            return button
        }

        function test_textResultSharesAndCloses() {
            const view = open()
            compare(Fixture.panel.stage, QuickTransferAnimationViewController.Opening)
            Fixture.arriveText("周末见")
            // Not before the opening has ended.
            wait(1000)
            verify(Fixture.panel.stage !== QuickTransferAnimationViewController.Result)
            tryCompare(Fixture.panel, "stage", QuickTransferAnimationViewController.Result, 3000)
            verify(!findChild(view, "retryButton").visible)
            verify(!findChild(view, "leftButton").visible)
            mouseClick(visibleButton(view, "shareButton"))
            compare(Fixture.shareCount, 1)
            mouseClick(visibleButton(view, "successButton"))
            verify(Fixture.panel.closing)
            compare(Fixture.closedCount, 0)
            tryCompare(Fixture, "closedCount", 1, 2000)
        }

        function test_largeVideoDownloadsWithTheRightButton() {
            const view = open()
            Fixture.arriveVideo(6000000)
            tryCompare(Fixture.panel, "stage", QuickTransferAnimationViewController.Result, 4000)
            verify(!findChild(view, "shareButton").visible)
            const left = visibleButton(view, "leftButton")
            compare(left.text, "立即播放")
            const right = visibleButton(view, "rightButton")
            compare(right.text, "下载到手机")
            mouseClick(right)
            compare(Fixture.downloadCount, 1)
            tryCompare(Fixture, "closedCount", 1, 2000)
            compare(Fixture.deleteCount, 0)
        }

        function test_closeButtonDeclinesTheLargeVideo() {
            const view = open()
            Fixture.arriveVideo(6000000)
            tryCompare(Fixture.panel, "stage", QuickTransferAnimationViewController.Result, 4000)
            mouseClick(visibleButton(view, "closeButton"))
            tryCompare(Fixture, "closedCount", 1, 2000)
            compare(Fixture.deleteCount, 1)
            compare(Fixture.downloadCount, 0)
        }

        function test_failureRetriesByButton() {
            const view = open()
            Fixture.fail()
            tryCompare(Fixture.panel, "stage", QuickTransferAnimationViewController.Failed, 4000)
            verify(!findChild(view, "shareButton").visible)
            mouseClick(visibleButton(view, "retryButton"))
            tryCompare(Fixture, "closedCount", 1, 2000)
            compare(Fixture.retryCount, 1)
        }

        // The picture comes through the list's provider; a file that is no picture shows none,
        // and the panel still closes.
        function test_pictureComesThroughTheListsProvider_data() {
            return [{ tag: "picture", readable: true }, { tag: "damaged", readable: false }]
        }
        function test_pictureComesThroughTheListsProvider(data) {
            const view = open()
            const loads = createTemporaryObject(spyComponent, test,
                                                { target: Fixture.pictures, signalName: "pictureChanged" })
            Fixture.arriveImage(data.readable)
            tryCompare(Fixture.panel, "stage", QuickTransferAnimationViewController.Result, 4000)
            if (loads.count === 0)
                loads.wait(3000)
            const picture = findChild(view, "picture")
            if (data.readable) {
                verify(String(picture.source).startsWith("image://quicktransfer/"))
                tryCompare(picture, "status", Image.Ready, 2000)
                verify(picture.parent.visible)
            } else {
                compare(String(picture.source), "")
                verify(!picture.parent.visible)
            }
            mouseClick(visibleButton(view, "successButton"))
            tryCompare(Fixture, "closedCount", 1, 2000)
        }

        function test_keyboardReachesTheButtons() {
            const view = open()
            Fixture.arriveText("键盘")
            tryCompare(Fixture.panel, "stage", QuickTransferAnimationViewController.Result, 4000)
            const success = visibleButton(view, "successButton")
            success.forceActiveFocus()
            keyClick(Qt.Key_Space)
            tryCompare(Fixture, "closedCount", 1, 2000)
        }
    }
}
