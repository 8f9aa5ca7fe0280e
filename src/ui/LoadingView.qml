import QtQuick
import Zephyr.Ui

// The loading view: a ring that stands still and an arc over it that turns once a second.
// The five looks: 0 gray, 1 green, 2 purple, 3 white, 4 small white.
Item {
    id: root

    property int type: 0
    property bool running: visible

    readonly property var names: ["loading_gray", "loading_green", "loading_purple",
                                  "loading_white", "loading_white_small"]

    implicitWidth: ring.implicitWidth
    implicitHeight: ring.implicitHeight
    Accessible.role: Accessible.Animation
    Accessible.name: qsTr("加载中...")

    Image {
        id: ring
        anchors.centerIn: parent
        source: Theme.image(root.names[Math.max(0, Math.min(4, root.type))] + "1.png")
    }
    Image {
        anchors.centerIn: parent
        source: Theme.image(root.names[Math.max(0, Math.min(4, root.type))] + "2.png")
        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 1000
            loops: Animation.Infinite
            running: root.running
        }
    }
}
