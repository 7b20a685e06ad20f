import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Kelvarn.App

import "Style.js" as Style

// The focused student: totals, a card per section and the overall comments.
ColumnLayout {
    id: root

    required property AppController controller
    readonly property StoreObject store: root.controller.store
    readonly property var student: root.store.focusedStudent

    spacing: 0

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 8
        Layout.rightMargin: 12
        spacing: 4

        ToolButton {
            icon.source: Style.symbol("chevron.left")
            icon.color: palette.buttonText
            Accessible.name: "Previous student (Ctrl+[)"
            ToolTip.text: Accessible.name
            ToolTip.visible: hovered
            ToolTip.delay: 600
            onClicked: root.store.previousStudent()
        }
        ToolButton {
            icon.source: Style.symbol("chevron.right")
            icon.color: palette.buttonText
            Accessible.name: "Next student (Ctrl+])"
            ToolTip.text: Accessible.name
            ToolTip.visible: hovered
            ToolTip.delay: 600
            onClicked: root.store.nextStudent()
        }
        Item { Layout.fillWidth: true }
        Label {
            objectName: "totalPoints"
            text: (root.student.total ?? "") + "  ·"
            color: palette.placeholderText
        }
        Label {
            objectName: "score"
            text: root.student.score ?? ""
            font.bold: true
        }
        Label {
            text: root.student.graded ?? ""
            color: palette.placeholderText
        }
    }

    Rectangle {
        Layout.fillWidth: true
        implicitHeight: 1
        color: palette.mid
    }

    Flickable {
        id: scroller
        objectName: "detailScroller"
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        contentWidth: width
        contentHeight: cards.implicitHeight + 16
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}

        ColumnLayout {
            id: cards
            x: 12
            y: 8
            width: scroller.width - 24
            spacing: 8

            Repeater {
                model: root.store.sections
                SectionCard {
                    required property var modelData
                    required property int index
                    Layout.fillWidth: true
                    store: root.store // qmllint disable unqualified
                    studentId: root.student.id ?? "" // qmllint disable unqualified
                    section: modelData
                    grade: root.student.sections?.[index] ?? ({}) // qmllint disable unqualified
                    focused: root.store.focusedSection === modelData.key // qmllint disable unqualified
                }
            }
            OverallCard {
                Layout.fillWidth: true
                store: root.store
                studentId: root.student.id ?? ""
                notes: root.student.overallNotes ?? ""
                focused: root.store.focusedSection === ""
            }
        }

        NumberAnimation {
            id: scrolling
            target: scroller
            property: "contentY"
            duration: 200
            easing.type: Easing.InOutQuad
        }
    }

    // Centres the newly focused card, once its editor has opened and the layout has settled.
    Connections {
        target: root.store
        function onFocusedSectionChanged() {
            centring.restart()
        }
    }

    Timer {
        id: centring
        interval: 0
        onTriggered: root.centreFocusedCard()
    }

    function centreFocusedCard() {
        const key = root.store.focusedSection === "" ? "overall" : root.store.focusedSection
        for (let i = 0; i < cards.children.length; ++i) {
            const card = cards.children[i]
            if (card.key === key) {
                const centred = card.y + cards.y + card.height / 2 - scroller.height / 2
                const most = Math.max(0, scroller.contentHeight - scroller.height)
                scrolling.to = Math.max(0, Math.min(most, centred))
                scrolling.restart()
                return
            }
        }
    }
}
