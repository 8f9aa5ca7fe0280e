import QtQuick
import QtQuick.Controls
import Zephyr.Shell

// The application window: the menu lies underneath, the main screen on top of it, and the
// first-launch guide over both until it has been completed.
ApplicationWindow {
    id: window

    width: 375
    height: 667
    visible: true
    title: "ZephyrWiFi"
    color: "#1f2150"

    MenuView {
        id: menu
        anchors.fill: parent
        onEntryChosen: mainView.closeMenu()
    }

    MainView {
        id: mainView
        width: parent.width
        height: parent.height
    }

    GuideView {
        anchors.fill: parent
        controller: Shell.guide
    }
}
