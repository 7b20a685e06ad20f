import QtQuick
import QtQuick.Controls

// A button that reads as a link; disabled it reads as plain text.
AbstractButton {
    id: root

    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight + 12
    Accessible.name: text
    hoverEnabled: true

    contentItem: Label {
        id: label
        text: root.text
        elide: Text.ElideRight
        color: root.enabled ? palette.link : palette.windowText
        font.underline: root.enabled && root.hovered
        verticalAlignment: Text.AlignVCenter
    }
}
