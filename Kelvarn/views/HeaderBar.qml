import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The panel's title row: the tidy indicator, the compact toggle and the menu.
RowLayout {
    id: root

    required property QtObject controller
    // Asks for one of the application's windows by its launch name ("tidy").
    signal openWindow(string name)

    spacing: 6

    Label {
        Layout.leftMargin: 12
        text: "Kelvarn"
        font.weight: Font.Medium
    }
    Item { Layout.fillWidth: true }
    BusyIndicator {
        objectName: "tidySpinner"
        visible: root.controller.tidying
        running: visible
        Layout.preferredWidth: 20
        Layout.preferredHeight: 20
    }
    ToolButton {
        objectName: "compactToggle"
        text: root.controller.compact ? "⤢" : "⤡"
        Accessible.name: "Compact / full view (Ctrl+\\)"
        ToolTip.text: Accessible.name
        ToolTip.visible: hovered
        ToolTip.delay: 600
        onClicked: root.controller.toggleCompact()
    }
    ToolButton {
        id: menuButton
        objectName: "menuButton"
        text: "⋯"
        Accessible.name: "Menu"
        Layout.rightMargin: 6
        onClicked: menu.open()

        Menu {
            id: menu
            y: menuButton.height

            MenuItem {
                text: "Open Roster…"
                onTriggered: root.controller.openRoster()
            }
            MenuItem {
                text: "Export CSV…"
                onTriggered: root.controller.exportCSV()
            }
            MenuItem {
                text: "Export Text…"
                onTriggered: root.controller.exportText()
            }
            MenuSeparator {}
            MenuItem {
                text: "Tidy Notes with Claude"
                enabled: root.controller.store.hasFocusedStudent && !root.controller.tidying
                onTriggered: root.controller.tidyFocusedStudent()
            }
            MenuItem {
                text: "Edit Tidy Prompt…"
                onTriggered: root.openWindow("tidy")
            }
            MenuSeparator {}
            MenuItem {
                text: "Show Activity"
                checkable: true
                checked: root.controller.showActivity
                onToggled: root.controller.setShowActivity(checked)
            }
        }
    }
}
