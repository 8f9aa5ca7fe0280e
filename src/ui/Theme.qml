pragma Singleton
import QtQuick

// The one look of every screen: colours, type, space, shape and motion. Screens take their values
// from here and write no colour or size of their own.
QtObject {
    // Palette
    readonly property color accent: "#5D93EA"
    readonly property color accentPressed: "#4A7BCB"
    readonly property color overlayTint: Qt.rgba(0.478, 0.392, 1.0, 0.3)
    readonly property color menuBackground: "#2D2B2F"
    readonly property color menuHighlight: "#262328"
    readonly property color menuText: "#FFFFFF"
    readonly property color menuSecondaryText: "#9C9AA3"
    readonly property color text: "#333333"
    readonly property color hint: "#BEBFC8"
    readonly property color secondary: "#888999"
    readonly property color secondaryPressed: "#727384"
    readonly property color positive: "#65CF25"
    readonly property color positivePressed: "#3D9D04"
    readonly property color destructive: "#F63A3A"
    readonly property color destructivePressed: "#D42F2F"
    readonly property color listBackground: "#F4F5F8"
    readonly property color rowBackground: "#FFFFFF"
    readonly property color rowPressed: "#E6E7EC"
    readonly property color separator: "#E6E7EC"
    readonly property color barText: "#FFFFFF"
    readonly property color dimming: Qt.rgba(0, 0, 0, 0.5)
    readonly property color toastBackground: Qt.rgba(0.13, 0.13, 0.15, 0.88)
    readonly property color sheetBackground: "#FFFFFF"
    readonly property color white: "#FFFFFF"
    readonly property var itemButtonColours: ["#2199E0", "#F83858", "#66C41A", "#FFB016",
                                              "#F542D1", "#1FDFBD", "#B55DF9", "#50D0FF"]
    readonly property var clientColours: ["#FFBF11", "#E9448A", "#626F77", "#8E66D6",
                                          "#F63A3A", "#0BA4D6", "#52D92E", "#2BD094"]

    // Type (pixel sizes in points)
    readonly property int titleSize: 18
    readonly property int buttonSize: 17
    readonly property int bodySize: 15
    readonly property int secondarySize: 13
    readonly property int smallSize: 12
    readonly property int minimumSize: 11

    // Space and shape
    readonly property int margin: 15
    readonly property int gap: 8
    readonly property int wideGap: 12
    readonly property int barHeight: 64
    readonly property int statusBarHeight: 20
    readonly property int touchTarget: 44
    readonly property int buttonRadius: 3
    readonly property int panelRadius: 8
    readonly property int menuRowHeight: 55
    readonly property int menuWidth: 280
    // The phone layout stays this wide at most on a desktop, centred in the window.
    readonly property int readableWidth: 480

    // Motion (milliseconds)
    readonly property int fade: 200
    readonly property int slide: 300
    readonly property int panel: 500
    readonly property int flyInStep: 100
    readonly property int plane: 1000

    // The address of an image the screens name ("nav_menu.png").
    function image(name) {
        return name.length > 0 ? "qrc:/images/" + name : ""
    }
}
