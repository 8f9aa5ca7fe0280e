import QtQuick
import QtQuick.Controls
import Zephyr.Ui
import Zephyr.Home
import Zephyr.Shell

// The application window: the phone layout (at most a readable width, centred on a desktop)
// with the menu under the sliding main screen, the screens laid over them, the first-launch
// guide until it has been completed, and the window's dialogs and toasts on top.
ApplicationWindow {
    id: window

    width: 375
    height: 667
    minimumWidth: 320
    minimumHeight: 480
    visible: true
    title: qsTr("ZephyrWiFi")
    color: Theme.menuBackground

    Item {
        id: phone
        objectName: "phone"
        width: Math.min(window.width, Theme.readableWidth)
        height: parent.height
        anchors.horizontalCenter: parent.horizontalCenter
        clip: true

        SlideNavigation {
            id: navigation
            anchors.fill: parent
            controller: Shell.navigation
            menu: MenuView {
                width: navigation.width
                height: navigation.height
                controller: Shell.menu
            }

            MainView {
                id: mainView
                width: navigation.width
                height: navigation.height
                controller: Shell.main
                onMenuClicked: Shell.navigation.showMenu()
                onHelpClicked: Shell.menu.tableViewCellHighlighted(MenuController.IntroduceRow)
            }
        }

        // The first-launch guide lies under the screens it opens (the agreement).
        GuideView {
            anchors.fill: parent
            controller: Shell.guide
        }

        OverlayHost {
            anchors.fill: parent
            router: Shell.router
            blurredImages: Shell.blurredImages
            covered: navigation
        }

        DialogView {
            anchors.fill: parent
            dialogs: Shell.dialogs
        }

        ToastView {
            anchors.fill: parent
            toasts: Shell.toasts
        }
    }

    // A shake of the phone, from the keyboard on a desktop.
    Shortcut {
        sequence: "Ctrl+Shift+S"
        context: Qt.ApplicationShortcut
        onActivated: Shell.main.motionBegan()
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
}
