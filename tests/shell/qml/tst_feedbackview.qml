import QtQuick
import QtTest
import Zephyr.Shell
import Zephyr.Test

// The feedback, about and introduction screens as a finger uses them.
Item {
    id: root
    width: 375
    height: 667

    Component {
        id: feedbackView
        FeedbackView {}
    }
    Component {
        id: aboutView
        AboutView {}
    }
    Component {
        id: introduceView
        IntroduceView {}
    }

    TestCase {
        name: "FeedbackAboutIntroduce"
        when: windowShown

        function test_typingEnablesSubmit() {
            const controller = Fixture.newFeedback()
            const view = createTemporaryObject(feedbackView, root, { controller: controller })
            const text = findChild(view, "feedbackText")
            const submit = findChild(view, "submitButton")
            verify(!submit.enabled)
            mouseClick(text)
            keyClick(Qt.Key_Space)
            keyClick(Qt.Key_Return)
            verify(!submit.enabled)
            keyClick(Qt.Key_A)
            compare(controller.text, " \na")
            verify(submit.enabled)
            mouseClick(findChild(view, "contactField"))
            keyClick(Qt.Key_7)
            compare(controller.contact, "7")
        }

        function test_aboutRowsCopyOnTouch() {
            const controller = Fixture.newAbout()
            const view = createTemporaryObject(aboutView, root, { controller: controller })
            const rows = findChild(view, "aboutRows")
            tryVerify(() => rows.itemAtIndex(1) !== null)
            const weixin = rows.itemAtIndex(1)
            mousePress(weixin, 20, 20)
            compare(Fixture.clipboardText, "ZephyrWiFi快传")
            compare(Fixture.toasts.title, "微信公众帐号已复制到手机剪贴板")
            mouseRelease(weixin, 20, 20)
        }

        function test_introductionRows() {
            const controller = Fixture.newIntroduce()
            const view = createTemporaryObject(introduceView, root, { controller: controller })
            const rows = findChild(view, "introduceRows")
            compare(rows.count, 5)
            rows.positionViewAtEnd()
            tryVerify(() => rows.itemAtIndex(4) !== null)
            verify(rows.itemAtIndex(4).closing)
        }
    }
}
