pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Zephyr.Ui
import Zephyr.Shell

// The slide menu under the main screen: the WiFi name and the PC's standing, then the five
// rows of 55 points.
Rectangle {
    id: root

    required property MenuController controller

    color: Theme.menuBackground
    Accessible.role: Accessible.Pane
    Accessible.name: qsTr("菜单")

    Column {
        id: header
        x: Theme.margin + 5
        y: Theme.statusBarHeight + 2 * Theme.margin
        width: Theme.menuWidth - 2 * Theme.margin
        spacing: Theme.wideGap

        Rectangle {
            width: 64
            height: 64
            radius: 32
            color: root.controller.pcOnBlue ? Theme.accent : Theme.white
            Accessible.role: Accessible.Graphic
            Accessible.name: root.controller.pcOnBlue ? qsTr("已连接电脑") : qsTr("未连接电脑")
            Image {
                anchors.centerIn: parent
                source: Theme.image(root.controller.pcIcon)
                sourceSize.width: 40
            }
        }
        Row {
            spacing: Theme.gap
            width: parent.width
            Image {
                id: wifiIcon
                anchors.verticalCenter: parent.verticalCenter
                source: Theme.image("login_icon_wifi.png")
                sourceSize.width: 18
            }
            Text {
                width: parent.width - wifiIcon.width - Theme.gap
                anchors.verticalCenter: parent.verticalCenter
                text: root.controller.wifiText
                color: Theme.menuText
                font.pixelSize: Theme.bodySize
                font.bold: true
                elide: Text.ElideMiddle
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }

    ListView {
        id: rows
        objectName: "menuRows"
        anchors.top: header.bottom
        anchors.topMargin: 2 * Theme.margin
        width: Theme.menuWidth
        height: count * Theme.menuRowHeight
        interactive: false
        model: root.controller
        keyNavigationEnabled: true
        delegate: TableCell {
            id: cell
            required property int index
            required property string iconName
            required property string title
            required property string extra
            required property bool mark
            required property bool rowHighlighted
            width: Theme.menuWidth
            height: Theme.menuRowHeight
            text: extra.length > 0 ? title + " " + extra : title
            normalColour: Theme.menuBackground
            highlightColour: Theme.menuHighlight
            selectedLook: rowHighlighted
            separatorColour: Theme.menuHighlight
            onActivated: root.controller.tableViewCellHighlighted(index)
            contentItem: MenuRowContent {
                iconName: cell.iconName
                title: cell.title
                extra: cell.extra
                mark: cell.mark
            }
        }
    }

    Text {
        anchors.left: parent.left
        anchors.leftMargin: Theme.margin + 5
        anchors.bottom: parent.bottom
        anchors.bottomMargin: Theme.margin
        text: root.controller.versionText
        color: Theme.menuSecondaryText
        font.pixelSize: Theme.smallSize
    }

    component MenuRowContent: Item {
        id: row
        property string iconName
        property string title
        property string extra
        property bool mark

        Image {
            id: rowIcon
            x: Theme.margin + 5
            anchors.verticalCenter: parent.verticalCenter
            source: Theme.image(row.iconName)
            sourceSize.width: 24
        }
        Text {
            anchors.left: rowIcon.right
            anchors.leftMargin: Theme.wideGap + 4
            anchors.verticalCenter: parent.verticalCenter
            text: row.title
            color: Theme.menuText
            font.pixelSize: Theme.bodySize
        }
        Rectangle {
            visible: row.extra.length > 0
            anchors.right: parent.right
            anchors.rightMargin: 2 * Theme.margin
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(height, countText.implicitWidth + 12)
            height: 20
            radius: 10
            color: Theme.accent
            Text {
                id: countText
                anchors.centerIn: parent
                text: row.extra
                color: Theme.white
                font.pixelSize: Theme.smallSize
                font.bold: true
            }
        }
        Rectangle {
            visible: row.mark
            anchors.right: parent.right
            anchors.rightMargin: 2 * Theme.margin
            anchors.verticalCenter: parent.verticalCenter
            width: newText.implicitWidth + 10
            height: 18
            radius: 9
            color: Theme.destructive
            Text {
                id: newText
                anchors.centerIn: parent
                text: "new"
                color: Theme.white
                font.pixelSize: Theme.minimumSize
                font.bold: true
            }
        }
    }
}
