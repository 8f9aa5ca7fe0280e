pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Zephyr.Ui
import Zephyr.Home

// The transfer panel: the main screen dims, a card slides up, and a paper plane leaves the PC;
// it hovers over its flame until the result is there, which the card then shows with its
// buttons, or the failure with a retry.
OverlayScreen {
    id: root

    required property QuickTransferAnimationViewController controller
    readonly property int stage: controller.stage
    readonly property bool flying: stage === QuickTransferAnimationViewController.Opening
                                   || stage === QuickTransferAnimationViewController.Flying
                                   || stage === QuickTransferAnimationViewController.Waiting

    screenController: controller
    plainBackground: "transparent"
    fadeOutDuration: Theme.panel

    Component.onCompleted: controller.showInView()

    // 1 while the card is below the window, 0 when it stands in place.
    property real slide

    NumberAnimation on slide {
        from: 1
        to: 0
        duration: Theme.panel
        easing.type: Easing.OutCubic
    }
    NumberAnimation {
        id: slideOut
        target: root
        property: "slide"
        to: 1
        duration: Theme.panel
        easing.type: Easing.InCubic
    }
    Connections {
        target: root.controller
        function onClosingChanged() {
            if (root.controller.closing)
                slideOut.start()
        }
    }

    Rectangle {
        id: dimming
        anchors.fill: parent
        color: Theme.dimming
        opacity: 1 - root.slide
    }

    Rectangle {
        id: card
        objectName: "panel"
        width: Math.min(root.width - 2 * Theme.margin - 2 * Theme.wideGap, 320)
        height: Math.min(root.height - 2 * Theme.barHeight, 420)
        x: (root.width - width) / 2
        readonly property real restY: (root.height - height) / 2
        y: restY + root.slide * (root.height - restY)
        radius: Theme.panelRadius
        color: Theme.sheetBackground
        clip: true
        Accessible.role: Accessible.Dialog
        Accessible.name: root.controller.waitingText

        // The sky of the flight, in the accent blue.
        Rectangle {
            id: sky
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: root.flying ? parent.height : 0
            visible: root.flying
            radius: Theme.panelRadius
            color: Theme.white

            // A light sky: the accent blue thinned over white, so the blue plane stands out.
            Rectangle {
                anchors.fill: parent
                radius: Theme.panelRadius
                color: Theme.accent
                opacity: 0.14
            }

            // Streamlines drift past the plane.
            Repeater {
                model: 4
                delegate: Rectangle {
                    id: line
                    required property int index
                    width: 36 + 14 * (index % 2)
                    height: 2
                    radius: 1
                    color: Theme.accent
                    opacity: 0.35
                    y: sky.height * (0.22 + 0.14 * index)
                    visible: root.stage === QuickTransferAnimationViewController.Waiting
                    NumberAnimation on x {
                        running: line.visible
                        loops: Animation.Infinite
                        from: sky.width + line.index * 40
                        to: -line.width - (3 - line.index) * 40
                        duration: Theme.plane
                    }
                }
            }

            Image {
                id: pc
                source: Theme.image(root.controller.pcImage)
                width: 120
                height: 100
                sourceSize.width: 120
                sourceSize.height: 100
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 70
                x: root.stage === QuickTransferAnimationViewController.Waiting
                   ? -width - Theme.margin : Theme.margin
                visible: x > -width
                Behavior on x {
                    NumberAnimation { duration: Theme.panel; easing.type: Easing.InCubic }
                }
            }

            Item {
                id: plane
                width: 180
                height: 120
                x: (sky.width - width) / 2 + 20
                y: sky.height * 0.30
                property real frame
                property real hover
                transform: Translate { y: plane.hover }

                Image {
                    id: flame
                    property real frame
                    source: Theme.image(root.controller.fireFrames[Math.min(2, Math.floor(frame))])
                    width: 60
                    height: 30
                    sourceSize.width: 60
                    sourceSize.height: 30
                    // The wide end of the flame sits at the plane's tail.
                    x: -3
                    y: 46
                    visible: root.stage === QuickTransferAnimationViewController.Waiting
                    NumberAnimation on frame {
                        running: flame.visible
                        loops: Animation.Infinite
                        from: 0
                        to: 3
                        duration: Theme.plane
                    }
                }
                Image {
                    anchors.fill: parent
                    source: Theme.image(root.controller.planeFrames[Math.min(11, Math.floor(plane.frame))])
                    sourceSize.width: 180
                    sourceSize.height: 120
                }

                NumberAnimation on frame {
                    running: root.stage === QuickTransferAnimationViewController.Flying
                    from: 0
                    to: 12
                    duration: Theme.plane
                }
                SequentialAnimation on hover {
                    running: root.stage === QuickTransferAnimationViewController.Waiting
                    loops: Animation.Infinite
                    NumberAnimation { from: 0; to: -5; duration: Theme.plane; easing.type: Easing.InOutSine }
                    NumberAnimation { from: -5; to: 0; duration: Theme.plane; easing.type: Easing.InOutSine }
                }
                states: State {
                    when: root.stage === QuickTransferAnimationViewController.Waiting
                    PropertyChanges { plane.frame: 11 }
                }
            }

            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 28
                text: root.controller.waitingText
                color: Theme.accent
                font.pixelSize: Theme.bodySize
                font.bold: true
                opacity: root.stage === QuickTransferAnimationViewController.Waiting ? 1 : 0
                Behavior on opacity { NumberAnimation { duration: Theme.fade } }
            }
        }

        // The result: the sender, the content and its buttons.
        Item {
            id: result
            anchors.fill: parent
            visible: root.stage === QuickTransferAnimationViewController.Result
                     || (root.stage === QuickTransferAnimationViewController.Unknown
                         && root.controller.kind === QuickTransferAnimationViewController.ImageKind)

            Text {
                id: from
                anchors.top: parent.top
                anchors.topMargin: Theme.margin + 4
                anchors.left: parent.left
                anchors.leftMargin: Theme.margin
                anchors.right: parent.right
                anchors.rightMargin: Theme.touchTarget
                // The sender; on the screenshot path, why a screenshot came instead.
                text: root.stage === QuickTransferAnimationViewController.Unknown
                      ? root.controller.unknownText : root.controller.fromText
                color: Theme.secondary
                font.pixelSize: Theme.secondarySize
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
            }

            AbstractButton {
                id: content
                objectName: "contentButton"
                anchors.top: from.bottom
                anchors.topMargin: Theme.wideGap
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: Theme.margin
                anchors.bottom: buttons.top
                anchors.bottomMargin: Theme.wideGap
                contentItem: Item {}
                focusPolicy: Qt.StrongFocus
                text: root.controller.contentName
                Accessible.role: Accessible.Button
                Accessible.name: text
                Accessible.onPressAction: clicked()
                onClicked: root.controller.tappedContentButton()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()

                background: Rectangle {
                    radius: Theme.panelRadius
                    color: content.pressed ? Theme.rowPressed : Theme.listBackground
                    border.width: content.visualFocus ? 2 : 0
                    border.color: Theme.accent
                }
            }

            // What the content button shows; it takes no touches, the button under it does.
            Item {
                id: contentBox
                anchors.fill: content
                // A text: the text itself, wrapped and cut at the end.
                Text {
                    anchors.fill: parent
                    anchors.margins: Theme.wideGap
                    visible: root.controller.kind === QuickTransferAnimationViewController.TextKind
                    text: root.controller.contentTitle
                    color: Theme.text
                    font.pixelSize: Theme.bodySize
                    wrapMode: Text.Wrap
                    elide: Text.ElideRight
                    verticalAlignment: Text.AlignVCenter
                    horizontalAlignment: Text.AlignHCenter
                }
                // An image or the screenshot: the picture in a 1-point white frame, from the
                // list's provider; a file that cannot be read shows neither.
                Rectangle {
                    anchors.centerIn: parent
                    visible: root.controller.kind === QuickTransferAnimationViewController.ImageKind
                             && picture.status === Image.Ready
                    width: picture.paintedWidth + 2
                    height: picture.paintedHeight + 2
                    color: Theme.white
                    Image {
                        id: picture
                        objectName: "picture"
                        anchors.centerIn: parent
                        width: contentBox.width - 12
                        height: contentBox.height - 12
                        source: root.controller.picture
                        fillMode: Image.PreserveAspectFit
                        asynchronous: true
                    }
                }
                // A link, a document, music, video or a folder: icon, name and detail.
                Column {
                    anchors.centerIn: parent
                    width: parent.width - 2 * Theme.wideGap
                    spacing: Theme.gap
                    visible: root.controller.kind !== QuickTransferAnimationViewController.TextKind
                             && root.controller.kind !== QuickTransferAnimationViewController.ImageKind
                    Image {
                        anchors.horizontalCenter: parent.horizontalCenter
                        source: Theme.image(root.controller.contentIcon)
                        width: 60
                        height: 60
                        sourceSize.width: 60
                        sourceSize.height: 60
                    }
                    Text {
                        width: parent.width
                        text: root.controller.contentTitle
                        color: Theme.text
                        font.pixelSize: Theme.bodySize
                        font.bold: true
                        horizontalAlignment: Text.AlignHCenter
                        wrapMode: Text.Wrap
                        maximumLineCount: 2
                        elide: Text.ElideMiddle
                    }
                    Text {
                        width: parent.width
                        text: root.controller.contentDetail
                        visible: text.length > 0
                        color: Theme.secondary
                        font.pixelSize: Theme.secondarySize
                        horizontalAlignment: Text.AlignHCenter
                        elide: Text.ElideMiddle
                    }
                }
            }

            Row {
                id: buttons
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                anchors.margins: Theme.margin
                height: Theme.touchTarget
                spacing: Theme.wideGap
                readonly property real half: (width - spacing) / 2

                FlatButton {
                    objectName: "shareButton"
                    visible: root.controller.shareVisible
                    width: buttons.half
                    text: root.controller.shareTitle
                    face: Theme.white
                    pressedFace: Theme.rowPressed
                    textColour: Theme.accent
                    onClicked: root.controller.tappedShareButton()
                    Rectangle {
                        anchors.fill: parent
                        radius: Theme.buttonRadius
                        color: "transparent"
                        border.width: 1
                        border.color: Theme.accent
                    }
                }
                FlatButton {
                    objectName: "successButton"
                    visible: root.controller.successVisible
                    width: buttons.half
                    text: root.controller.successTitle
                    onClicked: root.controller.tappedSuccessButton()
                }
                FlatButton {
                    objectName: "leftButton"
                    visible: root.controller.leftRightVisible
                    width: buttons.half
                    text: root.controller.leftTitle
                    face: Theme.positive
                    pressedFace: Theme.positivePressed
                    onClicked: root.controller.tappedLeftButton()
                }
                FlatButton {
                    objectName: "rightButton"
                    visible: root.controller.leftRightVisible
                    width: buttons.half
                    text: root.controller.rightTitle
                    onClicked: root.controller.tappedRightButton()
                }
                FlatButton {
                    objectName: "bottomButton"
                    visible: root.controller.bottomVisible
                    width: buttons.width
                    text: root.controller.bottomTitle
                    onClicked: root.controller.tappedBottomButton()
                }
            }
        }

        // Nothing arrived: the failure picture, its line and the retry.
        Column {
            anchors.centerIn: parent
            width: parent.width - 2 * Theme.margin
            spacing: Theme.wideGap + 4
            visible: root.stage === QuickTransferAnimationViewController.Failed
            Image {
                anchors.horizontalCenter: parent.horizontalCenter
                source: Theme.image(root.controller.failedImage)
                width: 160
                height: 120
                sourceSize.width: 160
                sourceSize.height: 120
            }
            Text {
                width: parent.width
                text: root.controller.failureText
                color: Theme.text
                font.pixelSize: Theme.bodySize
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }
            FlatButton {
                objectName: "retryButton"
                anchors.horizontalCenter: parent.horizontalCenter
                width: 160
                text: root.controller.retryTitle
                onClicked: root.controller.tappedRetryButton()
            }
        }

        // The PC had nothing selected: say so, and wait for its screenshot.
        Column {
            anchors.centerIn: parent
            width: parent.width - 2 * Theme.margin
            spacing: Theme.wideGap
            visible: root.stage === QuickTransferAnimationViewController.Unknown
                     && root.controller.kind !== QuickTransferAnimationViewController.ImageKind
            Image {
                anchors.horizontalCenter: parent.horizontalCenter
                source: Theme.image(root.controller.pcImage)
                width: 120
                height: 100
                sourceSize.width: 120
                sourceSize.height: 100
            }
            Text {
                width: parent.width
                text: root.controller.unknownText
                color: Theme.text
                font.pixelSize: Theme.bodySize
                lineHeight: 1.3
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }
        }
        // The close button, drawn as a cross.
        AbstractButton {
            id: closeButton
            objectName: "closeButton"
            anchors.top: parent.top
            anchors.right: parent.right
            width: Theme.touchTarget
            height: Theme.touchTarget
            z: 2
            focusPolicy: Qt.StrongFocus
            text: root.controller.closeTitle
            Accessible.role: Accessible.Button
            Accessible.name: text
            Accessible.onPressAction: clicked()
            onClicked: root.controller.tappedCloseButton()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            readonly property color ink: Theme.secondary
            contentItem: Item {
                opacity: closeButton.pressed ? 0.5 : 1
                Repeater {
                    model: [45, -45]
                    delegate: Rectangle {
                        required property int modelData
                        anchors.centerIn: parent
                        width: 16
                        height: 2
                        radius: 1
                        rotation: modelData
                        color: closeButton.ink
                    }
                }
            }
            background: Rectangle {
                color: "transparent"
                border.width: closeButton.visualFocus ? 2 : 0
                border.color: Theme.accent
                radius: Theme.buttonRadius
            }
        }
    }
}
