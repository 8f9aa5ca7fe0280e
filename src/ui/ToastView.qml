import QtQuick
import Zephyr.Ui

// The window's toast, its progress indicator and its loading view, as the toast centre holds
// them. Lies over everything and lets touches through except while busy.
Item {
    id: root

    required property ToastCenter toasts

    Rectangle {
        id: toast
        objectName: "toast"
        anchors.horizontalCenter: parent.horizontalCenter
        y: (root.height - height) / 2 + root.toasts.yOffset
        width: Math.min(root.width - 4 * Theme.margin, column.implicitWidth + 2 * Theme.margin)
        height: column.implicitHeight + 2 * Theme.wideGap
        radius: Theme.panelRadius
        color: Theme.toastBackground
        opacity: root.toasts.toastVisible ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: Theme.fade } }
        Accessible.role: Accessible.AlertMessage
        Accessible.name: root.toasts.title

        Column {
            id: column
            anchors.centerIn: parent
            width: Math.min(implicitWidth, root.width - 6 * Theme.margin)
            spacing: 4
            Text {
                width: Math.min(implicitWidth, root.width - 6 * Theme.margin)
                anchors.horizontalCenter: parent.horizontalCenter
                text: root.toasts.title
                color: Theme.white
                font.pixelSize: Theme.bodySize
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
            Text {
                visible: text.length > 0
                width: Math.min(implicitWidth, root.width - 6 * Theme.margin)
                anchors.horizontalCenter: parent.horizontalCenter
                text: root.toasts.detail
                color: Theme.hint
                font.pixelSize: Theme.secondarySize
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
        }
    }

    // Busy: the spinning indicator, or a loading view of one of the five looks.
    MouseArea {
        anchors.fill: parent
        visible: root.toasts.progressVisible || root.toasts.loadingType >= 0
        Accessible.ignored: true
    }
    Rectangle {
        anchors.centerIn: parent
        width: 80
        height: 80
        radius: Theme.panelRadius
        color: Theme.toastBackground
        visible: root.toasts.progressVisible
        LoadingView {
            anchors.centerIn: parent
            type: 3
            running: parent.visible
        }
    }
    LoadingView {
        anchors.centerIn: parent
        anchors.verticalCenterOffset: root.toasts.loadingOffset
        type: Math.max(0, root.toasts.loadingType)
        visible: root.toasts.loadingType >= 0
        running: visible
    }
}
