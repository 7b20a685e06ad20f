import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// Where the focus is, each level a step back up.
RowLayout {
    id: root

    required property StoreObject store
    readonly property var student: root.store.focusedStudent
    readonly property var section: {
        const sections = root.store.sections
        for (let i = 0; i < sections.length; ++i) {
            if (sections[i].key === root.store.focusedSection)
                return sections[i]
        }
        return undefined
    }

    spacing: 2

    LinkButton {
        Layout.leftMargin: 12
        text: "All students"
        enabled: root.store.hasFocusedStudent
        onClicked: root.store.focusStudent("")
    }
    Symbol {
        visible: root.store.hasFocusedStudent
        symbol: "chevron.right"
        size: 10
        color: palette.placeholderText
    }
    LinkButton {
        visible: root.store.hasFocusedStudent
        text: root.student.name ?? ""
        enabled: root.store.focusedSection !== ""
        onClicked: root.store.focusSection("")
    }
    Symbol {
        visible: root.section !== undefined
        symbol: "chevron.right"
        size: 10
        color: palette.placeholderText
    }
    Label {
        textFormat: Text.PlainText
        visible: root.section !== undefined
        text: root.section?.shortTitle ?? ""
        elide: Text.ElideRight
        Layout.maximumWidth: 140
    }
    Item { Layout.fillWidth: true }
    ToolButton {
        id: unfocusButton
        objectName: "unfocusButton"
        Layout.rightMargin: 6
        text: "Unfocus"
        enabled: root.store.hasFocusedStudent
        Accessible.name: text
        icon.source: Style.symbol("arrow.up")
        icon.color: enabled ? palette.buttonText : palette.placeholderText
        ToolTip.text: "Go up one level (Esc, or say “unfocus”)"
        ToolTip.visible: hovered
        ToolTip.delay: 600
        onClicked: root.store.unfocus()
    }
}
