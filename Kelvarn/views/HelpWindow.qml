import QtQuick
import QtQuick.Controls

// The voice commands and keys, above the other windows, and only hidden when closed.
Window {
    id: root

    required property var texts

    title: "Voice Commands"
    width: 440
    height: 560
    minimumWidth: 360
    minimumHeight: 240
    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: palette.window

    Shortcut {
        sequence: "Escape"
        onActivated: root.close()
    }

    ScrollView {
        id: scroller
        objectName: "helpScroller"
        anchors.fill: parent
        contentWidth: availableWidth
        ScrollBar.vertical.policy: ScrollBar.AlwaysOn

        HelpView {
            width: scroller.availableWidth
            texts: root.texts
        }
    }
}
