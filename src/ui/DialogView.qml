pragma ComponentBehavior: Bound
import QtQuick
import Zephyr.Ui
import QtQuick.Controls

// The window's alert (in the middle) or action sheet (from the bottom), as the dialog centre
// holds it.
Item {
    id: root

    required property DialogCenter dialogs

    readonly property bool shown: dialogs.kind !== DialogCenter.None
    readonly property bool isSheet: dialogs.kind === DialogCenter.Sheet

    visible: dim.opacity > 0

    onShownChanged: if (shown) focusTimer.start()
    Timer {
        id: focusTimer
        interval: 0
        onTriggered: {
            const first = root.isSheet ? sheetButtons.itemAt(0) : alertButtons.itemAt(0)
            if (first)
                first.forceActiveFocus()
        }
    }

    Rectangle {
        id: dim
        anchors.fill: parent
        color: Theme.dimming
        opacity: root.shown ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: Theme.fade } }
        MouseArea {
            anchors.fill: parent
            onClicked: if (root.isSheet) root.dialogs.dismiss()
        }
    }

    Keys.onEscapePressed: root.dialogs.dismiss()

    // The alert.
    Rectangle {
        id: alert
        visible: root.shown && !root.isSheet
        anchors.centerIn: parent
        width: Math.min(270, root.width - 4 * Theme.margin)
        height: alertColumn.implicitHeight
        radius: Theme.panelRadius
        color: Theme.sheetBackground
        Accessible.role: Accessible.AlertMessage
        Accessible.name: root.dialogs.title.length > 0 ? root.dialogs.title : root.dialogs.message

        Column {
            id: alertColumn
            width: parent.width
            Item { width: 1; height: Theme.margin + 4 }
            Text {
                visible: text.length > 0
                x: Theme.margin
                width: parent.width - 2 * Theme.margin
                text: root.dialogs.title
                color: Theme.text
                font.pixelSize: Theme.buttonSize
                font.bold: true
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
            Text {
                visible: text.length > 0
                x: Theme.margin
                width: parent.width - 2 * Theme.margin
                topPadding: 4
                text: root.dialogs.message
                color: Theme.text
                font.pixelSize: Theme.secondarySize
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
            Item { width: 1; height: Theme.margin + 4 }
            Rectangle { width: parent.width; height: 1; color: Theme.separator }
            Row {
                width: parent.width
                Repeater {
                    id: alertButtons
                    model: root.isSheet ? [] : root.dialogs.buttons
                    delegate: DialogButton {
                        required property int index
                        required property string modelData
                        width: alertColumn.width / Math.max(1, alertButtons.count)
                        text: modelData
                        destructive: index === root.dialogs.destructiveIndex
                        bold: index === alertButtons.count - 1
                        onClicked: root.dialogs.choose(index)
                        KeyNavigation.right: alertButtons.itemAt(index + 1)
                        KeyNavigation.tab: alertButtons.itemAt((index + 1) % alertButtons.count)
                    }
                }
            }
        }
    }

    // The action sheet.
    Column {
        id: sheet
        visible: root.isSheet || slide.running
        x: Theme.gap
        width: root.width - 2 * Theme.gap
        y: root.isSheet ? root.height - height - Theme.gap : root.height
        Behavior on y { NumberAnimation { id: slide; duration: Theme.fade; easing.type: Easing.OutCubic } }
        spacing: Theme.gap

        Rectangle {
            width: parent.width
            height: sheetColumn.implicitHeight
            radius: Theme.panelRadius
            color: Theme.sheetBackground
            clip: true
            Column {
                id: sheetColumn
                width: parent.width
                Text {
                    visible: text.length > 0
                    width: parent.width
                    padding: Theme.wideGap
                    text: root.dialogs.title
                    color: Theme.secondary
                    font.pixelSize: Theme.secondarySize
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                }
                Repeater {
                    id: sheetButtons
                    model: root.isSheet ? Math.max(0, root.dialogs.buttons.length - 1) : 0
                    delegate: Column {
                        id: entry
                        required property int index
                        readonly property string modelData: root.dialogs.buttons[index] ?? ""
                        width: sheetColumn.width
                        function forceActiveFocus() { entryButton.forceActiveFocus() }
                        Rectangle {
                            visible: entry.index > 0 || root.dialogs.title.length > 0
                            width: parent.width
                            height: 1
                            color: Theme.separator
                        }
                        DialogButton {
                            id: entryButton
                            width: parent.width
                            text: entry.modelData
                            destructive: entry.index === root.dialogs.destructiveIndex
                            onClicked: root.dialogs.choose(entry.index)
                        }
                    }
                }
            }
        }
        Rectangle {
            width: parent.width
            height: Theme.touchTarget + 12
            radius: Theme.panelRadius
            color: Theme.sheetBackground
            DialogButton {
                anchors.fill: parent
                text: root.dialogs.buttons.length > 0
                      ? root.dialogs.buttons[root.dialogs.buttons.length - 1] : ""
                bold: true
                onClicked: root.dialogs.dismiss()
            }
        }
    }

    component DialogButton: AbstractButton {
        id: button
        property bool destructive: false
        property bool bold: false
        implicitHeight: Theme.touchTarget + 12
        focusPolicy: Qt.StrongFocus
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: clicked()
        Keys.onReturnPressed: clicked()
        Keys.onEnterPressed: clicked()
        contentItem: Text {
            text: button.text
            color: button.destructive ? Theme.destructive : Theme.accent
            font.pixelSize: Theme.buttonSize
            font.bold: button.bold
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        background: Rectangle {
            color: button.pressed ? Theme.rowPressed : "transparent"
            border.width: button.visualFocus ? 2 : 0
            border.color: Theme.accent
        }
    }
}
