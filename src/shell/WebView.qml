import QtQuick
import QtWebEngine
import Zephyr.Ui
import Zephyr.Shell

// The web page screen: the page under the bar, the loading view over it while it loads, and
// the more button when the screen has one. Script dialogs go to the controller.
OverlayBarScreen {
    id: screen

    required property WebViewController controller
    property alias webView: page
    property var dialogRequests: ({})

    screenController: controller
    plainBackground: Theme.rowBackground
    bar.rightIcon: controller.showMoreButton ? "nav_more.png" : ""
    bar.rightName: controller.moreName

    Connections {
        target: screen.bar
        function onRightClicked() { screen.controller.tappedMoreButton() }
    }
    Connections {
        target: screen.controller
        function onGoBackRequested() { page.goBack() }
        function onJavaScriptDialogAnswered(id, accepted, text) {
            const request = screen.dialogRequests[id]
            if (request === undefined)
                return
            delete screen.dialogRequests[id]
            if (accepted)
                request.dialogAccept(text)
            else
                request.dialogReject()
        }
    }

    WebEngineView {
        id: page
        objectName: "webPage"
        anchors.fill: parent
        url: screen.controller.url
        Accessible.name: screen.controller.title
        onLoadingChanged: (request) => {
            if (request.status === WebEngineLoadingInfo.LoadStartedStatus)
                screen.controller.loadStarted()
            else if (request.status === WebEngineLoadingInfo.LoadSucceededStatus)
                screen.controller.loadFinished(true, page.title)
            else if (request.status === WebEngineLoadingInfo.LoadFailedStatus)
                screen.controller.loadFinished(false, "")
        }
        onTitleChanged: screen.controller.pageTitleChanged(title)
        onCanGoBackChanged: screen.controller.setCanGoBack(canGoBack)
        // A page's console is no news to the user.
        onJavaScriptConsoleMessage: {}
        onNewWindowRequested: (request) => page.url = request.requestedUrl
        onJavaScriptDialogRequested: (request) => {
            request.accepted = true
            const id = screen.controller.javaScriptDialogRequested(request.type, request.message,
                                                                   request.defaultText)
            screen.dialogRequests[id] = request
        }
    }

    // A page that failed shows this screen's own failure state, not the engine's.
    Rectangle {
        objectName: "pageFailed"
        anchors.fill: parent
        visible: screen.controller.failed
        color: Theme.listBackground
        EmptyState {
            anchors.centerIn: parent
            image: "main_qt_failed.png"
            text: screen.controller.failureText
        }
    }

    Rectangle {
        objectName: "pageLoading"
        visible: screen.controller.loading
        anchors.centerIn: parent
        width: 88
        height: 88
        radius: Theme.panelRadius
        color: Theme.toastBackground
        LoadingView {
            anchors.centerIn: parent
            type: screen.controller.loadingType
        }
    }
}
