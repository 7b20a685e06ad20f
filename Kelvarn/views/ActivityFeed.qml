import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// The newest feed lines with the undo button.
ColumnLayout {
    id: root

    required property AppController controller
    readonly property StoreObject store: root.controller.store

    spacing: 2

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 12
        Layout.rightMargin: 6

        Label {
            textFormat: Text.PlainText
            text: "Activity"
            font.pointSize: Application.font.pointSize * 0.85
            font.weight: Font.DemiBold
        }
        Item { Layout.fillWidth: true }
        // Shrinks, eliding its label, before it pushes the title out.
        ToolButton {
            id: undoButton
            objectName: "undoButton"
            Layout.fillWidth: true
            Layout.maximumWidth: undoMetrics.width + icon.width + spacing + leftPadding
                                 + rightPadding + 4
            text: root.store.lastUndoLabel === "" ? "Undo" : "Undo: " + root.store.lastUndoLabel
            enabled: root.store.canUndo
            Accessible.name: text
            ToolTip.text: "Undo the last action (Ctrl+Z, or say “undo”)"
            ToolTip.visible: hovered
            ToolTip.delay: 600
            onClicked: root.store.undo()
            TextMetrics {
                id: undoMetrics
                font: undoButton.font
                text: undoButton.text
            }
            readonly property color shade: enabled ? palette.buttonText : palette.placeholderText
            contentItem: RowLayout {
                spacing: undoButton.spacing
                Symbol {
                    symbol: "arrow.uturn.backward"
                    color: undoButton.shade
                }
                Label {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: undoButton.text
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    color: undoButton.shade
                }
            }
        }
    }

    ListView {
        id: list
        objectName: "feedList"
        Layout.fillWidth: true
        Layout.preferredHeight: 96
        Layout.bottomMargin: 6
        clip: true
        spacing: 2
        model: root.store.feed
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}

        delegate: RowLayout {
            id: line
            required property string itemId
            required property string text
            required property string kind
            required property string shownText
            required property string symbol
            width: list.width - 24 // qmllint disable unqualified
            x: 12
            spacing: 4

            Symbol {
                Layout.preferredWidth: 12
                Layout.alignment: Qt.AlignTop
                Layout.topMargin: 1
                size: 11
                symbol: line.symbol !== "" ? line.symbol : Style.kindSymbol(line.kind)
                color: Style.kindColor(line.kind, palette)
            }
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: line.shownText
                color: Style.kindColor(line.kind, palette)
                font.pointSize: Application.font.pointSize * 0.85
                wrapMode: Text.Wrap
            }
            // On the line of the last heard utterance only: one button, not one per line.
            Loader {
                Layout.alignment: Qt.AlignTop
                active: line.itemId === root.store.lastUtteranceFeedId // qmllint disable unqualified
                visible: active
                sourceComponent: Component {
                    FixButton {
                        controller: root.controller // qmllint disable unqualified
                        compact: true
                    }
                }
            }
        }

        // Follows the newest line until the user scrolls; a new line brings it back. Lines wrap,
        // so the end is known only once they are laid out.
        property bool followNewest: true
        onContentHeightChanged: if (followNewest) positionViewAtEnd()
        onMovementStarted: followNewest = false
        Connections {
            target: list.model
            function onRowsInserted() {
                list.followNewest = true
                list.positionViewAtEnd()
            }
        }
    }
}
