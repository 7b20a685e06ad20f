import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// One rubric section of the focused student: its points, the level chips and the notes.
CardFrame {
    id: root

    required property QtObject store
    required property string studentId
    required property var section // key, title, weight
    required property var grade   // level, points, notes
    readonly property string key: section.key

    onTapped: store.focusSection(section.key)

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
                font.pointSize: Qt.application.font.pointSize * 0.85
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
                    selected: root.grade.level === modelData.key
                    onClicked: root.store.setLevel(selected ? "" : modelData.key, root.studentId,
                                                   root.section.key)
                }
            }
        }
        Loader {
            Layout.fillWidth: true
            active: root.focused
            visible: active
            sourceComponent: NotesEditor {
                store: root.store
                studentId: root.studentId
                section: root.section.key
                notes: root.grade.notes
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
