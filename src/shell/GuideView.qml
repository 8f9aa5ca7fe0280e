import QtQuick
import QtQuick.Controls
import Zephyr.Shell

// The first-launch guide: pictures, the slogan, the start button and the agreement check box.
Rectangle {
    id: root

    required property GuideController controller

    color: "#2b2d6e"
    visible: controller.visible
    opacity: 1

    Connections {
        target: root.controller
        function onDismissRequested() { fade.start() }
        function onShowAgreementRequested(resource) { agreement.open() }
    }

    NumberAnimation {
        id: fade
        target: root
        property: "opacity"
        to: 0
        duration: 500
        onFinished: root.controller.finishDismiss()
    }

    MouseArea { anchors.fill: parent }

    Column {
        anchors.centerIn: parent
        width: parent.width - 48
        spacing: 18

        Image {
            source: "qrc:/images/guide_top.png"
            anchors.horizontalCenter: parent.horizontalCenter
        }
        Image {
            source: "qrc:/images/guide_files_icon.png"
            anchors.horizontalCenter: parent.horizontalCenter
        }
        Text {
            width: parent.width
            text: root.controller.text
            color: "white"
            font.pixelSize: 17
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
        }
        Button {
            objectName: "startButton"
            text: root.controller.startTitle
            enabled: root.controller.startEnabled
            anchors.horizontalCenter: parent.horizontalCenter
            onClicked: root.controller.tappedStartButton()
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 6
            Image {
                source: "qrc:/images/" + root.controller.checkImage
                width: 20
                height: 20
                MouseArea {
                    anchors.fill: parent
                    onClicked: root.controller.tappedCheckButton()
                }
            }
            Text {
                text: root.controller.agreeWord
                color: "white"
                font.pixelSize: 13
            }
            Text {
                text: root.controller.agreementTitle
                color: "#8fd3ff"
                font.pixelSize: 13
                MouseArea {
                    anchors.fill: parent
                    onClicked: root.controller.tappedShowUserAgreementButton()
                }
            }
        }
    }

    Popup {
        id: agreement
        objectName: "agreementPopup"
        modal: true
        anchors.centerIn: parent
        width: parent.width - 24
        height: parent.height - 48
        Flickable {
            anchors.fill: parent
            contentHeight: agreementText.implicitHeight
            clip: true
            Text {
                id: agreementText
                width: parent.width
                text: agreement.opened ? root.controller.agreementHtml() : ""
                textFormat: Text.RichText
                wrapMode: Text.Wrap
                font.pixelSize: 14
            }
        }
    }
}
