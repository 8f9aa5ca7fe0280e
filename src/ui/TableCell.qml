import QtQuick
import Zephyr.Ui
import QtQuick.Controls

// A row that acts as soon as a touch lands on it (highlighted), as the lists of this
// application do, and on Enter from the keyboard.
AbstractButton {
    id: cell

    property color normalColour: Theme.rowBackground
    property color highlightColour: Theme.rowPressed
    property bool highlightedByTouch: false
    // Keeps the highlighted look while the row's screen opens (the list decides).
    property bool selectedLook: false
    property bool separator: true
    property color separatorColour: Theme.separator

    signal activated()

    focusPolicy: Qt.StrongFocus
    Accessible.role: Accessible.ListItem
    Accessible.name: text
    Accessible.onPressAction: activated()
    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()
    onPressed: {
        highlightedByTouch = true
        activated()
    }
    onReleased: highlightedByTouch = false
    onCanceled: highlightedByTouch = false

    background: Rectangle {
        color: cell.highlightedByTouch || cell.down || cell.selectedLook ? cell.highlightColour : cell.normalColour
        border.width: cell.visualFocus ? 2 : 0
        border.color: Theme.accent
        Rectangle {
            visible: cell.separator
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: cell.separatorColour
        }
    }
}
