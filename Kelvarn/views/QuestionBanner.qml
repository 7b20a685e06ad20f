import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// The open question, with a button per student a "Which one?" offers: a click answers it as
// saying the name would.
Rectangle {
    id: root

    required property StoreObject store

    implicitHeight: column.implicitHeight + 12
    color: Style.withAlpha(Style.orange, 0.18)

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 2

        RowLayout {
            Layout.fillWidth: true

            Label {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: root.store.pendingQuestion
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }
            Button {
                flat: true
                text: "Cancel"
                font.weight: Font.Medium
                Accessible.name: "Cancel the question"
                onClicked: root.store.cancelPending()
            }
        }
        Flow {
            Layout.fillWidth: true
            visible: choices.count > 0
            spacing: 6

            Repeater {
                id: choices
                model: root.store.pendingChoices
                Button {
                    id: choice
                    required property var modelData
                    objectName: "choiceButton"
                    text: choice.modelData.name
                    Accessible.name: "Choose " + choice.modelData.name
                    onClicked: root.store.focusStudent(choice.modelData.id) // qmllint disable unqualified
                    // The style's own label would take a name that looks like markup for markup.
                    contentItem: Label {
                        textFormat: Text.PlainText
                        text: choice.text
                        font: choice.font
                        color: choice.palette.buttonText
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                    }
                }
            }
        }
    }
}
