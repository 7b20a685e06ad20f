import QtQuick
import QtQuick.Controls
import QtQuick.Controls.impl
import QtQuick.Layouts
import Kelvarn.App
import "Style.js" as Style

// The comment bank: comments said by their short name. Pick one to change it, or write a new
// one below; what was typed stays for as long as the window lives.
ColumnLayout {
    id: root

    required property AppController controller
    readonly property CommentsModel comments: root.controller.store.comments
    // The name of the comment being changed; empty while writing a new one.
    property string editing: ""
    property string refusal: ""
    readonly property bool canSave: nameField.text.trim() !== "" && textField.text.trim() !== ""

    spacing: 10

    function startEditing(name, text) {
        root.editing = name
        root.refusal = ""
        nameField.text = name
        textField.text = text
        nameField.forceActiveFocus()
    }

    function stopEditing() {
        root.editing = ""
        root.refusal = ""
        nameField.clear()
        textField.clear()
    }

    function save() {
        const refused = root.editing === ""
                ? root.controller.addComment(nameField.text, textField.text)
                : root.controller.editComment(root.editing, nameField.text, textField.text)
        if (refused === "")
            root.stopEditing()
        else
            root.refusal = refused
    }

    Label {
        textFormat: Text.PlainText
        Layout.fillWidth: true
        text: "Feedback you give again and again. Say “comment” and its short name — “comment "
              + "thesis vague” — and its text is added to the focused notes."
        color: palette.placeholderText
        wrapMode: Text.Wrap
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 6

        ComboBox {
            id: order
            objectName: "commentOrder"
            model: ["As added", "Most used first"]
            currentIndex: root.comments.sortByUse ? 1 : 0
            Accessible.name: "Order of the comments"
            onActivated: index => root.comments.sortByUse = index === 1
        }
        Item {
            Layout.fillWidth: true
        }
        Button {
            objectName: "importCommentsButton"
            text: "Import…"
            Accessible.name: "Import comments from a CSV file"
            onClicked: root.controller.importComments()
        }
        Button {
            objectName: "exportCommentsButton"
            text: "Export…"
            enabled: list.count > 0
            Accessible.name: "Export the comments as a CSV file"
            onClicked: root.controller.exportComments()
        }
    }

    Label {
        textFormat: Text.PlainText
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: list.count === 0
        text: "No comments yet. Write one below, or import a CSV file of names and texts."
        color: palette.placeholderText
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    Frame {
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: list.count > 0
        padding: 1

        ListView {
            id: list
            objectName: "commentsList"
            anchors.fill: parent
            clip: true
            model: root.comments
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}

            delegate: ItemDelegate {
                id: row
                required property string name
                required property string commentText
                required property int uses
                width: ListView.view.width
                highlighted: row.name === root.editing // qmllint disable unqualified
                Accessible.name: row.name + ", used " + row.uses + " times: " + row.commentText
                onClicked: root.startEditing(row.name, row.commentText) // qmllint disable unqualified

                contentItem: RowLayout {
                    spacing: 6

                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2

                        RowLayout {
                            spacing: 8
                            Label {
                                textFormat: Text.PlainText
                                text: row.name
                                font.bold: true
                                color: row.highlighted ? palette.highlightedText : palette.windowText
                            }
                            Label {
                                textFormat: Text.PlainText
                                text: row.uses === 0 ? "not used yet"
                                      : row.uses === 1 ? "used once" : "used " + row.uses + "×"
                                color: row.highlighted ? palette.highlightedText
                                                       : palette.placeholderText
                                font.pointSize: Math.max(1, row.font.pointSize - 1)
                            }
                        }
                        Label {
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                            text: row.commentText
                            color: row.highlighted ? palette.highlightedText : palette.windowText
                            wrapMode: Text.Wrap
                            maximumLineCount: 2
                            elide: Text.ElideRight
                        }
                    }
                    ToolButton {
                        icon.source: Style.symbol("trash")
                        icon.color: palette.buttonText
                        display: AbstractButton.IconOnly
                        text: "Delete “" + row.name + "”"
                        Accessible.name: text
                        ToolTip.text: text
                        ToolTip.visible: hovered
                        ToolTip.delay: 600
                        onClicked: {
                            if (row.name === root.editing) // qmllint disable unqualified
                                root.stopEditing() // qmllint disable unqualified
                            root.controller.removeComment(row.name) // qmllint disable unqualified
                        }
                    }
                }
            }
        }
    }

    TextField {
        id: nameField
        objectName: "commentNameField"
        Layout.fillWidth: true
        placeholderText: "Short name, as you will say it (e.g. thesis vague)"
        Accessible.name: "Short name"
        onAccepted: textField.forceActiveFocus()
    }
    ScrollView {
        Layout.fillWidth: true
        Layout.preferredHeight: 70

        TextArea {
            id: textField
            objectName: "commentTextField"
            placeholderText: "What it adds to the notes…"
            wrapMode: TextEdit.Wrap
            Accessible.name: "Comment text"
            background: Rectangle {
                color: palette.base
                border.color: textField.activeFocus ? palette.highlight : palette.mid
                radius: 2
            }
        }
    }
    Label {
        objectName: "commentRefusal"
        textFormat: Text.PlainText
        Layout.fillWidth: true
        visible: root.refusal !== ""
        text: root.refusal
        color: Style.red
        wrapMode: Text.Wrap
    }
    RowLayout {
        Layout.fillWidth: true
        spacing: 6

        Item {
            Layout.fillWidth: true
        }
        Button {
            text: "Cancel"
            visible: root.editing !== ""
            onClicked: root.stopEditing()
        }
        Button {
            objectName: "saveCommentButton"
            text: root.editing === "" ? "Add" : "Save"
            enabled: root.canSave
            highlighted: true
            Accessible.name: root.editing === "" ? "Add this comment" : "Save the changes"
            onClicked: root.save()
        }
    }
}
