import QtQuick
import Zephyr.Ui
import QtQuick.Controls

// A text button with a coloured face: bold 17 points, radius 3, darker while pressed.
AbstractButton {
    id: control

    property color face: Theme.accent
    property color pressedFace: Theme.accentPressed
    property color textColour: Theme.white
    property int fontSize: Theme.buttonSize

    implicitWidth: Math.max(Theme.touchTarget, contentItem.implicitWidth + 2 * Theme.margin)
    implicitHeight: Theme.touchTarget
    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: clicked()

    contentItem: Text {
        text: control.text
        color: control.enabled ? control.textColour : Theme.hint
        font.pixelSize: control.fontSize
        font.bold: true
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        radius: Theme.buttonRadius
        color: control.pressed ? control.pressedFace : control.face
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.text
    }
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
}
