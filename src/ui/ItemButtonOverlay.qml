pragma ComponentBehavior: Bound
import QtQuick
import Zephyr.Ui
import QtQuick.Controls

// An overlay whose round item buttons fly in one after another (one every 0.1 s, as its
// controller counts them) and fly out the same way before the screen fades over 0.3 s.
// A touch shrinks a button; a choice plays a short pulse and then reports itemChosen(index).
OverlayScreen {
    id: screen

    // Each entry: { title, icon, colour }.
    property var items: []
    property int columns: 3
    property int itemSize: 72
    property ItemButtonScreenController itemController

    signal itemChosen(int index)

    screenController: itemController
    fadeOutDuration: 300

    Component.onCompleted: if (itemController) itemController.showInView()

    Grid {
        id: grid
        anchors.centerIn: parent
        columns: screen.columns
        columnSpacing: 2 * Theme.margin
        rowSpacing: 2 * Theme.margin

        Repeater {
            id: repeater
            model: screen.items
            delegate: Item {
                id: slot
                required property int index
                required property var modelData
                readonly property bool flown: screen.itemController
                                              && index < screen.itemController.itemsShown
                width: screen.itemSize
                height: screen.itemSize + 24

                AbstractButton {
                    id: button
                    width: screen.itemSize
                    height: slot.height
                    y: slot.flown ? 0 : screen.height
                    opacity: slot.flown ? 1 : 0
                    scale: pressed ? 0.85 : (pulse.running ? pulse.value : 1)
                    Behavior on y { NumberAnimation { duration: Theme.slide; easing.type: Easing.OutCubic } }
                    Behavior on opacity { NumberAnimation { duration: Theme.slide } }
                    Behavior on scale { NumberAnimation { duration: Theme.fade } }
                    focusPolicy: Qt.StrongFocus
                    text: slot.modelData.title
                    Accessible.role: Accessible.Button
                    Accessible.name: text
                    Accessible.onPressAction: button.choose()
                    Keys.onReturnPressed: button.choose()
                    Keys.onEnterPressed: button.choose()
                    onClicked: choose()

                    function choose() { pulse.start() }

                    SequentialAnimation {
                        id: pulse
                        property real value: 1
                        NumberAnimation { target: pulse; property: "value"; to: 1.15; duration: 150 }
                        NumberAnimation { target: pulse; property: "value"; to: 1; duration: 150 }
                        onFinished: screen.itemChosen(slot.index)
                    }

                    contentItem: Column {
                        spacing: 6
                        Rectangle {
                            width: screen.itemSize
                            height: screen.itemSize
                            radius: width / 2
                            color: slot.modelData.colour
                            border.width: button.visualFocus ? 3 : 0
                            border.color: Theme.white
                            Image {
                                anchors.centerIn: parent
                                source: Theme.image(slot.modelData.icon)
                                sourceSize.width: screen.itemSize / 2
                            }
                        }
                        Text {
                            width: screen.itemSize
                            text: slot.modelData.title
                            color: Theme.white
                            font.pixelSize: Theme.secondarySize
                            horizontalAlignment: Text.AlignHCenter
                            elide: Text.ElideRight
                        }
                    }
                    background: Item {}
                }
            }
        }
    }
}
