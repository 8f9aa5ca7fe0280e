import QtQuick
import QtQuick.Controls
import Zephyr.Shell

// The main screen: the navigation bar over the quick-transfer history. It slides right to
// uncover the menu.
Rectangle {
    id: root

    property bool menuOpen: false

    function closeMenu() { menuOpen = false }

    color: "#f4f4f8"
    x: menuOpen ? width * 0.75 : 0
    Behavior on x { NumberAnimation { duration: 250; easing.type: Easing.OutCubic } }

    onMenuOpenChanged: Shell.state.isMainViewCovered = menuOpen

    Image {
        id: bar
        width: parent.width
        height: 64
        source: "qrc:/images/nav_color_gradient.png"
        fillMode: Image.Stretch

        ToolButton {
            anchors.left: parent.left
            anchors.bottom: parent.bottom
            text: "☰"
            font.pixelSize: 22
            onClicked: root.menuOpen = !root.menuOpen
        }
        Text {
            anchors.centerIn: parent
            anchors.verticalCenterOffset: 10
            text: "ZephyrWiFi快传"
            color: "white"
            font.pixelSize: 18
            font.bold: true
        }
    }

    Column {
        anchors.centerIn: parent
        spacing: 12
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "摇一摇，电脑上选中的内容就到手机"
            color: "#555a80"
            font.pixelSize: 15
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: Shell.statusText
            color: "#8a8fb0"
            font.pixelSize: 13
        }
    }

    MouseArea {
        anchors.fill: parent
        anchors.topMargin: bar.height
        enabled: root.menuOpen
        onClicked: root.menuOpen = false
    }
}
