import QtQuick
import Zephyr.Ui

// What a screen shows instead of an empty list: a picture and a line of text.
Column {
    id: root

    property string image: ""
    property string text: ""

    spacing: Theme.wideGap
    Accessible.role: Accessible.StaticText
    Accessible.name: text

    Image {
        anchors.horizontalCenter: parent.horizontalCenter
        source: Theme.image(root.image)
    }
    Text {
        visible: text.length > 0
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.min(implicitWidth, root.parent ? root.parent.width - 2 * Theme.margin : implicitWidth)
        text: root.text
        color: Theme.secondary
        font.pixelSize: Theme.secondarySize
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }
}
