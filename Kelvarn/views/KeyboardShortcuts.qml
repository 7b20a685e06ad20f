import QtQuick
import Kelvarn.App

// The panel's keys; they act while the panel has the keyboard.
Item {
    id: root

    required property AppController controller
    readonly property StoreObject store: root.controller.store

    Shortcut {
        sequence: "Ctrl+Z"
        onActivated: root.store.undo()
    }
    Shortcut {
        sequence: "Ctrl+L"
        onActivated: root.controller.toggleListening()
    }
    Shortcut {
        sequence: "Escape"
        onActivated: root.store.unfocus()
    }
    Shortcut {
        sequence: "Ctrl+["
        onActivated: root.store.previousStudent()
    }
    Shortcut {
        sequence: "Ctrl+]"
        onActivated: root.store.nextStudent()
    }
    Shortcut {
        sequence: "Alt+Up"
        onActivated: root.store.previousSection()
    }
    Shortcut {
        sequence: "Alt+Down"
        onActivated: root.store.nextSection()
    }
    Repeater {
        model: root.store.levels
        Item {
            required property var modelData
            required property int index
            Shortcut {
                sequence: "Ctrl+" + (index + 1) // qmllint disable unqualified
                onActivated: root.store.gradeFocused(modelData.key) // qmllint disable unqualified
            }
        }
    }
    Shortcut {
        sequence: "Ctrl+O"
        onActivated: root.controller.openRoster()
    }
    Shortcut {
        sequence: "Ctrl+E"
        onActivated: root.controller.exportCSV()
    }
    Shortcut {
        sequence: "Ctrl+Shift+E"
        onActivated: root.controller.exportText()
    }
    Shortcut {
        sequence: "Ctrl+T"
        onActivated: root.controller.tidyFocusedStudent()
    }
    Shortcut {
        sequence: "Ctrl+\\"
        onActivated: root.controller.toggleCompact()
    }
}
