import QtQuick
import Zephyr.Ui
import Zephyr.Shell

// The connection screen: the WiFi line, the PC on its disc with the spinner around it, and the
// offer to apply for administrator rights. When the screen closes, the disc falls into the main
// screen's send button while the rest fades.
OverlayBarScreen {
    id: screen

    required property LoginViewController controller
    // Where the disc falls: the main screen's send button, in this screen's coordinates.
    property point fallTarget: Qt.point(width / 2, height - 64)

    screenController: controller
    fadeOutDuration: Theme.panel

    // The outcome can come before the view exists: the fall starts with it.
    Component.onCompleted: if (screen.controller.closing) screen.startFall(screen.controller.fallDuration)

    function startFall(duration) {
        const start = disc.mapToItem(screen.parent, 0, 0)
        disc.parent = screen.parent
        disc.x = start.x
        disc.y = start.y
        fallX.to = screen.fallTarget.x - disc.width / 2
        fallY.to = screen.fallTarget.y - disc.height / 2
        fallX.duration = duration * 1000
        fallY.duration = duration * 1000
        fall.start()
    }
    Connections {
        target: screen.controller
        function onStartFallDownSendButton(duration) { screen.startFall(duration) }
    }
    ParallelAnimation {
        id: fall
        NumberAnimation { id: fallX; target: disc; property: "x"; easing.type: Easing.InCubic }
        NumberAnimation { id: fallY; target: disc; property: "y"; easing.type: Easing.InCubic }
        NumberAnimation { target: disc; property: "scale"; to: 0.5; duration: Theme.panel; easing.type: Easing.InCubic }
    }

    Item {
        id: page
        anchors.fill: parent

        // The WiFi line on a blue pill, so its white picture reads on any background.
        Rectangle {
            id: wifiLine
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.top: parent.top
            anchors.topMargin: 40
            width: Math.min(wifiRow.implicitWidth + 2 * Theme.margin, page.width - 2 * Theme.margin)
            height: 36
            radius: height / 2
            color: Theme.accent
            Row {
                id: wifiRow
                anchors.centerIn: parent
                Image {
                    anchors.verticalCenter: parent.verticalCenter
                    source: Theme.image("login_icon_wifi.png")
                    sourceSize.width: 20
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    width: Math.min(implicitWidth, page.width - 4 * Theme.margin - 20)
                    text: screen.controller.wifiText
                    color: Theme.white
                    font.pixelSize: Theme.bodySize
                    font.bold: true
                    elide: Text.ElideMiddle
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text.trim()
                }
            }
        }

        Image {
            id: spinner
            objectName: "spinner"
            visible: screen.controller.loading
            width: disc.width + 36
            height: width
            x: (page.width - width) / 2
            y: disc.y + (disc.height - height) / 2
            source: Theme.image("loading_purple2.png")
            sourceSize.width: width
            Accessible.role: Accessible.Animation
            Accessible.name: screen.controller.title
            RotationAnimator on rotation {
                from: 0
                to: 360
                duration: 1000
                loops: Animation.Infinite
                running: spinner.visible
            }
        }

        Rectangle {
            id: disc
            objectName: "pcDisc"
            width: 120
            height: 120
            radius: width / 2
            x: (page.width - width) / 2
            y: wifiLine.y + wifiLine.height + 64
            color: screen.controller.roundBlue ? Theme.accent : Theme.white
            Behavior on color { ColorAnimation { duration: Theme.panel } }
            Image {
                anchors.centerIn: parent
                source: Theme.image(screen.controller.pcIcon)
                sourceSize.width: 64
            }
        }

        Text {
            id: hintText
            anchors.top: disc.bottom
            anchors.topMargin: 44
            anchors.horizontalCenter: parent.horizontalCenter
            width: parent.width - 2 * Theme.margin
            text: screen.controller.hint
            color: Theme.text
            font.pixelSize: Theme.secondarySize
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
        }

        FlatButton {
            id: apply
            objectName: "applyButton"
            readonly property real shownY: hintText.y + hintText.height + 2 * Theme.wideGap
            x: Theme.margin
            width: page.width - 2 * Theme.margin
            height: Theme.touchTarget
            y: screen.controller.authOffered ? shownY : page.height
            opacity: screen.controller.authOffered ? 1 : 0
            visible: opacity > 0
            enabled: screen.controller.authOffered && !screen.controller.loading
            text: screen.controller.applyTitle
            Behavior on y { NumberAnimation { duration: Theme.panel; easing.type: Easing.OutCubic } }
            Behavior on opacity { NumberAnimation { duration: Theme.panel; easing.type: Easing.OutCubic } }
            onClicked: screen.controller.tappedAuthButton()
        }
        FlatButton {
            objectName: "declineButton"
            anchors.top: apply.bottom
            anchors.topMargin: Theme.wideGap
            anchors.horizontalCenter: parent.horizontalCenter
            visible: screen.controller.authOffered
            text: screen.controller.declineTitle
            face: "transparent"
            pressedFace: Theme.rowPressed
            textColour: Theme.accent
            fontSize: Theme.bodySize
            onClicked: screen.controller.tappedNotAuthButton()
        }
    }
}
