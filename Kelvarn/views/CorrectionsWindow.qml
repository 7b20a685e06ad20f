import QtQuick
import QtQuick.Controls
import Kelvarn.App

// The corrections window: above the others, and only hidden when closed.
Window {
    id: root

    required property AppController controller

    title: "Corrections"
    width: 440
    height: 380
    minimumWidth: 320
    minimumHeight: 220
    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: palette.window

    Shortcut {
        sequence: "Escape"
        onActivated: root.close()
    }

    CorrectionsView {
        anchors.fill: parent
        anchors.margins: 14
        controller: root.controller
    }
}
