import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

// One rubric section of the focused student: its points, the level chips and the notes.
CardFrame {
    id: root

    required property StoreObject store
    required property string studentId
    required property var section // key, title, weight
    required property var grade   // level, points, notes
    readonly property string key: section.key

    onTapped: root.store.focusSection(section.key)

    contentItem: ColumnLayout {
        spacing: 6

        RowLayout {
            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: root.section.title
                font.weight: Font.DemiBold
                elide: Text.ElideRight
            }
            Label {
                textFormat: Text.PlainText
                text: root.section.weight
                font.pointSize: Application.font.pointSize * 0.85
                color: palette.placeholderText
            }
            Label {
                textFormat: Text.PlainText
                text: root.grade.points
            }
        }
        Flow {
            Layout.fillWidth: true
            spacing: 6
            Repeater {
                model: root.store.levels
                LevelChip {
                    required property var modelData
                    level: modelData
                    selected: root.grade.level === modelData.key // qmllint disable unqualified
                    onClicked: root.store.setLevel(selected ? "" : modelData.key, root.studentId, // qmllint disable unqualified
                                                   root.section.key)
                }
            }
        }
        // Every card keeps its notes box, focused or not: a click on a chip or a card then
        // changes nothing of the layout under the pointer.
        NotesEditor {
            Layout.fillWidth: true
            store: root.store
            studentId: root.studentId
            section: root.section.key
            notes: root.grade.notes
            placeholder: "Notes — why this level"
            // Typing into a card's notes makes it the one dictation goes to.
            onEditorFocused: {
                if (!root.focused)
                    root.store.focusSection(root.section.key)
            }
        }
    }
}
