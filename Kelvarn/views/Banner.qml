import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

import "Style.js" as Style

// A message across the panel with one action.
Rectangle {
    id: root

    required property string text
    required property color tint
    required property string actionTitle
    signal action()

    implicitHeight: row.implicitHeight + 12
    color: Style.withAlpha(tint, 0.18)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 6
        anchors.bottomMargin: 6

        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: root.text
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }
        Button {
            flat: true
            text: root.actionTitle
            font.weight: Font.Medium
            Accessible.name: root.actionTitle
            onClicked: root.action()
        }
    }
}
