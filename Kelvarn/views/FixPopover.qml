import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

// Edits what was heard and re-runs it; a misheard word can be remembered as a rule.
Popup {
    id: root

    required property AppController controller
    readonly property StoreObject store: root.controller.store
    readonly property ReplayObject replay: root.controller.replay
    // The heard text, taken when the popover opens.
    property string original
    property bool remember: false
    // Once the user has flipped the checkbox, remember is theirs.
    property bool userToggled: false
    // {heard, replacement} of the rule this fix would teach; empty when none.
    readonly property var suggestion: root.store.suggestedCorrection(original, field.text)
    readonly property bool hasSuggestion: suggestion.heard !== undefined
    readonly property string suggestedReplacement: suggestion.replacement ?? ""
    readonly property bool changed: {
        const corrected = field.text.trim()
        return corrected !== "" && corrected !== original
    }

    width: 340
    padding: 14
    margins: 6
    focus: true
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    onAboutToShow: {
        original = root.store.lastUtteranceText
        field.text = original
        remember = false
        userToggled = false
        trainBox.checked = false
    }
    onOpened: field.forceActiveFocus()
    onClosed: {
        if (replay !== null)
            replay.stop()
    }

    // A fixed name is likely misheard again: offer to remember it, and nothing else, until the
    // user decides.
    onSuggestedReplacementChanged: {
        if (!userToggled && suggestion.heard !== undefined)
            remember = root.store.namesOneStudent(suggestedReplacement)
    }

    // Closed first: the re-run replaces the last heard line, and with it the feed's button that
    // holds this popover.
    function apply() {
        if (!changed)
            return
        const corrected = field.text
        // Read before closing hides the box.
        const train = trainBox.visible && trainBox.checked
        close()
        // Before the fix, which could end the recording's turn as the last heard line's.
        if (train)
            root.replay.offerToTraining(corrected)
        root.controller.fixLastUtterance(original, corrected, remember)
    }

    // Ids inside are used at once, so the content is made with the popover, not deferred.
    contentItem: ColumnLayout { // qmllint disable deferred-property-id
        spacing: 8

        // Return anywhere in the popover is Re-run.
        Keys.onReturnPressed: root.apply()
        Keys.onEnterPressed: root.apply()

        Label {
            textFormat: Text.PlainText
            text: "Fix what was heard"
            font.weight: Font.DemiBold
            font.pointSize: Application.font.pointSize * 1.1
        }
        RowLayout {
            Layout.fillWidth: true

            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: "Heard: “" + root.original + "”"
                font.pointSize: Application.font.pointSize * 0.85
                color: palette.placeholderText
                wrapMode: Text.Wrap
            }
            // Hearing it again tells whether the words or the recogniser went wrong.
            ToolButton {
                objectName: "playButton"
                visible: root.replay !== null && root.replay.available
                readonly property bool playing: root.replay !== null && root.replay.playing
                text: playing ? "Stop" : "Play"
                icon.source: playing ? "icons/pause.fill.svg" : "icons/play.fill.svg"
                icon.color: palette.buttonText
                icon.width: 12
                icon.height: 12
                Accessible.name: playing ? "Stop playing what was heard" : "Play what was heard"
                onClicked: playing ? root.replay.stop() : root.replay.play()
            }
        }
        ScrollView {
            id: scroller
            Layout.fillWidth: true
            // One line to five, then it scrolls.
            Layout.preferredHeight: Math.min(field.implicitHeight,
                                             5 * lines.height + field.topPadding
                                             + field.bottomPadding)
            FontMetrics {
                id: lines
                font: field.font
            }

            TextArea {
                id: field
                objectName: "fixText"
                textFormat: TextEdit.PlainText
                placeholderText: "What you said"
                wrapMode: TextEdit.Wrap
                selectByMouse: true
                Accessible.name: placeholderText
                Keys.onReturnPressed: root.apply()
                Keys.onEnterPressed: root.apply()
                background: Rectangle {
                    radius: 5
                    color: palette.base
                    border.width: 1
                    border.color: field.activeFocus ? palette.highlight : palette.mid
                }
            }
        }
        CheckBox {
            id: rememberBox
            objectName: "rememberBox"
            Layout.fillWidth: true
            visible: root.hasSuggestion
            text: "Always fix “" + (root.suggestion.heard ?? "") + "” → “"
                  + root.suggestedReplacement + "”"
            checked: root.remember
            onToggled: {
                root.userToggled = true
                root.remember = checked
                checked = Qt.binding(() => root.remember)
            }
            contentItem: Label {
                textFormat: Text.PlainText
                text: rememberBox.text
                leftPadding: rememberBox.indicator.width + rememberBox.spacing
                verticalAlignment: Text.AlignVCenter
                wrapMode: Text.Wrap
            }
        }
        // What was said, with the words it really was, teaches the recogniser the speaker.
        CheckBox {
            id: trainBox
            objectName: "trainBox"
            Layout.fillWidth: true
            visible: root.replay !== null && root.replay.available
            text: "Add to my voice training"
        }
        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: "Its effects are undone and the corrected text runs as if you'd said it."
            font.pointSize: Application.font.pointSize * 0.85
            color: palette.placeholderText
            wrapMode: Text.Wrap
        }
        RowLayout {
            Layout.fillWidth: true

            Button {
                text: "Cancel"
                Accessible.name: text
                onClicked: root.close()
            }
            Item {
                Layout.fillWidth: true
            }
            Button {
                objectName: "rerunButton"
                text: "Re-run"
                highlighted: true
                enabled: root.changed
                Accessible.name: text
                onClicked: root.apply()
            }
        }
    }
}
