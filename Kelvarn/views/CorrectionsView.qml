import QtQuick
import QtQuick.Controls
import QtQuick.Controls.impl
import QtQuick.Layouts
import Kelvarn.App

// The user's correction rules: delete one, or add one by hand. The two fields keep what was
// typed for as long as the window lives.
ColumnLayout {
    id: root

    required property AppController controller
    readonly property StoreObject store: root.controller.store
    readonly property bool canAdd: heardField.text.trim() !== ""
                                   && replacementField.text.trim() !== ""

    spacing: 10

    Label {
        textFormat: Text.PlainText
        Layout.fillWidth: true
        text: "Words the recognizer keeps mishearing. Each rule is applied to everything heard, "
              + "before commands and notes, and the recognizer is told to listen for the "
              + "corrected word."
        color: palette.placeholderText
        wrapMode: Text.Wrap
    }

    Label {
        textFormat: Text.PlainText
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: rules.count === 0
        text: "No corrections yet. Use ✎ Fix on a heard line, or add one below."
        color: palette.placeholderText
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    Frame {
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: rules.count > 0
        padding: 1

        ListView {
            id: rules
            objectName: "correctionsList"
            anchors.fill: parent
            clip: true
            model: root.store.corrections
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}

            delegate: RowLayout {
                id: rule
                required property string ruleId
                required property string heard
                required property string replacement
                width: rules.width // qmllint disable unqualified
                spacing: 6

                Label {
                    textFormat: Text.PlainText
                    Layout.leftMargin: 8
                    text: "“" + rule.heard + "”"
                }
                IconImage {
                    source: "icons/arrow.right.svg"
                    sourceSize.width: 12
                    sourceSize.height: 12
                    color: palette.placeholderText
                }
                Label {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: rule.replacement
                    elide: Text.ElideRight
                }
                ToolButton {
                    icon.source: "icons/trash.svg"
                    icon.color: palette.buttonText
                    display: AbstractButton.IconOnly
                    text: "Delete this rule"
                    Accessible.name: text
                    ToolTip.text: text
                    ToolTip.visible: hovered
                    ToolTip.delay: 600
                    onClicked: root.controller.removeCorrection(rule.ruleId) // qmllint disable unqualified
                }
            }
        }
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 6

        TextField {
            id: heardField
            objectName: "heardField"
            Layout.fillWidth: true
            placeholderText: "Heard as…"
            Accessible.name: placeholderText
        }
        IconImage {
            source: "icons/arrow.right.svg"
            sourceSize.width: 14
            sourceSize.height: 14
            color: palette.placeholderText
        }
        TextField {
            id: replacementField
            objectName: "replacementField"
            Layout.fillWidth: true
            placeholderText: "Should be…"
            Accessible.name: placeholderText
        }
        Button {
            text: "Add"
            enabled: root.canAdd
            Accessible.name: text
            onClicked: {
                root.controller.addCorrection(heardField.text, replacementField.text)
                heardField.clear()
                replacementField.clear()
            }
        }
    }
}
