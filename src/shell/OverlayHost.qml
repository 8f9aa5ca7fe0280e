import QtQuick
import Zephyr.Ui
import Zephyr.Shell

// Where the router's screens appear: each over a blurred picture of what lay under it when it
// opened, and removed when its controller has closed.
Item {
    id: root

    required property ScreenRouter router
    required property BlurredImages blurredImages
    // What a new screen's blurred background shows.
    property Item covered

    property var views: []

    function create(view, controller, background) {
        const component = Qt.createComponent(view)
        if (component.status !== Component.Ready) {
            console.warn("screen", view, component.errorString())
            controller.closeFinished()
            return
        }
        const object = component.createObject(root, { controller: controller,
                                                       backgroundSource: background })
        if (object === null) {
            controller.closeFinished()
            return
        }
        views.push({ controller: controller, view: object })
    }

    Connections {
        target: root.router
        function onScreenOpened(view, controller, blurred) {
            if (blurred && root.covered) {
                root.covered.grabToImage(function(result) {
                    root.create(view, controller, root.blurredImages.blur(result.image))
                })
            } else {
                root.create(view, controller, "")
            }
        }
        function onScreenClosed(controller) {
            for (let i = 0; i < root.views.length; ++i) {
                if (root.views[i].controller === controller) {
                    root.views[i].view.destroy()
                    root.views.splice(i, 1)
                    break
                }
            }
        }
    }
}
