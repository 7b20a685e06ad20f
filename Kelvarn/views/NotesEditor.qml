import QtQuick
import QtQuick.Controls
import Kelvarn.App

// Notes typed straight into the store: every edit is one call, so it is saved and undoable.
ScrollView {
    id: root

    required property StoreObject store
    required property string studentId
    // Empty for the overall comments.
    required property string section
    required property string notes
    property alias placeholder: editor.placeholderText
    // The editor took the keyboard.
    signal editorFocused()

    implicitHeight: Math.min(140, Math.max(40, editor.implicitHeight))
    background: Rectangle {
        radius: 6
        color: Qt.rgba(palette.base.r, palette.base.g, palette.base.b, 0.6)
    }

    // Only a note taller than its box scrolls inside it; over any other the wheel scrolls the
    // cards, as over the rest of the card (a pane would keep every wheel turn to itself).
    wheelEnabled: false
    Binding {
        target: root.contentItem
        property: "interactive"
        value: editor.implicitHeight > root.height
    }

    TextArea {
        id: editor
        objectName: "notesEditor"
        textFormat: TextEdit.PlainText
        text: root.notes
        padding: 4
        wrapMode: TextEdit.Wrap
        background: null
        Accessible.name: placeholderText
        onActiveFocusChanged: {
            if (activeFocus)
                root.editorFocused()
        }
        onTextChanged: {
            if (text !== root.notes)
                root.store.editNotes(text, root.studentId, root.section)
        }
        // Each keystroke is a step of the store's undo, so Ctrl+Z here is that undo.
        Keys.onPressed: event => {
            if (event.matches(StandardKey.Undo)) {
                root.store.undo()
                event.accepted = true
            }
        }
    }
}
