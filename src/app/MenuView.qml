import QtQuick
import QtQuick.Controls
import Zephyr.Shell

// The slide menu under the main screen: where the phone stands, then the entries.
Rectangle {
    id: root

    signal entryChosen(int index)

    gradient: Gradient {
        GradientStop { position: 0; color: "#3a3f9e" }
        GradientStop { position: 1; color: "#6a3fb0" }
    }

    Column {
        x: 24
        y: 60
        width: parent.width * 0.7
        spacing: 8

        Text {
            text: Shell.wifiText
            color: "white"
            font.pixelSize: 20
            font.bold: true
            elide: Text.ElideRight
            width: parent.width
        }
        Text {
            text: Shell.statusText
            color: "#d8d8ff"
            font.pixelSize: 14
        }
        Item { width: 1; height: 24 }
        Repeater {
            model: ["快传记录", "我的电脑", "遥控电脑", "WiFi管理", "上传照片", "意见反馈", "关于"]
            onItemAdded: (index, item) => item.chosen.connect(() => root.entryChosen(index))
            delegate: ItemDelegate {
                id: entry
                required property string modelData
                signal chosen()
                width: 240
                contentItem: Text {
                    text: entry.modelData
                    color: "white"
                    font.pixelSize: 17
                }
                onClicked: entry.chosen()
            }
        }
    }
}
