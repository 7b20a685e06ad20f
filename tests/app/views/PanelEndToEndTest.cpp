// The whole application on the test's own X server, driven as a user drives it: real pointer
// and keyboard events from xdotool, and the saved session read back from disk after each step.
#include "app/AppController.h"
#include "app/AppFakes.h"
#include "app/VoiceTrainingObject.h"
#include "process/Application.h"
#include "process/LaunchArguments.h"
#include "settings/Preferences.h"
#include "support/EventLoop.h"
#include "support/QuickItems.h"
#include "support/TempFolder.h"
#include "views/ControllerWindow.h"
#include "views/HelpWindow.h"
#include "views/TidyPromptWindow.h"
#include "views/VoiceTrainingWindow.h"

#include <QCoreApplication>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSettings>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>

namespace kelvarn {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::named;
using testing::withText;

class PanelEndToEndTest : public ::testing::Test {
protected:
    PanelEndToEndTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString((m_temp.path() / "config").string()));
        std::ofstream(m_temp.path() / "class.txt") << "Ford, Nadia\nOmar Haddad\nZoë Park\n";
    }

    void launch(const QString& say) {
        process::LaunchArguments arguments;
        arguments.roster = QString::fromStdString((m_temp.path() / "class.txt").string());
        arguments.say = say;
        m_shell.launch(arguments);
        ASSERT_TRUE(testing::runUntil([&] { return window().isExposed(); }, 10s));
        settle();
    }

    QQuickView& window() { return m_shell.panel().window(); }
    // The panel and its popups, which live in the window's overlay.
    QQuickItem* root() { return window().contentItem(); }
    // Waits a little for it: lists make their rows over a few frames.
    QQuickItem* shown(const QString& text) {
        QQuickItem* item = nullptr;
        testing::runUntil([&] { return (item = withText(root(), text)) != nullptr; }, 5s);
        return item;
    }
    void settle() { testing::settle(window()); }

    // Real X input, so the window manager and the focus rules take part as for a user.
    static void xdotool(const QStringList& arguments) {
        EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0)
            << arguments.join(' ').toStdString();
    }
    // The item's centre in the window once nothing moves it: scrolling that a focus change
    // started has ended and the layout is the same two frames running. However slow the machine.
    QPoint restingCentre(QQuickItem* item) {
        const auto centre = [item] {
            return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
        };
        QPoint last = centre();
        for (int frame = 0; frame < 200; ++frame) {
            settle();
            const auto* scrolling = root()->findChild<QObject*>(QStringLiteral("detailScrolling"));
            const QPoint now = centre();
            if (now == last && (scrolling == nullptr || !scrolling->property("running").toBool())) {
                return now;
            }
            last = now;
        }
        ADD_FAILURE() << "the item never came to rest";
        return last;
    }
    // Whether a point of the window shows the item: inside every clipping item above it (a card
    // scrolled under the feed is inside the window but not to be clicked).
    static bool shows(QQuickItem* item, QPointF inWindow) {
        for (QQuickItem* above = item; above != nullptr; above = above->parentItem()) {
            if (above->clip() && !above->mapRectToScene(above->boundingRect()).contains(inWindow)) {
                return false;
            }
        }
        return true;
    }
    void click(QQuickItem* item, const char* what) {
        ASSERT_NE(item, nullptr) << what;
        const QPoint inWindow = restingCentre(item);
        ASSERT_TRUE(QRect(QPoint(0, 0), window().size()).contains(inWindow)) << what;
        ASSERT_TRUE(shows(item, inWindow)) << what << " is scrolled out of view";
        const QPoint at = window().mapToGlobal(inWindow);
        xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click",
                 "1"});
        settle();
    }
    // Turns the wheel over the student's cards until the item shows, as a user would.
    void scrollTo(QQuickItem* item, const char* what) {
        ASSERT_NE(item, nullptr) << what;
        QQuickItem* scroller = named(root(), QStringLiteral("detailScroller"));
        ASSERT_NE(scroller, nullptr);
        const QPoint over = window().mapToGlobal(
            scroller->mapToScene(QPointF(scroller->width() / 2, scroller->height() / 2)).toPoint());
        for (int turn = 0; turn < 20 && !shows(item, restingCentre(item)); ++turn) {
            // Not --sync: a pointer already there never "moves" and xdotool would wait for it.
            xdotool(
                {"mousemove", QString::number(over.x()), QString::number(over.y()), "click", "5"});
        }
        ASSERT_TRUE(shows(item, restingCentre(item))) << what << " is still out of view";
    }
    void keys(const QString& combination) {
        xdotool({"key", "--delay", "30", combination});
        settle();
    }
    void type(const QString& text) {
        xdotool({"type", "--delay", "30", text});
        settle();
    }

    // The saved session, once it satisfies `holds` (saving happens off the main thread).
    nlohmann::json savedWhen(const std::function<bool(const nlohmann::json&)>& holds) {
        nlohmann::json session;
        const bool reached = testing::runUntil(
            [&] {
                std::ifstream in(m_temp.path() / "data" / "session.json");
                session = nlohmann::json::parse(in, nullptr, false);
                return !session.is_discarded() && holds(session["session"]);
            },
            10s);
        EXPECT_TRUE(reached) << session.dump(2);
        return session["session"];
    }
    static const nlohmann::json& student(const nlohmann::json& session, const std::string& name) {
        for (const auto& record : session["students"]) {
            if (record["name"] == name) {
                return record;
            }
        }
        static const nlohmann::json none;
        return none;
    }
    // A section's saved field, empty when it is not there.
    static std::string fieldOf(const nlohmann::json& record, const std::string& section,
                               const std::string& field) {
        const auto sections = record.value("sections", nlohmann::json::object());
        return sections.value(section, nlohmann::json::object()).value(field, "");
    }

    void screenshot(const char* name) { save(window(), name); }
    static void save(QQuickWindow& window, const char* name) {
        const fs::path folder = fs::path(KELVARN_SCREENSHOT_FOLDER);
        fs::create_directories(folder);
        window.grabWindow().save(QString::fromStdString((folder / name).string()));
    }

    testing::TempFolder m_temp;
    testing::FakeDialogs m_dialogs;
    app::QtScheduler m_scheduler;
    app::AppController m_controller{
        {m_temp.path() / "data", m_scheduler, m_dialogs, {}, nullptr, nullptr}};
    QQmlEngine m_engine;
    Preferences m_preferences{QString::fromStdString((m_temp.path() / "prefs.conf").string())};
    views::TidyPromptWindow m_tidyWindow{m_engine, m_preferences};
    views::CorrectionsWindow m_correctionsWindow{m_engine, m_controller};
    views::CommentsWindow m_commentsWindow{m_engine, m_controller};
    views::HelpWindow m_helpWindow{m_engine};
    app::VoiceTrainingObject m_training{{m_temp.path() / "data", {}, {}, {}, {}}};
    views::VoiceTrainingWindow m_trainingWindow{m_engine, m_training};
    process::Application m_shell{{m_controller, m_engine, m_preferences, m_tidyWindow,
                                  m_correctionsWindow, m_commentsWindow, m_helpWindow,
                                  m_trainingWindow}};
};

