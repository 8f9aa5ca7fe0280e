pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Zephyr.Ui
import Zephyr.Home

// The text screen: the received text, read-only, over the blurred main screen. A long text
// scrolls; a short one sits towards the middle, centred when it is a single line.
OverlayScreen {
    id: screen

    required property TextViewController controller

    screenController: controller
    Accessible.name: controller.text.length > 200 ? controller.text.substring(0, 200)
                                                  : controller.text

    BarButton {
        id: back
        x: Theme.gap
        y: Theme.statusBarHeight
        z: 1
        image: "icon_back.png"
        text: screen.controller.backName
        onClicked: screen.controller.back()
    }

    // The text in blocks, each laid out only while it is in view, so that a text of a megabyte
    // opens and scrolls at once. A single short block sits towards the middle.
    ListView {
        id: blocks
        objectName: "textBlocks"
        anchors.fill: parent
        anchors.topMargin: Theme.barHeight
        anchors.leftMargin: Theme.margin + Theme.gap
        anchors.rightMargin: Theme.margin + Theme.gap
        anchors.bottomMargin: Theme.margin
        model: screen.controller.blocks
        topMargin: count === 1 ? screen.controller.topOffset(height, contentHeight) : 0
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        activeFocusOnTab: true
        Accessible.role: Accessible.StaticText
        Accessible.name: screen.Accessible.name
        ScrollIndicator.vertical: ScrollIndicator {
            active: screen.controller.showsScrollIndicator(blocks.height, blocks.contentHeight)
        }
        delegate: TextEdit {
            required property string modelData
            objectName: "textBlock"
            width: blocks.width
            text: modelData
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            textFormat: TextEdit.PlainText
            horizontalAlignment: blocks.count === 1 && screen.controller.isCentred(lineCount)
                                 ? TextEdit.AlignHCenter : TextEdit.AlignLeft
            color: Theme.text
            font.pixelSize: Theme.titleSize
        }
    }
}
