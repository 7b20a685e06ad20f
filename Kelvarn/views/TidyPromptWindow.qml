import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

// The instructions the note tidier follows, saved as they are typed.
Window {
    id: root

    required property TidyPrompt prompt

    title: "Tidy Prompt"
    width: 520
    height: 420
    minimumWidth: 400
    minimumHeight: 300
    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
           | Qt.WindowMinimizeButtonHint | Qt.WindowMaximizeButtonHint
    color: palette.window

    // Return acts as Done wherever it does not start a new line of the instructions.
    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: !editor.activeFocus
        onActivated: root.hide()
    }
    Shortcut {
        sequences: ["Ctrl+Return", "Ctrl+Enter"]
        onActivated: root.hide()
    }
    Shortcut {
        sequence: "Escape"
        onActivated: root.close()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 14
        spacing: 10

        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: "Instructions Claude follows when tidying notes (Ctrl+T). Saved as you type."
            font.pointSize: Application.font.pointSize * 0.9
            color: palette.placeholderText
            wrapMode: Text.Wrap
        }

        Flickable {
            id: scroller
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            ScrollBar.vertical: ScrollBar {}

            TextArea.flickable: TextArea {
                id: editor
                objectName: "instructionsEditor"
                textFormat: TextEdit.PlainText
                text: root.prompt.text
                onTextChanged: root.prompt.edit(text)
                wrapMode: TextEdit.Wrap
                focus: true
                selectByMouse: true
                background: Rectangle {
                    color: root.palette.base
                    radius: 6
                    border.width: 1
                    border.color: editor.activeFocus ? root.palette.highlight : root.palette.mid
                }
            }
        }

        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: "Always added after your instructions, so the app can read the reply: keep "
                  + root.prompt.placeholder
                  + " as written; reply with only a JSON object with the same keys."
            font.pointSize: Application.font.pointSize * 0.8
            color: palette.placeholderText
            wrapMode: Text.Wrap
        }

        RowLayout {
            Layout.fillWidth: true

            Button {
                text: "Reset to Default"
                enabled: !root.prompt.isDefault
                onClicked: root.prompt.resetToDefault()
            }
            Item {
                Layout.fillWidth: true
            }
            Button {
                text: "Done"
                highlighted: true
                onClicked: root.hide()
            }
        }
    }
}
