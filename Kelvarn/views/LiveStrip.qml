import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// The words being heard: the unfinished transcript, else the last heard line. Hidden while not
// listening with nothing heard yet.
Rectangle {
    id: root

    required property AppController controller
    readonly property SpeechObject speech: root.controller.speech
    // Names hidden while grading anonymously, as in the feed.
    readonly property string partial: root.controller.store.anonymous
                                      ? root.controller.store.shown(speech?.partial ?? "")
                                      : speech?.partial ?? ""
    readonly property string heard: root.controller.store.lastHeard

    visible: (speech?.isRunning ?? false) || heard !== ""
    implicitHeight: row.implicitHeight + 12
    color: Style.withAlpha(palette.windowText, 0.05)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 6

        Symbol {
            Layout.alignment: Qt.AlignTop
            Layout.topMargin: (line.implicitHeight / Math.max(1, line.lineCount) - size) / 2
            symbol: "waveform"
            color: palette.placeholderText
        }
        // At most two lines; a longer text loses its beginning, so the newest words stay in view.
        // It takes the whole width left: sized to the text, the layout rounds that width down
        // and a short word breaks in two.
        Item {
            objectName: "liveTextWindow"
            Layout.fillWidth: true
            implicitHeight: line.lineCount > 2 ? line.implicitHeight / line.lineCount * 2
                                               : line.implicitHeight
            clip: true

            Label {
                id: line
                objectName: "liveText"
                textFormat: Text.PlainText
                anchors.bottom: parent.bottom
                width: parent.width
                wrapMode: Text.Wrap
                text: root.partial !== "" ? root.partial : root.heard !== "" ? root.heard : "…"
                font.italic: root.partial !== ""
                color: root.partial !== "" ? palette.windowText : palette.placeholderText
            }
        }
        // Not while words are still arriving: the line to fix is not finished.
        FixButton {
            objectName: "liveFixButton"
            Layout.alignment: Qt.AlignTop
            controller: root.controller
            visible: root.partial === "" && root.controller.store.hasLastUtterance
        }
    }
}
