import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

// The student's overall comments, dictated while no section is focused.
CardFrame {
    id: root

    required property StoreObject store
    required property string studentId
    required property string notes
    readonly property string key: "overall"

    onTapped: root.store.focusSection("")

    contentItem: ColumnLayout {
        spacing: 6

        Label {
            textFormat: Text.PlainText
            text: "Overall comments"
            font.weight: Font.DemiBold
        }
        Loader {
            Layout.fillWidth: true
            active: root.focused
            visible: active
            sourceComponent: NotesEditor {
                store: root.store // qmllint disable unqualified
                studentId: root.studentId // qmllint disable unqualified
                section: ""
                notes: root.notes // qmllint disable unqualified
                placeholder: "Overall comments"
            }
        }
        Label {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            visible: !root.focused
            text: root.notes !== "" ? root.notes : "Unfocus a section to dictate overall comments."
            wrapMode: Text.Wrap
            font.pointSize: root.notes !== "" ? Application.font.pointSize
                                              : Application.font.pointSize * 0.85
            color: root.notes !== "" ? palette.windowText : palette.placeholderText
        }
    }
}
