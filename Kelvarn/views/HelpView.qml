import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// What can be said, and which keys do what.
Pane {
    id: root

    // From the rubric: exampleName, example (a chained utterance) and sections (the words that
    // pick a section).
    required property var texts

    readonly property var groups: [
        {
            title: "Navigate",
            rows: [
                ["A student's name", "“" + texts.exampleName
                                     + "” — the surname or first name alone is enough when it is unique"],
                ["A section", texts.sections],
                ["Next / previous student", "“next student”, “previous student”"],
                ["A student by number", "“student 12” or “student twelve” — in class order"],
                ["Next ungraded", "“next ungraded” — the next student with a section left to grade"],
                ["Next / previous section", "“next section”, “previous section”"],
                ["Unfocus", "“unfocus” or “back” — section → student → all"],
            ]
        },
        {
            title: "Grade (the focused section)",
            rows: [
                ["Levels", "“complete” (or “full marks”), “mostly”, “somewhat”, “incomplete”"],
                ["A saved comment", "“comment thesis vague” — adds the comment of that short name (Comments… in the ⋯ menu) to the focused notes"],
            ]
        },
        {
            title: "Fix things",
            rows: [
                ["Undo", "“undo” or “scratch that” — reverts the last action, including notes"],
                ["Correction", "“correction: <text>” — replaces the last note you dictated"],
                ["Misheard?", "click ✎ Fix (Ctrl+K) on the last heard line, edit it, and it re-runs"],
                ["Clear notes", "“clear notes” — empties the focused notes"],
                ["Cancel", "“cancel” / “never mind” — drop a pending question"],
            ]
        },
        {
            title: "Microphone",
            rows: [
                ["Pause", "“pause listening” — ignores everything until…"],
                ["Resume", "“resume listening”"],
            ]
        },
        {
            title: "Keyboard",
            rows: [
                ["Ctrl+Alt+G / Ctrl+Alt+L", "show/hide panel · start/stop listening (from any app)"],
                ["Ctrl+Z  Esc", "undo · unfocus"],
                ["Ctrl+[  Ctrl+]", "previous / next student"],
                ["Alt+↑  Alt+↓", "previous / next section"],
                ["Ctrl+1–4", "Complete / Mostly / Somewhat / Incomplete"],
                ["Ctrl+L Ctrl+O Ctrl+E Ctrl+Shift+E", "listen · roster · export CSV · export text"],
                ["Ctrl+T Ctrl+\\", "tidy notes · compact"],
                ["Ctrl+Q", "quit Kelvarn"],
            ]
        },
    ]

    padding: 16
    background: null

    ColumnLayout {
        width: parent.width
        spacing: 12

        Label {
            Layout.fillWidth: true
            textFormat: Text.StyledText
            text: "Say a command <b>on its own</b>, with a short pause before and after. Anything "
                  + "longer is treated as a note for whatever is focused."
            wrapMode: Text.Wrap
        }
        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: "Commands can be chained in one breath:"
            wrapMode: Text.Wrap
        }
        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            Layout.topMargin: -8
            text: root.texts.example
            font.italic: true
            wrapMode: Text.Wrap
        }

        Repeater {
            model: root.groups

            ColumnLayout {
                id: group
                required property var modelData
                Layout.fillWidth: true
                spacing: 4

                Label {
                    textFormat: Text.PlainText
                    text: group.modelData.title
                    font.weight: Font.DemiBold
                    font.pointSize: Application.font.pointSize * 1.1
                }
                Repeater {
                    model: group.modelData.rows

                    RowLayout {
                        id: row
                        required property var modelData
                        Layout.fillWidth: true
                        spacing: 8

                        Label {
                            Layout.preferredWidth: 150
                            Layout.alignment: Qt.AlignTop
                            text: row.modelData[0]
                            textFormat: Text.PlainText
                            font.pointSize: Application.font.pointSize * 0.92
                            wrapMode: Text.Wrap
                        }
                        Label {
                            Layout.fillWidth: true
                            Layout.alignment: Qt.AlignTop
                            text: row.modelData[1]
                            textFormat: Text.PlainText
                            font.pointSize: Application.font.pointSize * 0.92
                            color: palette.placeholderText
                            wrapMode: Text.Wrap
                        }
                    }
                }
            }
        }
    }
}
