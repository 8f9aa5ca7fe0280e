import QtQuick
import Zephyr.Ui
import QtQuick.Controls

// A picture button of at least 44 × 44 points: bars, rows and panels. Its text is its name for
// screen readers; the picture answers a press by fading.
AbstractButton {
    id: control

    property string image: ""
    property int iconSize: 24

    implicitWidth: Math.max(Theme.touchTarget, iconSize)
    implicitHeight: Math.max(Theme.touchTarget, iconSize)
    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: clicked()

    contentItem: Item {
        Image {
            anchors.centerIn: parent
            source: Theme.image(control.image)
            sourceSize.width: control.iconSize
            fillMode: Image.PreserveAspectFit
            opacity: control.pressed ? 0.5 : (control.enabled ? 1 : 0.4)
        }
    }
    background: Rectangle {
        color: "transparent"
        radius: Theme.buttonRadius
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.white
    }
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
}
