import QtQuick
import Zephyr.Ui
import QtQuick.Controls

// The blue bar on top of a screen: the status-bar strip, then 44 points with the title in the
// middle and a button on either side.
Item {
    id: bar

    property string title: ""
    // A small picture after the title, which then becomes a button (the list's filter menu).
    property string titleIcon: ""
    property string leftIcon: ""
    property string leftName: ""
    property string rightIcon: ""
    property string rightName: ""
    property string rightText: ""

    signal leftClicked()
    signal rightClicked()
    signal titleClicked()

    implicitHeight: Theme.barHeight
    width: parent ? parent.width : 0
    height: implicitHeight

    Image {
        anchors.fill: parent
        source: Theme.image("nav_color_gradient.png")
        fillMode: Image.Stretch
    }

    Item {
        id: row
        anchors.fill: parent
        anchors.topMargin: Theme.statusBarHeight

        BarButton {
            id: left
            visible: bar.leftIcon.length > 0
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            image: bar.leftIcon
            text: bar.leftName
            onClicked: bar.leftClicked()
        }

        // The title's width comes from its text alone: a width taken from the content item,
        // whose text is itself bounded by the button, shrank the title away when it changed.
        TextMetrics {
            id: titleMetrics
            text: bar.title
            font.pixelSize: Theme.titleSize
            font.bold: true
        }
        AbstractButton {
            id: titleButton
            anchors.centerIn: parent
            width: Math.min(Math.ceil(titleMetrics.advanceWidth) + (bar.titleIcon.length > 0 ? 20 : 0),
                            row.width - 2 * 60)
            height: parent.height
            enabled: bar.titleIcon.length > 0
            focusPolicy: enabled ? Qt.StrongFocus : Qt.NoFocus
            text: bar.title
            Accessible.role: enabled ? Accessible.Button : Accessible.StaticText
            Accessible.name: bar.title
            Accessible.onPressAction: bar.titleClicked()
            onClicked: bar.titleClicked()
            Keys.onReturnPressed: bar.titleClicked()
            contentItem: Row {
                spacing: 4
                Text {
                    width: titleButton.width - (bar.titleIcon.length > 0 ? 20 : 0)
                    height: titleButton.height
                    text: bar.title
                    color: Theme.barText
                    font.pixelSize: Theme.titleSize
                    font.bold: true
                    elide: Text.ElideMiddle
                    verticalAlignment: Text.AlignVCenter
                    opacity: titleButton.pressed ? 0.6 : 1
                }
                Image {
                    visible: bar.titleIcon.length > 0
                    anchors.verticalCenter: parent.verticalCenter
                    source: Theme.image(bar.titleIcon)
                    sourceSize.width: 16
                }
            }
            background: Item {}
        }

        BarButton {
            id: right
            visible: bar.rightIcon.length > 0
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            image: bar.rightIcon
            text: bar.rightName
            onClicked: bar.rightClicked()
        }
        FlatButton {
            visible: bar.rightText.length > 0 && bar.rightIcon.length === 0
            anchors.right: parent.right
            anchors.rightMargin: Theme.gap
            anchors.verticalCenter: parent.verticalCenter
            text: bar.rightText
            face: "transparent"
            pressedFace: Qt.rgba(1, 1, 1, 0.2)
            fontSize: Theme.bodySize
            onClicked: bar.rightClicked()
        }
    }
}
