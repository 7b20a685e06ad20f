import QtQuick
import QtQuick.Controls

// The frame section and overall cards share: tapping an unfocused card focuses it.
Control {
    id: root

    required property bool focused
    signal tapped()

    padding: 10
    background: Rectangle {
        radius: 8
        color: root.focused ? Qt.rgba(palette.highlight.r, palette.highlight.g,
                                      palette.highlight.b, 0.12)
                            : Qt.rgba(palette.windowText.r, palette.windowText.g,
                                      palette.windowText.b, 0.04)
        border.width: root.focused ? 1.5 : 0
        border.color: palette.highlight

        TapHandler {
            enabled: !root.focused
            onTapped: root.tapped()
        }
    }
}
