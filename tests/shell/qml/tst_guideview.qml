import QtQuick
import QtTest
import Zephyr.Shell
import Zephyr.Test

// The guide: swiping to the second page, the check box gating the start button, the link.
Item {
    id: root
    width: 375
    height: 667

    GuideView {
        id: guide
        anchors.fill: parent
        controller: Fixture.guide
    }
    SignalSpy {
        id: agreement
        target: Fixture.guide
        signalName: "showAgreementRequested"
    }

    TestCase {
        name: "GuideView"
        when: windowShown

        function test_swipeCheckAndLink() {
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
        }
    }
}
