import QtQuick
import QtQuick.Controls
import Kelvarn.App

// Fixes the last heard line: its effects are undone and the corrected text runs instead. Only the
// full form carries Ctrl+K, so the key is bound once with both forms on screen.
Item {
    id: root

    required property AppController controller
    // Icon only, for the feed line.
    property bool compact: false
    readonly property StoreObject store: root.controller.store
    readonly property bool showing: popover.visible
    readonly property string help: root.store.canFixLastUtterance
                                   ? "Fix what was heard and re-run it (Ctrl+K)"
                                   : "Something changed since this line — edit the notes directly instead"

    visible: root.store.hasLastUtterance
    implicitWidth: button.implicitWidth
    implicitHeight: button.implicitHeight

    function openPopover() {
        if (root.store.canFixLastUtterance)
            popover.open()
    }

    ToolButton {
        id: button
        objectName: "fixButton"
        anchors.fill: parent
        text: "Fix"
        display: root.compact ? AbstractButton.IconOnly : AbstractButton.TextBesideIcon
        icon.source: "icons/pencil.svg"
        icon.color: enabled ? palette.buttonText : palette.placeholderText
        icon.width: root.compact ? 12 : 16
        icon.height: root.compact ? 12 : 16
        padding: root.compact ? 2 : 6
        enabled: root.store.canFixLastUtterance
        Accessible.name: text
        Accessible.description: root.help
        onClicked: root.openPopover()
    }

    // On the wrapper: a disabled button is not hovered, and then its help says why.
    HoverHandler {
        id: hover
    }
    ToolTip.text: help
    ToolTip.visible: hover.hovered
    ToolTip.delay: 600

    Shortcut {
        sequence: "Ctrl+K"
        enabled: !root.compact
        onActivated: root.openPopover()
    }

    FixPopover {
        id: popover
        controller: root.controller
        y: root.height
    }
}
