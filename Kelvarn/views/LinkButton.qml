import QtQuick
import QtQuick.Controls

// A button that reads as a link; disabled it reads as plain text.
AbstractButton {
    id: root

    implicitWidth: contentItem.implicitWidth
    implicitHeight: contentItem.implicitHeight + 12
    Accessible.name: text
    hoverEnabled: true

    contentItem: Label {
        textFormat: Text.PlainText
        text: root.text
        elide: Text.ElideRight
        color: root.enabled ? palette.link : palette.windowText
        font.underline: root.enabled && root.hovered
        verticalAlignment: Text.AlignVCenter
    }
}
