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

    Flickable {
        id: flick
        objectName: "textFlick"
        anchors.fill: parent
        anchors.topMargin: Theme.barHeight
        anchors.leftMargin: Theme.margin + Theme.gap
        anchors.rightMargin: Theme.margin + Theme.gap
        anchors.bottomMargin: Theme.margin
        contentWidth: width
        contentHeight: body.y + body.height
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        ScrollIndicator.vertical: ScrollIndicator {
            active: screen.controller.showsScrollIndicator(flick.height, body.implicitHeight)
        }

        TextEdit {
            id: body
            objectName: "textBody"
            width: flick.width
            y: screen.controller.topOffset(flick.height, implicitHeight)
            text: screen.controller.text
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            textFormat: TextEdit.PlainText
            horizontalAlignment: screen.controller.isCentred(lineCount) ? TextEdit.AlignHCenter
                                                                       : TextEdit.AlignLeft
            color: Theme.text
            font.pixelSize: Theme.titleSize
            activeFocusOnTab: true
            Accessible.role: Accessible.StaticText
            Accessible.name: screen.Accessible.name
        }
    }
}
