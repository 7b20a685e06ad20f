import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

import "Style.js" as Style

// The panel: header, banners, the live strip, then the compact body, or the breadcrumb with the list or the
// focused student and the activity feed. Its context gives "controller" and "panel".
Rectangle {
    id: root

    // The context's controller under a name the children's own "controller" cannot hide.
    readonly property QtObject app: controller
    readonly property QtObject store: controller.store

    color: palette.window
    border.color: palette.mid

    KeyboardShortcuts {
        controller: root.app
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
                onPressed: panel.startMove()
            }
            ToolButton {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                height: 22
                width: 26
                text: "✕"
                font.pointSize: Qt.application.font.pointSize * 0.8
                Accessible.name: "Hide Panel"
                onClicked: panel.hide()
            }
        }

        HeaderBar {
            Layout.fillWidth: true
            controller: root.app
            onOpenWindow: name => panel.openWindow(name)
        }

        UpdateBanner {
            objectName: "updateBanner"
            Layout.fillWidth: true
            updater: root.app.updater
        }

        Banner {
            objectName: "controllerBanner"
            Layout.fillWidth: true
            visible: controller.hasBanner
            text: controller.banner
            tint: Style.blue
            actionTitle: "Dismiss"
            onAction: controller.dismissBanner()
        }

        Banner {
            objectName: "questionBanner"
            Layout.fillWidth: true
            visible: root.store.hasPending
            text: root.store.pendingQuestion
            tint: Style.orange
            actionTitle: "Cancel"
            onAction: root.store.cancelPending()
        }

        LiveStrip {
            objectName: "liveStrip"
            Layout.fillWidth: true
            controller: root.app
        }

        CompactBody {
            Layout.fillWidth: true
            visible: controller.compact
            store: root.store
        }

        Breadcrumb {
            Layout.fillWidth: true
            visible: !controller.compact
            store: root.store
        }
        Rectangle {
            Layout.fillWidth: true
            visible: !controller.compact
            implicitHeight: 1
            color: palette.mid
        }
        Loader {
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: !controller.compact
            active: visible
            sourceComponent: root.store.hasFocusedStudent ? detail : list
        }
        Rectangle {
            Layout.fillWidth: true
            visible: !controller.compact && controller.showActivity
            implicitHeight: 1
            color: palette.mid
        }
        ActivityFeed {
            Layout.fillWidth: true
            visible: !controller.compact && controller.showActivity
            controller: root.app
        }
        Item {
            Layout.fillHeight: true
            visible: controller.compact
        }
    }

    Component {
        id: detail
        StudentDetail {
            controller: root.app
        }
    }
    Component {
        id: list
        StudentList {
            controller: root.app
        }
    }
}
