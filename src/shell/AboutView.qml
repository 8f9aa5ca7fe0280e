pragma ComponentBehavior: Bound
import QtQuick
import Zephyr.Ui
import Zephyr.Shell

// The about screen: the logo and version over the six rows.
OverlayBarScreen {
    id: screen

    required property AboutViewController controller

    screenController: controller
    plainBackground: Theme.listBackground

    Item {
        id: logo
        anchors.top: parent.top
        width: parent.width
        height: 200
        Column {
            anchors.centerIn: parent
            spacing: Theme.wideGap
            Rectangle {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 88
                height: 88
                radius: 20
                color: Theme.accent
                Image {
                    anchors.centerIn: parent
                    source: Theme.image("login_icon_shake.png")
                    sourceSize.width: 56
                }
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("ZephyrWiFi快传")
                color: Theme.text
                font.pixelSize: Theme.bodySize
                font.bold: true
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: screen.controller.versionText
                color: Theme.secondary
                font.pixelSize: Theme.secondarySize
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }
    ListView {
        id: rows
        objectName: "aboutRows"
        anchors.top: logo.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        model: screen.controller.rows
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        delegate: TableCell {
            id: cell
            required property int index
            required property string image
            required property string title
            required property string detail
            width: rows.width
            height: 47
            text: detail.length > 0 ? title + " " + detail : title
            onActivated: screen.controller.tableViewCellHighlighted(index)
            contentItem: AboutRowContent {
                image: cell.image
                title: cell.title
                detail: cell.detail
            }
        }
    }

    component AboutRowContent: Item {
        id: row
        property string image
        property string title
        property string detail

        Image {
            id: rowIcon
            anchors.left: parent.left
            anchors.leftMargin: Theme.margin
            anchors.verticalCenter: parent.verticalCenter
            source: Theme.image(row.image)
            sourceSize.width: 24
        }
        Text {
            anchors.left: rowIcon.right
            anchors.leftMargin: Theme.wideGap
            anchors.verticalCenter: parent.verticalCenter
            text: row.title
            color: Theme.text
            font.pixelSize: Theme.bodySize
        }
        Text {
            anchors.right: parent.right
            anchors.rightMargin: Theme.margin
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, row.width / 2)
            text: row.detail
            color: Theme.secondary
            font.pixelSize: Theme.secondarySize
            elide: Text.ElideMiddle
            horizontalAlignment: Text.AlignRight
        }
    }
}
