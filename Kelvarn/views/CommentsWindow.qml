import QtQuick
import QtQuick.Controls
import Kelvarn.App

// The comments window: above the others, and only hidden when closed.
Window {
    id: root

    required property AppController controller

    title: "Comments"
    width: 520
    height: 480
    minimumWidth: 380
    minimumHeight: 320
    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: palette.window

    Shortcut {
        sequence: "Escape"
        onActivated: root.close()
    }

    CommentsView {
        anchors.fill: parent
        anchors.margins: 14
        controller: root.controller
    }
}
