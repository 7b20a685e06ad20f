import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// The compact panel: what is focused, its score, and the latest result.
ColumnLayout {
    id: root

    required property StoreObject store
    readonly property var student: store.focusedStudent

    spacing: 2

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 12
        Layout.rightMargin: 12
        Layout.topMargin: 6

        Label {
            objectName: "focusText"
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: root.store.focusText
            font.bold: true
            elide: Text.ElideRight
        }
        Label {
            objectName: "compactScore"
            textFormat: Text.PlainText
            visible: root.store.hasFocusedStudent
            text: root.student.score ?? ""
        }
    }
    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 12
        Layout.rightMargin: 12
        Layout.bottomMargin: 6
        spacing: 4

        Symbol {
            visible: root.store.latestResult !== ""
            symbol: root.store.latestResultSymbol !== "" ? root.store.latestResultSymbol
                                                         : Style.kindSymbol(root.store.latestResultKind)
            size: 11
            color: Style.kindColor(root.store.latestResultKind, palette)
        }
        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: root.store.latestResult
            color: Style.kindColor(root.store.latestResultKind, palette)
            elide: Text.ElideRight
            maximumLineCount: 1
        }
    }
}
