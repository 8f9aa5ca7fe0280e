import QtQuick
import Zephyr.Ui

// An overlay screen with the blue bar: its title and the back button.
OverlayScreen {
    id: screen

    property alias bar: navBar
    default property alias barContent: area.data

    NavBar {
        id: navBar
        title: screen.screenController ? screen.screenController.title : ""
        leftIcon: "icon_back.png"
        leftName: qsTr("返回")
        onLeftClicked: screen.screenController.back()
    }
    Item {
        id: area
        anchors.top: navBar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
    }
}
