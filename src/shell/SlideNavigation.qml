import QtQuick
import Zephyr.Ui
import Zephyr.Shell

// The main screen over the menu. A horizontal drag slides the main screen (its controller
// decides where it settles); while the menu is open a tap on the main screen closes it.
Item {
    id: root

    required property NavigationController controller
    property Item menu
    default property alias mainContent: mainLayer.data
    readonly property Item mainLayer: mainLayer

    Item {
        id: menuSlot
        anchors.fill: parent
        enabled: root.controller.menuInteractive
        children: root.menu ? [root.menu] : []
        visible: mainLayer.x > 0
    }

    Item {
        id: mainLayer
        objectName: "mainLayer"
        width: root.width
        height: root.height
        x: root.controller.offset
        Behavior on x {
            enabled: root.controller.animating
            NumberAnimation {
                duration: root.controller.animationDuration
                easing.type: Easing.OutCubic
            }
        }

        // The shadow the main screen casts on the menu.
        Rectangle {
            x: -6
            width: 6
            height: parent.height
            visible: mainLayer.x > 0
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: "transparent" }
                GradientStop { position: 1; color: Qt.rgba(0, 0, 0, 0.25) }
            }
        }
    }

    // While the menu is open the main screen's controls rest; a tap closes the menu, and so
    // do Enter, Space and Escape once Tab has reached it.
    MouseArea {
        id: closeMenuArea
        objectName: "closeMenuArea"
        x: mainLayer.x
        width: mainLayer.width
        height: mainLayer.height
        enabled: root.controller.isLastStateRight
        visible: enabled
        activeFocusOnTab: true
        onClicked: root.controller.tapped()
        Keys.onReturnPressed: root.controller.tapped()
        Keys.onSpacePressed: root.controller.tapped()
        Keys.onEscapePressed: root.controller.tapped()
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("关闭菜单")
        Accessible.onPressAction: root.controller.tapped()
        Rectangle {
            anchors.fill: parent
            visible: closeMenuArea.activeFocus
            color: "transparent"
            border.width: 2
            border.color: Theme.accent
        }
    }

    DragHandler {
        id: drag
        target: null
        yAxis.enabled: false
        property real last: 0
        onActiveChanged: {
            if (active) {
                last = 0
                root.controller.panBegan()
            } else {
                root.controller.panEnded()
            }
        }
        onTranslationChanged: {
            if (!active)
                return
            root.controller.panMoved(translation.x - last)
            last = translation.x
        }
    }
}
