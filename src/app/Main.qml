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

    // Media keys reach the player as remote-control events.
    Shortcut {
        sequences: ["Media Play", "Toggle Media Play/Pause"]
        context: Qt.ApplicationShortcut
        onActivated: Shell.remoteControlReceived("play")
    }
    Shortcut {
        sequences: ["Media Pause", "Media Stop"]
        context: Qt.ApplicationShortcut
        onActivated: Shell.remoteControlReceived("pause")
    }
    Shortcut {
        sequence: "Media Next"
        context: Qt.ApplicationShortcut
        onActivated: Shell.remoteControlReceived("next")
    }
    Shortcut {
        sequence: "Media Previous"
        context: Qt.ApplicationShortcut
        onActivated: Shell.remoteControlReceived("previous")
    }

    GuideView {
        anchors.fill: parent
        controller: Shell.guide
    }
}
