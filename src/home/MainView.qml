pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Zephyr.Ui
import Zephyr.Home

// The main screen: the bar with the menu (or back) button, the filter title, the edit and help
// buttons; the history below it with the filter menu under the title; the footer with the PC
// browser, the quick-transfer disc and remote control, or the selection bar in selection mode.
Rectangle {
    id: root

    required property MainViewController controller
    // The footer's quick-transfer disc, where the connection screen's picture falls when it
    // closes.
    readonly property point sendButtonCentre: Qt.point(width / 2, height - 64)
    property alias sendButton: sendDisc

    signal menuClicked()
    signal helpClicked()

    color: Theme.listBackground
    Accessible.role: Accessible.Pane
    Accessible.name: controller.title

    Component.onCompleted: controller.viewDidLoad()

    NavBar {
        id: bar
        z: 3
        title: root.controller.title
        titleIcon: root.controller.filtered ? "" : "main_icon_popover.png"
        leftIcon: root.controller.filtered ? "icon_back.png" : "nav_menu.png"
        leftName: root.controller.filtered ? qsTr("返回") : qsTr("菜单")
        rightIcon: "nav_help.png"
        rightName: qsTr("快传说明")
        onLeftClicked: {
            if (root.controller.filtered)
                root.controller.showAllQuickTransferWithoutFilter()
            else
                root.menuClicked()
        }
        onRightClicked: root.helpClicked()
        onTitleClicked: root.controller.filterMenuOpen = !root.controller.filterMenuOpen

        FlatButton {
            objectName: "editButton"
            visible: !root.controller.empty || root.controller.isEditing
            anchors.right: parent.right
            anchors.rightMargin: Theme.touchTarget
            y: Theme.statusBarHeight
            height: Theme.touchTarget
            text: root.controller.editTitle
            face: "transparent"
            pressedFace: Qt.rgba(1, 1, 1, 0.2)
            fontSize: Theme.bodySize
            onClicked: root.controller.edit()
        }
    }

    Item {
        id: listArea
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: footer.top

        EmptyState {
            objectName: "emptyState"
            visible: root.controller.loaded && root.controller.empty
            anchors.centerIn: parent
            image: root.controller.emptyImage
            text: root.controller.filtered ? ""
                                           : qsTr("摇一摇手机，电脑上选中的内容就会出现在这里")
        }

        ListView {
            id: list
            objectName: "quickTransferList"
            anchors.fill: parent
            visible: !root.controller.empty
            model: root.controller.listModel
            // Rows are made as they come into view, never ahead of it: a refresh that resets
            // the rows then never meets a row still being made.
            cacheBuffer: 0
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            keyNavigationEnabled: true
            activeFocusOnTab: true
            Accessible.role: Accessible.List
            Accessible.name: root.controller.title
            ScrollIndicator.vertical: ScrollIndicator {}
            onContentYChanged: {
                const row = indexAt(0, contentY + 1)
                if (row >= 0)
                    root.controller.firstVisibleRow = row
            }
            delegate: QuickTransferRow {
                width: list.width
                editing: root.controller.isEditing
                onContentTapped: (row) => root.controller.tappedRowContent(row)
                onIconTapped: (row) => root.controller.tappedRowIcon(row)
            }
        }
        Connections {
            target: root.controller
            function onScrollToRow(row) { list.positionViewAtIndex(row, ListView.Beginning) }
        }

        // The filter menu, under the title; a tap beside it closes it.
        MouseArea {
            objectName: "filterMenuShade"
            anchors.fill: parent
            visible: filterMenu.opacity > 0
            onClicked: root.controller.filterMenuOpen = false
        }
        Rectangle {
            id: filterMenu
            objectName: "filterMenu"
            anchors.horizontalCenter: parent.horizontalCenter
            y: Theme.gap
            width: 160
            height: filterColumn.height + 2 * Theme.gap
            radius: Theme.panelRadius
            color: Theme.white
            border.color: Theme.separator
            opacity: root.controller.filterMenuOpen ? 1 : 0
            visible: opacity > 0
            Accessible.role: Accessible.PopupMenu
            Accessible.name: qsTr("筛选")
            Behavior on opacity {
                NumberAnimation { duration: Theme.fade; easing.type: Easing.OutCubic }
            }

            Column {
                id: filterColumn
                y: Theme.gap
                width: parent.width
                Repeater {
                    model: root.controller.filterEntries
                    delegate: AbstractButton {
                        id: entry
                        required property var modelData
                        required property int index
                        readonly property bool active: entry.index === root.controller.filterIndex
                        width: filterColumn.width
                        height: Theme.touchTarget
                        text: entry.modelData.label
                        focusPolicy: Qt.StrongFocus
                        enabled: filterMenu.visible
                        Accessible.role: Accessible.MenuItem
                        Accessible.name: text
                        Accessible.checkable: true
                        Accessible.checked: entry.active
                        Accessible.onPressAction: entry.clicked()
                        Keys.onReturnPressed: entry.clicked()
                        onClicked: root.controller.chooseFilter(entry.index)
                        background: Rectangle {
                            color: entry.pressed ? Theme.rowPressed : "transparent"
                            border.width: entry.visualFocus ? 2 : 0
                            border.color: Theme.accent
                        }
                        contentItem: Item {
                            Row {
                                x: Theme.margin
                                anchors.verticalCenter: parent.verticalCenter
                                spacing: Theme.wideGap
                                Image {
                                    anchors.verticalCenter: parent.verticalCenter
                                    source: Theme.image(entry.modelData.icon)
                                    sourceSize.width: 22
                                }
                                Text {
                                    anchors.verticalCenter: parent.verticalCenter
                                    text: entry.text
                                    font.pixelSize: Theme.bodySize
                                    font.bold: entry.active
                                    color: entry.active ? Theme.accent : Theme.text
                                }
                            }
                            Rectangle {
                                visible: entry.active
                                anchors.right: parent.right
                                anchors.rightMargin: Theme.margin
                                anchors.verticalCenter: parent.verticalCenter
                                width: 8
                                height: 8
                                radius: 4
                                color: Theme.accent
                            }
                        }
                    }
                }
            }
        }
    }

    // The footer.
    Rectangle {
        id: footer
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 56
        color: Theme.white
        Rectangle { width: parent.width; height: 1; color: Theme.separator }

        FooterButton {
            visible: !root.controller.isEditing
            anchors.left: parent.left
            anchors.leftMargin: Theme.margin
            anchors.verticalCenter: parent.verticalCenter
            image: root.controller.computerIcon
            pressedImage: root.controller.computerPressedIcon
            text: root.controller.computerName
            onClicked: root.controller.tappedMyComputerButton()
        }
        FooterButton {
            visible: !root.controller.isEditing
            anchors.right: parent.right
            anchors.rightMargin: Theme.margin
            anchors.verticalCenter: parent.verticalCenter
            image: root.controller.remoteIcon
            pressedImage: root.controller.remotePressedIcon
            text: root.controller.remoteName
            onClicked: root.controller.tappedRemoteControlButton()
        }

        // The selection bar: select-all with the count, and delete.
        Item {
            objectName: "selectionBar"
            anchors.fill: parent
            visible: root.controller.isEditing
            BarButton {
                id: selectAll
                objectName: "selectAllButton"
                x: Theme.gap
                anchors.verticalCenter: parent.verticalCenter
                image: root.controller.selectAllIcon
                iconSize: 30
                text: qsTr("全选")
                onClicked: root.controller.selectAll()
            }
            Text {
                anchors.left: selectAll.right
                anchors.verticalCenter: parent.verticalCenter
                text: root.controller.selectedText
                color: Theme.text
                font.pixelSize: Theme.bodySize
            }
            FlatButton {
                objectName: "deleteButton"
                anchors.right: parent.right
                anchors.rightMargin: Theme.margin
                anchors.verticalCenter: parent.verticalCenter
                height: 36
                text: qsTr("删除")
                face: Theme.destructive
                pressedFace: Theme.destructivePressed
                onClicked: root.controller.deleteSelected()
            }
        }
    }

    // The quick-transfer disc stands out of the footer, centred 64 points above the bottom.
    // While the connection screen's picture falls into it the disc is gone; when the picture
    // lands, the disc springs back in its status's look.
    AbstractButton {
        id: sendDisc
        objectName: "sendButton"
        readonly property bool falling: root.controller.sendButtonFalling
        visible: !root.controller.isEditing
        enabled: !falling
        x: root.sendButtonCentre.x - width / 2
        y: root.sendButtonCentre.y - height / 2
        width: 76
        height: 76
        focusPolicy: Qt.StrongFocus
        text: root.controller.shakeName
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: clicked()
        Keys.onReturnPressed: clicked()
        onClicked: root.controller.tappedQuickTransferButton()
        opacity: falling ? 0 : 1
        scale: falling ? 0.6 : pressed ? 0.94 : 1
        Behavior on opacity { NumberAnimation { duration: sendDisc.falling ? 100 : Theme.fade } }
        Behavior on scale {
            NumberAnimation {
                duration: sendDisc.pressed ? 100 : Theme.fade
                easing.type: sendDisc.pressed ? Easing.OutQuad : Easing.OutBack
            }
        }
        background: Rectangle {
            radius: width / 2
            color: root.controller.shakeOnBlue ? Theme.accent : Theme.white
            border.width: sendDisc.visualFocus ? 3 : 1
            border.color: sendDisc.visualFocus ? Theme.text : Theme.separator
        }
        contentItem: Item {
            Image {
                anchors.centerIn: parent
                source: Theme.image(root.controller.shakeIcon)
                sourceSize.width: 48
            }
        }
    }

    component FooterButton: AbstractButton {
        id: button
        property string image
        property string pressedImage
        width: 96
        height: 52
        focusPolicy: Qt.StrongFocus
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: clicked()
        Keys.onReturnPressed: clicked()
        contentItem: Column {
            spacing: 2
            Image {
                anchors.horizontalCenter: parent.horizontalCenter
                source: Theme.image(button.pressed ? button.pressedImage : button.image)
                sourceSize.width: 30
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: button.text
                color: Theme.secondary
                font.pixelSize: Theme.smallSize
            }
        }
        background: Rectangle {
            color: "transparent"
            radius: Theme.buttonRadius
            border.width: button.visualFocus ? 2 : 0
            border.color: Theme.accent
        }
    }
}
