import QtQuick
import QtTest
import Zephyr.Shell
import Zephyr.Test

// The guide: start does nothing before it shows; swiping to the second page, the check box gating
// the start button, the link, pages out of range; start acts once, and the fade ends the guide.
Item {
    id: root
    width: 375
    height: 667

    GuideView {
        id: guide
        anchors.fill: parent
        controller: Fixture.guide
    }
    Component {
        id: spyComponent
        SignalSpy { target: Fixture.guide }
    }

    TestCase {
        id: test
        name: "GuideView"
        when: windowShown

        function test_swipeCheckAndLink() {
            const agreement = createTemporaryObject(spyComponent, test, { signalName: "showAgreementRequested" })
            const dismiss = createTemporaryObject(spyComponent, test, { signalName: "dismissRequested" })
            verify(!Fixture.guide.tappedStartButton())
            Fixture.guide.finishDismiss()
            verify(!Fixture.guideCompleted)
            Fixture.showGuide()
            verify(guide.visible)
            compare(Fixture.guide.page, 0)
            const pages = findChild(guide, "guidePages")
            mouseDrag(pages, 300, 300, -250, 0)
            tryCompare(Fixture.guide, "page", 1)
            const start = findChild(guide, "startButton")
            const check = findChild(guide, "agreeCheck")
            tryVerify(() => start.mapToItem(root, 0, 0).x >= 0 && start.mapToItem(root, 0, 0).x < root.width)
            verify(start.enabled)
            mouseClick(check)
            verify(!Fixture.guide.checked)
            verify(!start.enabled)
            check.forceActiveFocus()
            keyClick(Qt.Key_Space)
            verify(start.enabled)
            mouseClick(findChild(guide, "agreementLink"))
            compare(agreement.count, 1)
            Fixture.guide.page = 5
            compare(Fixture.guide.page, Fixture.guide.pageCount - 1)
            Fixture.guide.page = -1
            compare(Fixture.guide.page, 0)
            Fixture.guide.page = 1
            mouseClick(start)
            verify(!Fixture.guide.tappedStartButton())
            compare(dismiss.count, 1)
            verify(!Fixture.guideCompleted)
            tryCompare(Fixture.guide, "visible", false, 3000)
            verify(Fixture.guideCompleted)
        }
    }
}
