import QtQuick
import QtQuick.Controls

import "Style.js" as Style

// One grade level in a capsule, filled with the level's colour when it is the section's.
AbstractButton {
    id: root

    required property var level // key, title, tooltip
    required property bool selected

    text: level.title
    hoverEnabled: true
    leftPadding: 8
    rightPadding: 8
    topPadding: 3
    bottomPadding: 3
    Accessible.name: level.title
    ToolTip.text: level.tooltip
    ToolTip.visible: hovered
    ToolTip.delay: 600

    contentItem: Label {
        textFormat: Text.PlainText
        text: root.text
        font.pointSize: Application.font.pointSize * 0.85
        font.bold: root.selected
        color: root.selected ? "white" : palette.windowText
    }
    background: Rectangle {
        radius: height / 2
        color: root.selected ? Style.levelColor(root.level.key)
                             : Style.withAlpha(palette.windowText, root.hovered ? 0.12 : 0.06)
    }
}
