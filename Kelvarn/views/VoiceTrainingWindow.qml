import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App
import "Style.js" as Style

// Reading prompts aloud to train the recogniser on the user's voice; only hidden when closed,
// so the takes so far survive a close.
Window {
    id: root

    required property VoiceTrainingObject training

    title: "Train Kelvarn on my voice"
    width: 540
    height: 400
    minimumWidth: 420
    minimumHeight: 360
    flags: Qt.Tool | Qt.WindowStaysOnTopHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: palette.window

    // Closing ends a take under way: nothing records out of sight.
    onVisibleChanged: if (!visible) root.training.stopRecording()

    Shortcut {
        sequence: "Escape"
        onActivated: root.close()
    }
    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 14
        spacing: 10

        Label {
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            text: "Press Record, read the line aloud as you would while grading, then press Stop. "
                  + "At least " + root.training.fewestTakes + " lines teach Kelvarn your voice; "
                  + "lines fixed with “Add to my voice training” ticked count too."
        }
        RowLayout {
            Layout.fillWidth: true
            Label {
                objectName: "promptNumber"
                text: "Line " + (root.training.index + 1) + " of " + root.training.count
                color: palette.placeholderText
            }
            Item {
                Layout.fillWidth: true
            }
            Label {
                objectName: "recordedMark"
                visible: root.training.recorded
                text: "✓ Recorded"
                color: Style.green
            }
        }
        // Two lines tall whatever the prompt, so the buttons below stay under the pointer.
        FontMetrics {
            id: promptMetrics
            font: promptText.font
        }
        Label {
            id: promptText
            objectName: "promptText"
            Layout.fillWidth: true
            Layout.preferredHeight: promptMetrics.lineSpacing * 2
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            font.pointSize: Application.font.pointSize * 1.6
            font.bold: true
            // A long name shrinks the text rather than pushing the buttons down.
            fontSizeMode: Text.Fit
            minimumPointSize: Application.font.pointSize
            text: "“" + root.training.prompt + "”"
        }
        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 8
            Button {
                objectName: "previousButton"
                text: "‹ Back"
                enabled: !root.training.recording && root.training.index > 0
                onClicked: root.training.previous()
            }
            Button {
                id: recordButton
                objectName: "recordButton"
                text: root.training.recording ? "■ Stop" : "● Record"
                highlighted: true
                enabled: !root.training.training
                onClicked: root.training.recording ? root.training.stopRecording()
                                                   : root.training.record()
            }
            Button {
                objectName: "nextButton"
                text: "Next ›"
                enabled: !root.training.recording
                         && root.training.index + 1 < root.training.count
                onClicked: root.training.next()
            }
        }
        ProgressBar {
            objectName: "recordingLevel"
            Layout.fillWidth: true
            visible: root.training.recording
            from: 0
            to: 1
            value: root.training.level
        }
        Label {
            objectName: "trainingMessage"
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            visible: text !== ""
            text: root.training.message
        }
        Item {
            Layout.fillHeight: true
        }
        ProgressBar {
            objectName: "trainingProgress"
            Layout.fillWidth: true
            visible: root.training.training
            from: 0
            to: 1
            value: root.training.progress
        }
        Label {
            visible: root.training.training
            text: root.training.step + "…"
            color: palette.placeholderText
        }
        RowLayout {
            Layout.fillWidth: true
            Label {
                objectName: "recordedCount"
                text: root.training.recordedCount + " of " + root.training.count + " recorded"
                      + (root.training.addedCount > 0
                         ? " · " + root.training.addedCount + " from Fix" : "")
                color: palette.placeholderText
            }
            Item {
                Layout.fillWidth: true
            }
            Button {
                objectName: "forgetButton"
                text: "Forget my voice training"
                enabled: root.training.trained && !root.training.training
                onClicked: root.training.forget()
            }
            Button {
                objectName: "trainButton"
                text: "Train"
                enabled: !root.training.training && !root.training.recording
                         && root.training.recordedCount + root.training.addedCount
                            >= root.training.fewestTakes
                onClicked: root.training.train()
            }
        }
    }
}
