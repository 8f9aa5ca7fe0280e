import QtQuick
import QtTest
import Zephyr.Ui
import Zephyr.Shell
import Zephyr.Test

// The web page screen: titles, failure, history, script dialogs and the more sheet.
Item {
    id: root
    width: 375
    height: 667

    Component {
        id: webView
        WebView {}
    }
    Component {
        id: signalSpy
        SignalSpy {}
    }

    TestCase {
        name: "WebView"
        when: windowShown

        function open(url, title, showMore) {
            const controller = Fixture.newPage(url, title, showMore)
            const view = createTemporaryObject(webView, root, { controller: controller })
            verify(view !== null)
            return view
        }
        function pageText(view) {
            let text = null
            view.webView.runJavaScript("document.body.innerText", (result) => text = result)
            tryVerify(() => text !== null, 5000)
            return text
        }

        function test_pageTitleTextAndHistory() {
            const view = open("qrc:/html/agreement.html", "", false)
            compare(view.controller.title, "加载中...")
            verify(view.controller.loading)
            tryVerify(() => !view.controller.loading && view.webView.loadProgress === 100, 15000)
            tryVerify(() => view.controller.title !== "加载中...", 5000)
            compare(view.controller.title, view.webView.title)
            verify(pageText(view).length > 20)
            // No more button without showMoreButton.
            verify(!view.bar.rightIcon)
            view.webView.url = "qrc:/html/privacy.html"
            tryVerify(() => view.webView.canGoBack, 15000)
            tryVerify(() => !view.controller.loading && view.webView.loadProgress === 100, 15000)
            view.controller.back()
            verify(!view.controller.closing)
            tryVerify(() => String(view.webView.url).indexOf("agreement.html") >= 0, 15000)
            tryVerify(() => !view.webView.canGoBack, 5000)
            view.controller.back()
            verify(view.controller.closing)
        }

        function test_aFailedLoadSaysSo() {
            const view = open("http://127.0.0.1:9/nothing-here", "", true)
            tryCompare(view.controller, "title", "加载失败", 20000)
            verify(!view.controller.loading)
            verify(view.controller.failed)
            verify(findChild(view, "pageFailed").visible)
            verify(!view.controller.closing)
        }

        function test_scriptDialogsAndTheMoreSheet() {
            const view = open("qrc:/html/help.html", "", true)
            tryCompare(view.controller, "loading", false, 15000)
            let answer = null
            view.webView.runJavaScript("confirm('删除吗？')", (result) => answer = result)
            tryCompare(Fixture.dialogs, "message", "删除吗？", 5000)
            compare(Fixture.dialogs.buttons, ["确定", "取消"])
            Fixture.dialogs.choose(1)
            tryVerify(() => answer !== null, 5000)
            compare(answer, false)

            compare(view.bar.rightIcon, "nav_more.png")
            view.controller.tappedMoreButton()
            compare(Fixture.dialogs.buttons, ["在浏览器中打开", "复制链接", "取消"])
            Fixture.dialogs.choose(1)
            compare(Fixture.clipboardText, "qrc:/html/help.html")
            compare(Fixture.toasts.title, "链接已复制到手机剪贴板")
        }

        function test_unsafeAddressesAreNotLoaded() {
            const view = open("javascript:alert(1)", "", false)
            compare(view.controller.title, "加载失败")
            compare(String(view.controller.url), "")
            verify(view.controller.failed)
        }
    }
}