TEST_F(PanelEndToEndTest, GradingWithThePointerAndTheKeyboardIsSavedStepByStep) {
    launch(QStringLiteral("Nadia Ford intro complete"));
    auto session = savedWhen([](const auto& s) {
        return fieldOf(student(s, "Nadia Ford"), "intro", "level") == "complete";
    });
    screenshot("panel-launched.png");

    // Back to the list, then a student row.
    click(shown(QStringLiteral("All students")), "All students");
    session = savedWhen([](const auto& s) {
        return !s.value("focus", nlohmann::json::object()).contains("studentID");
    });
    click(shown(QStringLiteral("Omar Haddad")), "the row");
    session = savedWhen([](const auto& s) {
        return s.value("focus", nlohmann::json::object()).value("studentID", "") ==
               student(s, "Omar Haddad").value("id", "");
    });

    // A level chip on a section's card grades it; Undo takes it back.
    QQuickItem* conclusion = testing::card(root(), QStringLiteral("conclusion"));
    ASSERT_NE(conclusion, nullptr);
    QQuickItem* mostly = withText(conclusion, QStringLiteral("Mostly"));
    scrollTo(mostly, "the chip");
    click(mostly, "the chip");
    session = savedWhen([](const auto& s) {
        return fieldOf(student(s, "Omar Haddad"), "conclusion", "level") == "mostly";
    });
    click(named(root(), QStringLiteral("undoButton")), "Undo");
    session = savedWhen([](const auto& s) {
        return fieldOf(student(s, "Omar Haddad"), "conclusion", "level").empty();
    });

    // Typing into the focused card's notes is saved as it goes; Ctrl+Z inside the editor undoes.
    click(conclusion, "the card");
    QQuickItem* editor = nullptr;
    testing::runUntil([&] {
        editor = named(testing::card(root(), QStringLiteral("conclusion")),
                       QStringLiteral("notesEditor"));
        return editor != nullptr;
    });
    click(editor, "the editor");
    type(QStringLiteral("Strong hook."));
    session = savedWhen([](const auto& s) {
        return fieldOf(student(s, "Omar Haddad"), "conclusion", "notes") == "Strong hook.";
    });
    screenshot("panel-detail.png");
    keys(QStringLiteral("ctrl+z"));
    session = savedWhen([](const auto& s) {
        return fieldOf(student(s, "Omar Haddad"), "conclusion", "notes").empty();
    });

    keys(QStringLiteral("ctrl+backslash"));
    EXPECT_TRUE(m_controller.compact());
    screenshot("panel-compact.png");
    keys(QStringLiteral("ctrl+backslash"));
    EXPECT_FALSE(m_controller.compact());

    // A misheard line from a second launch, fixed with Ctrl+K and re-run.
    process::LaunchArguments misheard;
    misheard.say = QStringLiteral("Zoë Park evidence mostly");
    m_shell.handle(misheard);
    session = savedWhen([](const auto& s) {
        return fieldOf(student(s, "Zoë Park"), "evidence", "level") == "mostly";
    });
    keys(QStringLiteral("ctrl+k"));
    ASSERT_NE(shown(QStringLiteral("Fix what was heard")), nullptr);
    keys(QStringLiteral("ctrl+a"));
    type(QStringLiteral("Zoe Park evidence complete")); // xdotool types ASCII only
    screenshot("fix-popover.png");
    keys(QStringLiteral("Return"));
    session = savedWhen([](const auto& s) {
        return fieldOf(student(s, "Zoë Park"), "evidence", "level") == "complete";
    });
}

