import QtQuick
import QtTest
import Zephyr.Home
import Zephyr.Test

// The main list as a finger drives it: rows, the filter menu, selection and deletion.
Item {
    width: 375
    height: 667

    MainView {
        id: view
        anchors.fill: parent
        controller: Fixture.main
    }

    TestCase {
        name: "MainView"
        when: windowShown

        function init() {
            Fixture.reset()
        }

        function list() {
            return findChild(view, "quickTransferList")
        }

        // An empty list shows its picture instead.
        function test_tapOnTheIconFiltersByKind() {
            verify(findChild(view, "emptyState").visible)
            verify(!list().visible)
            verify(!findChild(view, "editButton").visible)
            Fixture.fill(5)
            verify(list().visible)
            tryVerify(() => list().itemAtIndex(0) !== null)
            // The newest row is the fifth text; the icon filters texts.
            const row = list().itemAtIndex(0)
            mouseClick(findChild(row, "kindButton"))
            compare(Fixture.main.title, "文本快传")
            compare(list().count, 6)
            // The bar's left button goes back to all.
            Fixture.main.showAllQuickTransferWithoutFilter()
            compare(Fixture.main.title, "我的快传")
        }

        function test_filterMenuFadesAndChooses() {
            Fixture.fill(2)
            const menu = findChild(view, "filterMenu")
            Fixture.main.filterMenuOpen = true
            tryCompare(menu, "opacity", 1, 1000)
            // The fifth entry is the video filter.
            const entry = menu.children[0].children[4]
            mouseClick(entry)
            compare(Fixture.main.title, "视频快传")
            tryCompare(menu, "visible", false, 1000)
            compare(list().count, 2)
        }

        function test_selectionModeSelectsAndDeletes() {
            Fixture.fill(3)
            mouseClick(findChild(view, "editButton"))
            verify(Fixture.main.isEditing)
            verify(findChild(view, "selectionBar").visible)
            tryVerify(() => list().itemAtIndex(1) !== null)
            mouseClick(list().itemAtIndex(1), 200, 30)
            compare(Fixture.main.selectedText, "已选 1 项")
            mouseClick(findChild(view, "deleteButton"))
            compare(Fixture.dialogs.message, "您确定要删除已选的1条记录吗")
            Fixture.dialogs.choose(1)
            compare(list().count, 5 - 1 + 1)
            verify(!Fixture.main.isEditing)
        }

        // While the connection screen's picture falls into it the send button is gone and
        // takes no tap; when the picture lands it springs back, or half a second after the fall
        // should the end never come.
        function test_sendButtonHidesWhileThePictureFalls() {
            const disc = findChild(view, "sendButton")
            Fixture.main.startFallDownSendButton(0.5)
            verify(!disc.enabled)
            tryCompare(disc, "opacity", 0, 1000)
            Fixture.main.endFallDownSendButton()
            verify(disc.enabled)
            tryCompare(disc, "opacity", 1, 1000)
            tryCompare(disc, "scale", 1, 1000)
            Fixture.main.startFallDownSendButton(0.1)
            verify(!disc.enabled)
            wait(300)
            verify(!disc.enabled)
            tryVerify(() => disc.enabled, 1000)
        }

    }
}
