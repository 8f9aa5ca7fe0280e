import QtQuick
import Zephyr.Ui

// The base of every screen laid over another: a blurred picture of what it covers under a
// violet tint (or a plain colour), a 0.2 s fade in when it appears, and a fade out when its
// controller closes it, after which the controller hears closeFinished().
FocusScope {
    id: screen

    property ScreenController screenController
    property url backgroundSource
    property color plainBackground: Theme.listBackground
    property int fadeOutDuration: Theme.fade
    default property alias content: body.data

    anchors.fill: parent
    opacity: 0
    focus: true
    Accessible.role: Accessible.Pane
    Accessible.name: screenController ? screenController.title : ""

    Component.onCompleted: {
        forceActiveFocus()
        // A screen can be closed before its view exists (the view waits for the picture of
        // what it covers): it fades out at once.
        if (screenController && screenController.closing)
            fadeOut.start()
        else
            fadeIn.start()
    }

    NumberAnimation {
        id: fadeIn
        target: screen
        property: "opacity"
        to: 1
        duration: Theme.fade
        easing.type: Easing.OutCubic
    }
    NumberAnimation {
        id: fadeOut
        target: screen
        property: "opacity"
        to: 0
        duration: screen.fadeOutDuration
        easing.type: Easing.InCubic
        onFinished: screen.screenController.closeFinished()
    }
    Connections {
        target: screen.screenController
        function onClosingChanged() {
            if (screen.screenController.closing) {
                fadeIn.stop()
                fadeOut.start()
            }
        }
    }

    // Touches stop here: nothing under an overlay reacts.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        onWheel: (wheel) => wheel.accepted = true
    }
    Rectangle {
        anchors.fill: parent
        color: screen.plainBackground
        visible: String(screen.backgroundSource).length === 0
    }
    Image {
        anchors.fill: parent
        visible: String(screen.backgroundSource).length > 0
        source: screen.backgroundSource
        fillMode: Image.Stretch
        smooth: true
        Rectangle {
            anchors.fill: parent
            color: Theme.overlayTint
        }
    }

    Item {
        id: body
        anchors.fill: parent
    }

    Keys.onEscapePressed: if (screen.screenController) screen.screenController.back()
    Keys.onBackPressed: if (screen.screenController) screen.screenController.back()
}
