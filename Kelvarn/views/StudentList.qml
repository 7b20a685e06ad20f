import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

// Every student of the class, or how to load one when there is none.
Item {
    id: root

    required property AppController controller
    readonly property StoreObject store: root.controller.store

    ColumnLayout {
        anchors.centerIn: parent
        visible: root.store.rosterEmpty
        spacing: 6

        Label {
            textFormat: Text.PlainText
            Layout.alignment: Qt.AlignHCenter
            text: "No roster loaded"
            font.bold: true
            font.pointSize: Application.font.pointSize * 1.1
        }
        Label {
            textFormat: Text.PlainText
            Layout.alignment: Qt.AlignHCenter
            text: "A .txt file with one student per line."
            color: palette.placeholderText
        }
        Button {
            Layout.alignment: Qt.AlignHCenter
            text: "Open Roster…"
            Accessible.name: text
            onClicked: root.controller.openRoster()
        }
    }

    ListView {
        id: list
        objectName: "studentList"
        anchors.fill: parent
        visible: !root.store.rosterEmpty
        clip: true
        model: root.store.students
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}

        header: Label {
            textFormat: Text.PlainText
            width: list.width // qmllint disable unqualified
            leftPadding: 12
            topPadding: 6
            bottomPadding: 4
            text: root.store.progressText // qmllint disable unqualified
            font.pointSize: Application.font.pointSize * 0.85
            font.weight: Font.DemiBold
            color: palette.placeholderText
        }

        delegate: ItemDelegate {
            id: row
            required property string studentId
            required property string name
            required property string status
            required property var gradedSections
            required property string score

            width: list.width // qmllint disable unqualified
            leftPadding: 12
            rightPadding: 12
            topPadding: 5
            bottomPadding: 5
            Accessible.name: name
            onClicked: root.store.focusStudent(studentId) // qmllint disable unqualified

            contentItem: StudentRow {
                name: row.name
                status: row.status
                gradedSections: row.gradedSections
                score: row.score
                sections: root.store.sections // qmllint disable unqualified
            }
        }
    }
}
