import QtQuick
import Zephyr.Ui

// One row of the main list: the kind's icon on the left (the selection mark in selection mode),
// the row's content beside it as its kind shows it, and the download progress laid over the
// fraction received. The spacer row after the last shows nothing. Rows are plain items rather
// than button controls: a screenful of them is made as the window opens.
Item {
    id: row

    required property int index
    required property string kind
    required property string kindIcon
    required property string title
    required property string subtitle
    required property string detail
    required property int rowHeight
    required property real progress
    required property var pictures
    required property string countText
    required property bool selected
    property bool editing: false

    signal contentTapped(int row)
    signal iconTapped(int row)

    readonly property bool spacer: kind === "spacer"
    readonly property int contentLeft: Theme.margin + Theme.touchTarget + Theme.gap
    readonly property int contentWidth: width - contentLeft - Theme.margin
    readonly property string text: title.length > 0
                                    ? (title.length > 120 ? title.substring(0, 120) : title)
                                    : (countText.length > 0 ? qsTr("图片") + " " + countText
                                                            : qsTr("图片"))

    height: rowHeight
    enabled: !spacer
    activeFocusOnTab: !spacer
    Accessible.role: spacer ? Accessible.NoRole : Accessible.ListItem
    Accessible.name: text
    Accessible.description: subtitle
    Accessible.selectable: editing
    Accessible.selected: selected
    Accessible.onPressAction: row.contentTapped(index)
    Keys.onReturnPressed: row.contentTapped(index)
    Keys.onEnterPressed: row.contentTapped(index)
    Keys.onSpacePressed: row.contentTapped(index)

    Rectangle {
        anchors.fill: parent
        visible: !row.spacer
        color: rowPress.pressed ? Theme.rowPressed : Theme.rowBackground
        border.width: row.activeFocus ? 2 : 0
        border.color: Theme.accent
        Image {
            objectName: "progressOverlay"
            visible: row.progress > 0
            width: parent.width * row.progress
            height: parent.height
            source: visible ? Theme.image("qt_background_hl.png") : ""
            fillMode: Image.Stretch
        }
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: Theme.separator
        }
    }
    MouseArea {
        id: rowPress
        anchors.fill: parent
        onClicked: row.contentTapped(row.index)
    }

    Item {
        anchors.fill: parent
        visible: !row.spacer

        // The kind's icon, or the selection mark: a button of its own, made lighter than the
        // bar's buttons since every row has one.
        Item {
            id: kindButton
            objectName: "kindButton"
            readonly property string text: row.editing
                                           ? (row.selected ? qsTr("取消选择") : qsTr("选择"))
                                           : qsTr("只看此类")
            x: Theme.margin - (Theme.touchTarget - 44) / 2
            y: Math.min(Theme.wideGap, (row.height - height) / 2)
            width: Theme.touchTarget
            height: Theme.touchTarget
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: text
            Accessible.onPressAction: row.iconTapped(row.index)
            Keys.onReturnPressed: row.iconTapped(row.index)
            Keys.onEnterPressed: row.iconTapped(row.index)
            Keys.onSpacePressed: row.iconTapped(row.index)

            Image {
                anchors.centerIn: parent
                source: Theme.image(row.editing ? (row.selected ? "qt_icon_selected.png"
                                                                : "qt_icon_unselected.png")
                                                : row.kindIcon)
                sourceSize.width: 44
                fillMode: Image.PreserveAspectFit
                opacity: kindPress.pressed ? 0.5 : 1
            }
            Rectangle {
                anchors.fill: parent
                visible: kindButton.activeFocus
                color: "transparent"
                radius: Theme.buttonRadius
                border.width: 2
                border.color: Theme.accent
            }
            MouseArea {
                id: kindPress
                anchors.fill: parent
                onClicked: row.iconTapped(row.index)
            }
        }

        // Only the row's own kind of content is made: a row of another kind costs nothing.
        Loader {
            objectName: "rowContent"
            x: row.contentLeft
            width: row.contentWidth
            height: row.height
            sourceComponent: {
                switch (row.kind) {
                case "link":
                case "folder":
                case "document":
                    return nameContent
                case "text":
                    return textContent
                case "image":
                case "imageGroup":
                    return pictureContent
                case "video":
                    return videoContent
                case "music":
                    return musicContent
                }
                return null
            }
        }
    }

    // The kinds' contents. The loader makes them in the row's context, where "row" names this
    // row; qmllint cannot follow a loaded component's context, and the pragma that would let
    // it (ComponentBehavior: Bound) keeps Qt 6.4's Loader from making them at all.
    // qmllint disable unqualified

    // Links, folders and documents: the name and one line below it.
    Component {
        id: nameContent
        Item {
            Column {
                width: parent.width
                anchors.verticalCenter: parent.verticalCenter
                spacing: 4
                RowTitle { width: parent.width; text: row.title }
                RowSubtitle { width: parent.width; text: row.subtitle; downloading: row.progress > 0 }
            }
        }
    }
    // Texts: the text itself, up to five lines.
    Component {
        id: textContent
        Item {
            Text {
                y: Theme.wideGap
                width: parent.width
                height: parent.height - 2 * Theme.wideGap
                text: row.title
                textFormat: Text.PlainText
                color: Theme.text
                font.pixelSize: Theme.bodySize
                font.bold: true
                wrapMode: Text.Wrap
                maximumLineCount: 5
                elide: Text.ElideRight
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
    // Images and image groups: one to three pictures, the count of three or more, and the
    // download state in the lower right corner.
    Component {
        id: pictureContent
        Item {
            Row {
                y: Theme.wideGap
                spacing: Theme.gap
                RowPicture {
                    visible: row.pictures.length > 0
                    width: row.pictures.length === 1 ? Math.min(row.contentWidth, 220)
                                                     : (row.pictures.length === 2 ? 105 : 70)
                    height: row.height - 2 * Theme.wideGap
                    source: row.pictures.length > 0 ? row.pictures[0] : ""
                }
                RowPicture {
                    visible: row.pictures.length > 1
                    width: row.pictures.length === 2 ? 105 : 70
                    height: row.height - 2 * Theme.wideGap
                    source: row.pictures.length > 1 ? row.pictures[1] : ""
                }
                RowPicture {
                    visible: row.pictures.length > 2
                    width: 70
                    height: row.height - 2 * Theme.wideGap
                    source: row.pictures.length > 2 ? row.pictures[2] : ""
                }
                Text {
                    visible: row.countText.length > 0
                    height: row.height - 2 * Theme.wideGap
                    verticalAlignment: Text.AlignVCenter
                    text: row.countText
                    color: Theme.secondary
                    font.pixelSize: Theme.secondarySize
                }
            }
            Text {
                visible: text.length > 0
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 4
                text: row.subtitle
                color: Theme.accent
                font.pixelSize: Theme.smallSize
            }
        }
    }
    // Videos: name and size, a video frame, and the address.
    Component {
        id: videoContent
        Item {
            Column {
                y: Theme.wideGap
                width: parent.width
                spacing: 4
                RowTitle { width: parent.width; text: row.title }
                RowSubtitle { width: parent.width; text: row.subtitle; downloading: row.progress > 0 }
                Rectangle {
                    width: parent.width
                    height: 112
                    radius: Theme.panelRadius
                    color: Theme.menuBackground
                    Image {
                        anchors.centerIn: parent
                        source: Theme.image("qt_video.png")
                        sourceSize.width: 48
                    }
                }
                Text {
                    width: parent.width
                    text: row.detail
                    color: Theme.secondary
                    font.pixelSize: Theme.smallSize
                    elide: Text.ElideMiddle
                }
            }
        }
    }
    // Music: a music frame with the name and size.
    Component {
        id: musicContent
        Item {
            Rectangle {
                y: Theme.wideGap
                width: parent.width
                height: parent.height - 2 * Theme.wideGap
                radius: Theme.panelRadius
                color: Theme.listBackground
                Row {
                    x: Theme.gap
                    width: parent.width - 2 * Theme.gap
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: Theme.wideGap
                    Image {
                        anchors.verticalCenter: parent.verticalCenter
                        source: Theme.image("qt_music.png")
                        sourceSize.width: 56
                    }
                    Column {
                        anchors.verticalCenter: parent.verticalCenter
                        width: parent.width - 56 - Theme.wideGap
                        spacing: 4
                        RowTitle { width: parent.width; text: row.title }
                        RowSubtitle { width: parent.width; text: row.subtitle; downloading: row.progress > 0 }
                    }
                }
            }
        }
    }

    // qmllint enable unqualified

    component RowTitle: Text {
        textFormat: Text.PlainText
        color: Theme.text
        font.pixelSize: Theme.bodySize
        font.bold: true
        maximumLineCount: 1
        elide: Text.ElideMiddle
    }
    component RowSubtitle: Text {
        property bool downloading: false
        textFormat: Text.PlainText
        color: downloading ? Theme.accent : Theme.secondary
        font.pixelSize: Theme.secondarySize
        maximumLineCount: 1
        elide: Text.ElideRight
    }
    component RowPicture: Rectangle {
        property url source
        color: Theme.listBackground
        radius: 3
        clip: true
        Image {
            anchors.fill: parent
            source: parent.source
            cache: false
            asynchronous: true
            fillMode: Image.PreserveAspectCrop
        }
    }
}
