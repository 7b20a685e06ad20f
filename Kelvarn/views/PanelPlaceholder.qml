import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The panel's root until its full views arrive: the header, the banner, the open question and
// the newest feed lines, so that what Kelvarn did and why it refused can already be read.
Rectangle {
    id: root

    color: palette.window
    border.color: palette.mid

    // Dragging the background moves the panel; the window system does the moving.
    MouseArea {
        anchors.fill: parent
        onPressed: panel.startMove()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 12
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            Label {
                text: "Kelvarn"
                font.bold: true
                Layout.fillWidth: true
            }
            ToolButton {
                text: "✕"
                Accessible.name: "Hide Panel"
                onClicked: panel.hide()
            }
        }

        Label {
            visible: controller.hasBanner
            text: controller.banner
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }

        Label {
            visible: controller.store.pendingQuestion !== ""
            text: controller.store.pendingQuestion
            color: "#c06000"
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }

        ListView {
            id: feed
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: controller.store.feedLines
            delegate: Label {
                required property string modelData
                width: feed.width
                text: modelData
                wrapMode: Text.Wrap
            }
            onCountChanged: positionViewAtEnd()
        }
    }
}
