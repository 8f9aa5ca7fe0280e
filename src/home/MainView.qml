import QtQuick
import QtQuick.Controls
import Zephyr.Ui
import Zephyr.Home

// The main screen: the bar with the menu button, the filter title and the help button; the
// history below it; the footer with the PC browser, the quick-transfer disc and remote control.
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
        z: 2
        title: root.controller.title
        titleIcon: "main_icon_popover.png"
        leftIcon: "nav_menu.png"
        leftName: qsTr("菜单")
        rightIcon: "nav_help.png"
        rightName: qsTr("快传说明")
        onLeftClicked: root.menuClicked()
        onRightClicked: root.helpClicked()
        onTitleClicked: root.controller.filterMenuOpen = !root.controller.filterMenuOpen
    }

    Item {
        id: listArea
        anchors.top: bar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: footer.top

        EmptyState {
            anchors.centerIn: parent
            image: "qt_no_quicktransfer0.png"
            text: qsTr("摇一摇手机，电脑上选中的内容就会出现在这里")
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
            anchors.left: parent.left
            anchors.leftMargin: Theme.margin
            anchors.verticalCenter: parent.verticalCenter
            image: root.controller.computerIcon
            pressedImage: root.controller.computerPressedIcon
            text: root.controller.computerName
            onClicked: root.controller.tappedMyComputerButton()
        }
        FooterButton {
            anchors.right: parent.right
            anchors.rightMargin: Theme.margin
            anchors.verticalCenter: parent.verticalCenter
            image: root.controller.remoteIcon
            pressedImage: root.controller.remotePressedIcon
            text: root.controller.remoteName
            onClicked: root.controller.tappedRemoteControlButton()
        }
    }

    // The quick-transfer disc stands out of the footer, centred 64 points above the bottom.
    AbstractButton {
        id: sendDisc
        objectName: "sendButton"
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
        scale: pressed ? 0.94 : 1
        Behavior on scale { NumberAnimation { duration: 100 } }
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
