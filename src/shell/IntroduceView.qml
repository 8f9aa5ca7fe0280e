pragma ComponentBehavior: Bound
import QtQuick
import Zephyr.Ui
import Zephyr.Shell

// The quick-transfer introduction: four examples of 230 points each, then the closing line.
OverlayBarScreen {
    id: screen

    required property IntroduceViewController controller

    screenController: controller
    plainBackground: Theme.listBackground

    ListView {
        id: rows
        objectName: "introduceRows"
        anchors.fill: parent
        model: screen.controller.rows
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        activeFocusOnTab: true
        Accessible.role: Accessible.List
        Accessible.name: screen.controller.title
        delegate: Rectangle {
            id: example
            required property string image
            required property string title
            required property string detail
            // The last row has only its centred line.
            readonly property bool closing: image.length === 0
            width: ListView.view.width
            height: 230
            color: closing ? Theme.listBackground : Theme.rowBackground
            Accessible.role: Accessible.ListItem
            Accessible.name: example.title
            Image {
                id: picture
                visible: !example.closing
                anchors.top: parent.top
                anchors.topMargin: Theme.wideGap
                anchors.horizontalCenter: parent.horizontalCenter
                height: 120
                fillMode: Image.PreserveAspectFit
                source: Theme.image(example.image)
            }
            Text {
                id: heading
                visible: !example.closing
                anchors.top: picture.bottom
                anchors.topMargin: Theme.gap
                anchors.left: parent.left
                anchors.leftMargin: Theme.margin
                text: example.title
                color: Theme.accent
                font.pixelSize: Theme.bodySize
                font.bold: true
            }
            Text {
                visible: !example.closing
                anchors.top: heading.bottom
                anchors.topMargin: Theme.gap
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: Theme.margin
                text: example.detail
                color: Theme.text
                font.pixelSize: Theme.secondarySize
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
            }
            Text {
                visible: example.closing
                anchors.centerIn: parent
                text: example.title
                color: Theme.text
                font.pixelSize: Theme.bodySize
                font.bold: true
            }
            Rectangle {
                visible: !example.closing
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: Theme.separator
            }
        }
    }
}
