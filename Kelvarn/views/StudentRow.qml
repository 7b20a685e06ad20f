import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

import "Style.js" as Style

// One student of the list: progress symbol, name, a dot per section and the score.
RowLayout {
    id: root

    required property string name
    required property string status
    required property var gradedSections
    required property string score
    required property var sections

    spacing: 8

    Symbol {
        objectName: "statusSymbol"
        symbol: root.status === "complete" ? "checkmark.circle.fill"
            : root.status === "started" ? "circle.lefthalf.filled" : "circle"
        color: root.status === "complete" ? Style.green
             : root.status === "started" ? Style.orange : palette.placeholderText
    }
    Label {
        textFormat: Text.PlainText
        Layout.fillWidth: true
        text: root.name
        elide: Text.ElideRight
    }
    Row {
        spacing: 3
        Repeater {
            model: root.gradedSections
            Rectangle {
                required property bool modelData
                required property int index
                width: 6
                height: 6
                radius: 3
                color: modelData ? Style.green : Style.withAlpha(palette.windowText, 0.15)
                HoverHandler { id: dotHover }
                ToolTip.text: root.sections[index].title // qmllint disable unqualified
                ToolTip.visible: dotHover.hovered
            }
        }
    }
    Label {
        textFormat: Text.PlainText
        Layout.preferredWidth: 64
        horizontalAlignment: Text.AlignRight
        text: root.score
        color: palette.placeholderText
    }
}
