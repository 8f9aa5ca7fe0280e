import QtQuick
import QtQuick.Controls
import Zephyr.Ui
import Zephyr.Shell

// The feedback form: a text area with its grey hint, the contact line and the submit button.
OverlayBarScreen {
    id: screen

    required property FeedbackViewController controller

    screenController: controller
    plainBackground: Theme.listBackground

    Connections {
        target: screen.controller
        function onDismissKeyboard() { screen.forceActiveFocus() }
    }

    Column {
        anchors.fill: parent
        anchors.margins: Theme.margin
        spacing: Theme.wideGap

        Rectangle {
            width: parent.width
            height: 200
            radius: Theme.panelRadius
            color: Theme.rowBackground
            border.width: feedbackText.activeFocus ? 1 : 0
            border.color: Theme.accent

            ScrollView {
                anchors.fill: parent
                anchors.margins: Theme.gap
                TextArea {
                    id: feedbackText
                    objectName: "feedbackText"
                    text: screen.controller.text
                    placeholderText: screen.controller.hint
                    placeholderTextColor: Theme.hint
                    color: Theme.text
                    font.pixelSize: Theme.bodySize
                    wrapMode: TextEdit.Wrap
                    background: Item {}
                    Accessible.name: qsTr("反馈内容")
                    onTextChanged: screen.controller.text = text
                    KeyNavigation.tab: contactField
                }
            }
        }

        TextField {
            id: contactField
            objectName: "contactField"
            width: parent.width
            height: Theme.touchTarget
            text: screen.controller.contact
            placeholderText: screen.controller.contactHint
            placeholderTextColor: Theme.hint
            color: Theme.text
            font.pixelSize: Theme.bodySize
            leftPadding: Theme.wideGap
            Accessible.name: qsTr("联系方式")
            onTextChanged: screen.controller.contact = text
            background: Rectangle {
                radius: Theme.panelRadius
                color: Theme.rowBackground
                border.width: contactField.activeFocus ? 1 : 0
                border.color: Theme.accent
            }
            KeyNavigation.tab: submit
        }

        FlatButton {
            id: submit
            objectName: "submitButton"
            width: parent.width
            enabled: screen.controller.submitEnabled && !screen.controller.sending
            text: screen.controller.submitTitle
            face: enabled ? Theme.accent : Theme.separator
            onClicked: screen.controller.feedback()
        }
    }
}
