import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// The panel: header, banners, the live strip, then the compact body, or the breadcrumb with the list or the
// focused student and the activity feed.
Rectangle {
    id: root

    required property AppController controller
    // What the view may ask of the window it is shown in.
    required property PanelActions panel
    readonly property StoreObject store: root.controller.store

    color: palette.window
    border.color: palette.mid

    KeyboardShortcuts {
        controller: root.controller
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 1
        spacing: 0

        // The frameless panel's title strip: drag to move.
        Item {
            Layout.fillWidth: true
            implicitHeight: 22

            MouseArea {
                anchors.fill: parent
                onPressed: root.panel.startMove()
            }
            ToolButton {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                height: 22
                width: 26
                text: "✕"
                font.pointSize: Application.font.pointSize * 0.8
                Accessible.name: "Hide Panel"
                onClicked: root.panel.hide()
            }
        }

        HeaderBar {
            Layout.fillWidth: true
            controller: root.controller
            panel: root.panel
        }

        UpdateBanner {
            objectName: "updateBanner"
            Layout.fillWidth: true
            updater: root.controller.updater
        }

        Banner {
            objectName: "controllerBanner"
            Layout.fillWidth: true
            visible: root.controller.hasBanner
            text: root.controller.banner
            tint: Style.blue
            actionTitle: "Dismiss"
            onAction: root.controller.dismissBanner()
        }

        QuestionBanner {
            objectName: "questionBanner"
            Layout.fillWidth: true
            visible: root.store.hasPending
            store: root.store
        }

        LiveStrip {
            objectName: "liveStrip"
            Layout.fillWidth: true
            controller: root.controller
        }

        CompactBody {
            Layout.fillWidth: true
            visible: root.controller.compact
            store: root.store
        }

        Breadcrumb {
            Layout.fillWidth: true
            visible: !root.controller.compact
            store: root.store
        }
        Rectangle {
            Layout.fillWidth: true
            visible: !root.controller.compact
            implicitHeight: 1
            color: palette.mid
        }
        Loader {
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: !root.controller.compact
            active: visible
            sourceComponent: root.store.hasFocusedStudent ? detail : list
        }
        Rectangle {
            Layout.fillWidth: true
            visible: !root.controller.compact && root.controller.showActivity
            implicitHeight: 1
            color: palette.mid
        }
        ActivityFeed {
            Layout.fillWidth: true
            visible: !root.controller.compact && root.controller.showActivity
            controller: root.controller
        }
        Item {
            Layout.fillHeight: true
            visible: root.controller.compact
        }
    }

    Component {
        id: detail
        StudentDetail {
            controller: root.controller // qmllint disable unqualified
        }
    }
    Component {
        id: list
        StudentList {
            controller: root.controller // qmllint disable unqualified
        }
    }
}
