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
                Layout.fillWidth: true
                text: root.section.title
                font.weight: Font.DemiBold
                elide: Text.ElideRight
            }
            Label {
                text: root.section.weight
                font.pointSize: Application.font.pointSize * 0.85
                color: palette.placeholderText
            }
            Label {
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
        Loader {
            Layout.fillWidth: true
            active: root.focused
            visible: active
            sourceComponent: NotesEditor {
                store: root.store // qmllint disable unqualified
                studentId: root.studentId // qmllint disable unqualified
                section: root.section.key // qmllint disable unqualified
                notes: root.grade.notes // qmllint disable unqualified
                placeholder: "Notes — why this level"
            }
        }
        Label {
            Layout.fillWidth: true
            visible: !root.focused && root.grade.notes !== ""
            text: root.grade.notes
            wrapMode: Text.Wrap
        }
    }
}