TEST_F(PanelEndToEndTest, TheCorrectionsAndHelpWindowsOpenBesideThePanel) {
    launch(QStringLiteral("Nadia Ford"));
    for (const char* name : {"corrections", "help"}) {
        process::LaunchArguments arguments;
        arguments.openWindow = QString::fromLatin1(name);
        m_shell.handle(arguments);
    }
    for (QQuickWindow* window : {m_correctionsWindow.window(), m_helpWindow.window()}) {
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(testing::runUntil([&] { return window->isExposed(); }, 5s));
        testing::settle(*window);
    }
    save(*m_correctionsWindow.window(), "corrections-window.png");
    save(*m_helpWindow.window(), "help-window.png");
}

TEST_F(PanelEndToEndTest, ACommentWrittenInItsWindowIsThenFiledByVoice) {
    launch(QStringLiteral("Omar Haddad"));
    process::LaunchArguments arguments;
    arguments.openWindow = QStringLiteral("comments");
    m_shell.handle(arguments);
    QQuickWindow* window = m_commentsWindow.window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(testing::runUntil([&] { return window->isExposed(); }, 5s));
    testing::settle(*window);
    QQuickItem* name = named(window->contentItem(), QStringLiteral("commentNameField"));
    QQuickItem* text = named(window->contentItem(), QStringLiteral("commentTextField"));
    QQuickItem* save = named(window->contentItem(), QStringLiteral("saveCommentButton"));
    ASSERT_TRUE(name && text && save);
    EXPECT_FALSE(save->isEnabled()) << "nothing to add yet";
    name->setProperty("text", QStringLiteral("Thesis vague"));
    text->setProperty("text", QStringLiteral("State your claim in one sentence."));
    testing::settle(*window);
    ASSERT_TRUE(save->isEnabled());
    const QPoint at = window->mapToGlobal(
        save->mapToScene(QPointF(save->width() / 2, save->height() / 2)).toPoint());
    xdotool(
        {"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    ASSERT_TRUE(testing::runUntil([&] { return m_controller.store().comments().size() == 1; }, 5s));
    testing::settle(*window);
    EXPECT_EQ(name->property("text").toString(), QString()) << "the form is ready for the next";
    EXPECT_NE(withText(window->contentItem(), QStringLiteral("Thesis vague")), nullptr) << "listed";
    PanelEndToEndTest::save(*window, "comments-window.png");

    m_controller.handleTranscript(QStringLiteral("comment thesis vague"));
    const auto& omar = m_controller.store().session().students[1];
    EXPECT_EQ(m_controller.store().notes(OverallNotes{omar.id}),
              "State your claim in one sentence.");
}

} // namespace
} // namespace kelvarn
