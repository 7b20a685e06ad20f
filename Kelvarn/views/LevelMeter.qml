import QtQuick

import "Style.js" as Style

// The microphone's input level, 0…1, as a bar filled from the left.
Rectangle {
    id: root

    property real level

    implicitWidth: 80
    implicitHeight: 4
    radius: 2
    color: Style.withAlpha(palette.windowText, 0.12)

    Rectangle {
        objectName: "levelFill"
        height: parent.height
        radius: parent.radius
        color: Style.green
        width: Math.max(0, Math.min(1, root.level)) * root.width

        Behavior on width {
            NumberAnimation {
                duration: 100
                easing.type: Easing.Linear
            }
        }
    }
}
