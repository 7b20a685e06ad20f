import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// What the updater has to say: nothing while idle or checking, otherwise a row with its
// actions.
Rectangle {
    id: root

    // Null when there is no updater: nothing is shown.
    required property UpdaterObject updater
    readonly property string updateState: updater?.state ?? "idle"

    readonly property color tint: updateState === "upToDate" ? Style.green
                                : updateState === "failed" ? Style.red : Style.blue

    visible: updateState !== "idle" && updateState !== "checking"
    implicitHeight: row.implicitHeight + 12
    color: Style.withAlpha(tint, 0.15)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 6
        anchors.bottomMargin: 6

        BusyIndicator {
            visible: root.updateState === "installing"
            running: visible
            Layout.preferredWidth: 16
            Layout.preferredHeight: 16
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 0

            RowLayout {
                visible: root.updateState === "available"
                spacing: 0
                Label {
                    textFormat: Text.PlainText
                    text: "Update available: "
                }
                Label {
                    textFormat: Text.PlainText
                    text: root.updater?.version ?? ""
                    font.weight: Font.DemiBold
                }
            }
            Label {
                textFormat: Text.PlainText
                visible: root.updateState === "available" && text !== ""
                Layout.fillWidth: true
                text: root.updater?.notes ?? ""
                font.pointSize: Application.font.pointSize * 0.85
                wrapMode: Text.Wrap
            }
            Label {
                textFormat: Text.PlainText
                visible: text !== ""
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: {
                    switch (root.updateState) {
                    case "upToDate":
                        return "You're on the latest version (" + root.updater.currentVersion + ")."
                    case "installing":
                        return "Installing update — the app will restart…"
                    case "failed":
                        return root.updater.failureMessage
                    }
                    return ""
                }
            }
        }
        Repeater {
            model: root.updateState === "available" ? ["Later", "Install"]
                 : root.updateState === "upToDate" || root.updateState === "failed" ? ["Dismiss"]
                 : root.updateState === "installing" ? ["Cancel"]
                 : []
            Button {
                required property string modelData
                flat: true
                text: modelData
                font.weight: Font.Medium
                Accessible.name: text
                onClicked: modelData === "Install" ? root.updater.install() // qmllint disable unqualified
                         : modelData === "Cancel" ? root.updater.cancel() // qmllint disable unqualified
                         : root.updater.setIdle() // qmllint disable unqualified
            }
        }
    }
}
