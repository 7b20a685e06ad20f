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
            textFormat: Text.PlainText
            text: (root.student.total ?? "") + "  ·"
            color: palette.placeholderText
        }
        Label {
            objectName: "score"
            textFormat: Text.PlainText
            text: root.student.score ?? ""
            font.bold: true
        }
        Label {
            textFormat: Text.PlainText
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
            objectName: "detailScrolling"
            target: scroller
            property: "contentY"
            duration: 200
            easing.type: Easing.InOutQuad
        }
    }

    // A student opens at the top, or where the section named with them is; a later change of
    // section scrolls only as far as it takes to show that card whole. Anything else (a grade, a
    // note) leaves the cards where they are, under the pointer.
    property string shownStudent: ""
    property string shownSection: ""

    Component.onCompleted: root.followFocus()

    Connections {
        target: root.store
        function onFocusedSectionChanged() {
            root.followFocus()
        }
    }

    // Once the focused card's layout has settled.
    Timer {
        id: revealing
        interval: 0
        onTriggered: root.revealFocusedCard()
    }

    function followFocus() {
        const student = root.student.id ?? ""
        const section = root.store.focusedSection
        const opened = student !== root.shownStudent
        if (!opened && section === root.shownSection)
            return
        root.shownStudent = student
        root.shownSection = section
        if (opened) {
            scrolling.stop()
            scroller.contentY = 0
        }
        // A student opened with no section stays at the top, where the first sections are.
        if (!opened || section !== "")
            revealing.restart()
    }

    function revealFocusedCard() {
        const key = root.store.focusedSection === "" ? "overall" : root.store.focusedSection
        for (let i = 0; i < cards.children.length; ++i) {
            const card = cards.children[i]
            if (card.key === key) {
                const top = card.y + cards.y - 8
                const bottom = card.y + cards.y + card.height + 8
                let to = scroller.contentY
                if (bottom > to + scroller.height)
                    to = bottom - scroller.height
                if (top < to)
                    to = top
                const most = Math.max(0, scroller.contentHeight - scroller.height)
                to = Math.max(0, Math.min(most, to))
                if (to !== scroller.contentY) {
                    scrolling.to = to
                    scrolling.restart()
                }
                return
            }
        }
    }
}
