pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Zephyr.Ui
import Zephyr.Shell

// The first-launch guide: two pages over the bar's gradient, the pictures first, then the
// slogan with the start button and the agreement check box and link. The start button fades
// the guide out.
Item {
    id: root

    required property GuideController controller

    visible: controller.visible
    Accessible.role: Accessible.Pane
    Accessible.name: controller.startTitle

    Connections {
        target: root.controller
        function onDismissRequested() { fade.start() }
    }

    NumberAnimation {
        id: fade
        target: root
        property: "opacity"
        to: 0
        duration: Theme.panel
        easing.type: Easing.InCubic
        onFinished: root.controller.finishDismiss()
    }

    // Nothing under the guide reacts.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        onWheel: (wheel) => wheel.accepted = true
    }
    Image {
        anchors.fill: parent
        source: Theme.image("nav_color_gradient.png")
        fillMode: Image.Stretch
    }

    SwipeView {
        id: pages
        objectName: "guidePages"
        anchors.fill: parent
        currentIndex: root.controller.page
        onCurrentIndexChanged: root.controller.page = currentIndex

        Item {
            Column {
                anchors.centerIn: parent
                anchors.verticalCenterOffset: -Theme.touchTarget
                spacing: 2 * Theme.margin
                Rectangle {
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 260
                    height: 260
                    radius: width / 2
                    color: Theme.white
                    Image {
                        anchors.centerIn: parent
                        source: Theme.image("guide_top.png")
                        sourceSize.width: 220
                    }
                }
                Image {
                    anchors.horizontalCenter: parent.horizontalCenter
                    source: Theme.image("guide_text.png")
                    sourceSize.width: 300
                    Accessible.role: Accessible.StaticText
                    Accessible.name: "ZephyrWiFi"
                }
            }
        }

        Item {
            Column {
                anchors.centerIn: parent
                width: parent.width - 4 * Theme.margin
                spacing: 2 * Theme.margin
                Rectangle {
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 280
                    height: 72
                    radius: height / 2
                    color: Theme.white
                    Image {
                        anchors.centerIn: parent
                        source: Theme.image("guide_files_icon.png")
                        sourceSize.width: 240
                    }
                }
                Text {
                    width: parent.width
                    text: root.controller.text
                    color: Theme.white
                    font.pixelSize: Theme.buttonSize
                    font.bold: true
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                }
                FlatButton {
                    objectName: "startButton"
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 200
                    height: 48
                    text: root.controller.startTitle
                    enabled: root.controller.startEnabled
                    face: Theme.white
                    pressedFace: Theme.rowPressed
                    textColour: Theme.accent
                    opacity: enabled ? 1 : 0.6
                    onClicked: root.controller.tappedStartButton()
                }
                Row {
                    anchors.horizontalCenter: parent.horizontalCenter
                    AbstractButton {
                        id: check
                        objectName: "agreeCheck"
                        width: Theme.touchTarget
                        height: Theme.touchTarget
                        checkable: false
                        focusPolicy: Qt.StrongFocus
                        Accessible.role: Accessible.CheckBox
                        Accessible.name: root.controller.checkName
                        Accessible.checked: root.controller.checked
                        Accessible.onPressAction: root.controller.tappedCheckButton()
                        onClicked: root.controller.tappedCheckButton()
                        Keys.onSpacePressed: root.controller.tappedCheckButton()
                        contentItem: Item {
                            Image {
                                anchors.centerIn: parent
                                source: Theme.image(root.controller.checkImage)
                                sourceSize.width: 20
                            }
                        }
                        background: Rectangle {
                            color: "transparent"
                            radius: Theme.buttonRadius
                            border.width: check.visualFocus ? 2 : 0
                            border.color: Theme.white
                        }
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: root.controller.agreeWord
                        color: Theme.white
                        font.pixelSize: Theme.secondarySize
                    }
                    AbstractButton {
                        id: link
                        objectName: "agreementLink"
                        height: Theme.touchTarget
                        focusPolicy: Qt.StrongFocus
                        text: root.controller.agreementTitle
                        Accessible.role: Accessible.Link
                        Accessible.name: text
                        Accessible.onPressAction: root.controller.tappedShowUserAgreementButton()
                        onClicked: root.controller.tappedShowUserAgreementButton()
                        Keys.onReturnPressed: root.controller.tappedShowUserAgreementButton()
                        contentItem: Text {
                            text: link.text
                            color: Theme.white
                            font.pixelSize: Theme.secondarySize
                            font.underline: true
                            verticalAlignment: Text.AlignVCenter
                            opacity: link.pressed ? 0.6 : 1
                        }
                        background: Rectangle {
                            color: "transparent"
                            border.width: link.visualFocus ? 2 : 0
                            border.color: Theme.white
                        }
                    }
                }
            }
        }
    }

    // Which page is on screen.
    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 2 * Theme.margin
        spacing: Theme.gap
        Repeater {
            model: root.controller.pageCount
            Rectangle {
                required property int index
                width: Theme.gap
                height: Theme.gap
                radius: width / 2
                color: Theme.white
                opacity: index === pages.currentIndex ? 1 : 0.4
            }
        }
    }
}
