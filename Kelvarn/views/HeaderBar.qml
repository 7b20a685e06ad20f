import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// The panel's top row: the microphone with the listening state, the tidy indicator with its
// Cancel, the compact toggle and the menu.
RowLayout {
    id: root

    required property AppController controller
    required property PanelActions panel
    // Null when there is no speech engine: the header then reads as not listening.
    readonly property SpeechObject speech: root.controller.speech

    spacing: 6

    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: root.panel.quit()
    }

    AbstractButton {
        id: micButton
        objectName: "micButton"
        Layout.leftMargin: 12
        implicitWidth: 26
        implicitHeight: 26
        hoverEnabled: true
        Accessible.name: "Start/stop listening (Ctrl+L, or Ctrl+Alt+L from anywhere)"
        ToolTip.text: Accessible.name
        ToolTip.visible: hovered
        ToolTip.delay: 600
        onClicked: root.controller.toggleListening()

        background: Rectangle {
            objectName: "micCircle"
            radius: width / 2
            color: Style.namedColor(root.speech?.colour ?? "secondary", palette)
            opacity: micButton.down ? 0.8 : 1
        }
        contentItem: Item {
            Symbol {
                objectName: "micSymbol"
                anchors.centerIn: parent
                symbol: root.speech?.symbol ?? "mic"
                size: 14
                color: "white"
            }
        }
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 3

        Label {
            objectName: "listeningStatus"
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: root.speech?.statusText ?? "Not listening"
            font.weight: Font.Medium
            // A failure says what to do about it: wrap rather than cut it off.
            wrapMode: Text.Wrap
            maximumLineCount: 3
            elide: Text.ElideRight
        }
        LevelMeter {
            objectName: "levelMeter"
            visible: root.speech?.showsLevel ?? false
            level: root.speech?.level ?? 0
        }
    }

    BusyIndicator {
        objectName: "tidySpinner"
        visible: root.controller.tidying
        running: visible
        Layout.preferredWidth: 20
        Layout.preferredHeight: 20
    }
    ToolButton {
        objectName: "cancelTidyButton"
        visible: root.controller.tidying
        text: "Cancel"
        Accessible.name: "Cancel tidying"
        ToolTip.text: Accessible.name
        ToolTip.visible: hovered
        ToolTip.delay: 600
        onClicked: root.controller.cancelTidy()
    }
    ToolButton {
        objectName: "compactToggle"
        icon.source: Style.symbol(root.controller.compact ? "rectangle.expand.vertical"
                                                          : "rectangle.compress.vertical")
        icon.color: palette.buttonText
        Accessible.name: "Compact / full view (Ctrl+\\)"
        ToolTip.text: Accessible.name
        ToolTip.visible: hovered
        ToolTip.delay: 600
        onClicked: root.controller.toggleCompact()
    }
    ToolButton {
        id: menuButton
        objectName: "menuButton"
        icon.source: Style.symbol("ellipsis.circle")
        icon.color: palette.buttonText
        Accessible.name: "Menu"
        Layout.rightMargin: 6
        onClicked: menu.open()

        Menu {
            id: menu
            objectName: "panelMenu"
            y: menuButton.height
            onAboutToShow: startAtLoginItem.checked = root.panel.startsAtLogin()

            MenuItem {
                objectName: "openRosterItem"
                text: "Open Roster…"
                onTriggered: root.controller.openRoster()
            }
            MenuItem {
                objectName: "exportCSVItem"
                text: "Export CSV…"
                onTriggered: root.controller.exportCSV()
            }
            MenuItem {
                objectName: "exportTextItem"
                text: "Export Text…"
                onTriggered: root.controller.exportText()
            }
            MenuItem {
                objectName: "exportGradeBookItem"
                text: "Export Grade Book…"
                onTriggered: root.controller.exportGradeBook()
            }
            MenuSeparator {}
            MenuItem {
                objectName: "tidyNotesItem"
                text: "Tidy Notes with Claude"
                enabled: root.controller.store.hasFocusedStudent && !root.controller.tidying
                onTriggered: root.controller.tidyFocusedStudent()
            }
            MenuItem {
                objectName: "editTidyPromptItem"
                text: "Edit Tidy Prompt…"
                onTriggered: root.panel.openWindow("tidy")
            }
            MenuItem {
                objectName: "commentsItem"
                text: "Comments…"
                onTriggered: root.panel.openWindow("comments")
            }
            MenuItem {
                objectName: "correctionsItem"
                text: "Corrections…"
                onTriggered: root.panel.openWindow("corrections")
            }
            MenuItem {
                objectName: "voiceTrainingItem"
                text: "Train Kelvarn on my voice…"
                onTriggered: root.panel.openWindow("training")
            }
            MenuSeparator {}
            MenuItem {
                objectName: "showActivityItem"
                text: "Show Activity"
                checkable: true
                checked: root.controller.showActivity
                onToggled: root.controller.setShowActivity(checked)
            }
            MenuItem {
                objectName: "anonymousItem"
                text: "Anonymous Grading"
                checkable: true
                checked: root.controller.store.anonymous
                onToggled: root.controller.store.anonymous = checked
            }
            Menu {
                id: sleepMenu
                objectName: "sleepMenu"
                title: "Sleep When Quiet"

                // One choice at a time, as radio buttons.
                ButtonGroup {
                    id: sleepChoices
                }

                MenuItem {
                    text: "After 5 Minutes"
                    checkable: true
                    ButtonGroup.group: sleepChoices
                    checked: root.controller.sleepMinutes === 5
                    onTriggered: root.controller.sleepMinutes = 5
                }
                MenuItem {
                    text: "After 10 Minutes"
                    checkable: true
                    ButtonGroup.group: sleepChoices
                    checked: root.controller.sleepMinutes === 10
                    onTriggered: root.controller.sleepMinutes = 10
                }
                MenuItem {
                    text: "After 20 Minutes"
                    checkable: true
                    ButtonGroup.group: sleepChoices
                    checked: root.controller.sleepMinutes === 20
                    onTriggered: root.controller.sleepMinutes = 20
                }
                MenuItem {
                    text: "After 30 Minutes"
                    checkable: true
                    ButtonGroup.group: sleepChoices
                    checked: root.controller.sleepMinutes === 30
                    onTriggered: root.controller.sleepMinutes = 30
                }
                MenuItem {
                    text: "Never"
                    checkable: true
                    ButtonGroup.group: sleepChoices
                    checked: root.controller.sleepMinutes === 0
                    onTriggered: root.controller.sleepMinutes = 0
                }
            }
            MenuItem {
                objectName: "voiceCommandsItem"
                text: "Voice Commands…"
                onTriggered: root.panel.openWindow("help")
            }
            MenuItem {
                objectName: "checkForUpdatesItem"
                text: "Check for Updates…"
                onTriggered: root.controller.updater?.check()
            }
            MenuItem {
                objectName: "showDataFolderItem"
                text: "Show Data Folder"
                onTriggered: root.panel.showDataFolder()
            }
            MenuSeparator {}
            MenuItem {
                id: startAtLoginItem
                objectName: "startAtLoginItem"
                text: "Start at Login"
                checkable: true
                onTriggered: root.panel.toggleStartAtLogin()
            }
            // Where no tray shows its menu, this is the way out: hiding the panel keeps listening.
            MenuItem {
                objectName: "quitItem"
                text: "Quit Kelvarn"
                onTriggered: root.panel.quit()
            }
        }
    }
}
