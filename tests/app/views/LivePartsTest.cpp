// The panel's live parts over a real speech engine (fake microphone and recogniser) and a real
// updater: the header, the live strip and the update banner.
#include "PanelTest.h"
#include "speech/FakeAudioSource.h"
#include "speech/FakeTranscriber.h"
#include "support/EventLoop.h"
#include "support/QtPrinting.h"
#include "update/FakeRelauncher.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QPalette>
#include <QQmlComponent>
#include <QQuickView>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

namespace kelvarn {
namespace {

using testing::named;
using testing::runUntil;
using testing::withText;

const QColor green("#2e9d4f");
const QColor orange("#e07b12");
const QColor red("#d63c3c");
const QColor gray("#8e8e93");

// Built before the panel, which takes the engine and the updater made from them.
struct LiveFakes {
    std::shared_ptr<testing::FakeAudioScript> audio = std::make_shared<testing::FakeAudioScript>();
    std::shared_ptr<testing::FakeTranscriberScript> recogniser =
        std::make_shared<testing::FakeTranscriberScript>();
    testing::FakeRelauncher relauncher;
    testing::Gate tidyGate;
    speech::SpeechEngine* engine = nullptr;
    update::Updater* updater = nullptr;

    std::unique_ptr<speech::SpeechEngine> makeEngine() {
        auto made = std::make_unique<speech::SpeechEngine>(
            [audio = audio] { return std::make_unique<testing::FakeAudioSource>(audio); },
            [recogniser = recogniser] {
                return std::make_unique<testing::FakeTranscriber>(recogniser);
            });
        engine = made.get();
        return made;
    }

    // Nothing answers at its update address: a check fails at once.
    std::unique_ptr<update::Updater> makeUpdater() {
        update::RunningBundle bundle;
        bundle.file.updateUrl = QUrl(QStringLiteral("http://127.0.0.1:1/updates"));
        bundle.file.version = QStringLiteral("1.0");
        bundle.file.build = 1;
        auto made =
            std::make_unique<update::Updater>(bundle, update::SystemVersion{2, 36, 0}, relauncher);
        updater = made.get();
        return made;
    }

    // A tidy that waits for the gate, whether asked to stop or not, and then fails.
    app::AppController::Tidy tidy() {
        return [this](StudentRecord, std::stop_token) -> QCoro::Task<tidy::TidyOutcome> {
            co_await tidyGate.pass();
            ++tidiesEnded;
            co_return Error{"No tidy in this test."};
        };
    }
    int tidiesEnded = 0;
};

// A local web server that has nothing to give and keeps what was asked of it.
class RequestLog {
public:
    RequestLog() {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                ++m_connections;
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket, request = QByteArray()]() mutable {
                                     request += socket->readAll();
                                     if (!request.contains("\r\n\r\n")) {
                                         return;
                                     }
                                     m_requests += request;
                                     socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: "
                                                   "0\r\nConnection: close\r\n\r\n");
                                     socket->disconnectFromHost();
                                 });
            }
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_server.serverPort()).arg(path);
    }
    int connections() const { return m_connections; }
    bool asked(const QString& path) const { return m_requests.contains(("GET /" + path).toUtf8()); }

private:
    QTcpServer m_server;
    int m_connections = 0;
    QByteArray m_requests;
};

// The shown items below root whose text holds marker, as "format: text" lines; PlainText is 0.
QStringList shownWith(QQuickItem* root, const QString& marker) {
    QStringList found;
    testing::findItem(root, [&](QQuickItem* item) {
        const QVariant format = item->property("textFormat");
        const QString text = item->property("text").toString();
        if (format.isValid() && text.contains(marker)) {
            found.push_back(QString::number(format.toInt()) + ": " + text);
        }
        return false;
    });
    return found;
}

class LivePartsTest : public LiveFakes, public testing::PanelTest {
protected:
    LivePartsTest() : PanelTest(makeUpdater(), makeEngine(), tidy()) {}

    testing::FakeTranscriber& transcriber() {
        return static_cast<testing::FakeTranscriber&>(*recogniser->current);
    }
    bool listen() {
        m_controller.toggleListening();
        return runUntil([&] { return engine->state() == speech::SpeechState::listening(); });
    }
    QString text(const QString& name) { return named(root(), name)->property("text").toString(); }
    // The header's status text, symbol and circle colour, once drawn.
    void expectHeader(const QString& status, const QString& symbol, const QColor& colour) {
        settle();
        EXPECT_EQ(text("listeningStatus"), status);
        EXPECT_EQ(named(root(), "micSymbol")->property("symbol"), symbol) << status;
        EXPECT_EQ(named(root(), "micCircle")->property("color").value<QColor>(), colour) << status;
    }
    QQuickItem* banner() {
        settle();
        return named(root(), "updateBanner");
    }
};

TEST_F(LivePartsTest, TheHeaderFollowsTheEngineAndThePause) {
    const QColor secondary = QGuiApplication::palette().color(QPalette::PlaceholderText);
    expectHeader("Not listening", "mic", secondary);
    EXPECT_EQ(named(root(), "levelMeter"), nullptr);
    for (const char* button : {"micButton", "compactToggle", "menuButton"}) {
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(named(root(), button));
        ASSERT_NE(accessible, nullptr) << button;
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << button;
    }

    audio->access = speech::MicrophoneAccess::notDetermined;
    audio->accessGate.close();
    recogniser->needsModel = true;
    recogniser->installGate.close();
    click(named(root(), "micButton"));
    ASSERT_TRUE(runUntil([&] { return engine->state() == speech::SpeechState::starting(); }));
    expectHeader("Starting…", "ellipsis", gray);
    audio->accessGate.open();
    ASSERT_TRUE(
        runUntil([&] { return engine->state() == speech::SpeechState::downloadingModel(); }));
    expectHeader("Downloading speech model (one time)…", "ellipsis", gray);
    EXPECT_EQ(named(root(), "levelMeter"), nullptr);
    recogniser->installGate.open();
    ASSERT_TRUE(runUntil([&] { return engine->state() == speech::SpeechState::listening(); }));
    expectHeader("Listening", "mic.fill", green);

    // Every third buffer is measured: 0.05 RMS reads as 0.4 of the meter's 80 points.
    const speech::AudioBuffer quiet{audio->format, std::vector<float>(4096, 0.05f)};
    for (int i = 0; i < 3; ++i) {
        audio->deliver(quiet);
    }
    QQuickItem* fill = named(root(), "levelFill");
    ASSERT_NE(fill, nullptr);
    EXPECT_TRUE(runUntil([&] { return std::abs(fill->width() - 32) < 0.5; })) << fill->width();
    screenshot("panel-listening.png");

    store().setVoicePaused(true);
    expectHeader("Paused — say “resume listening”", "mic.slash.fill", orange);
    EXPECT_EQ(named(root(), "levelMeter"), nullptr) << "no meter while paused";
    store().setVoicePaused(false);
    EXPECT_NE(named(root(), "levelMeter"), nullptr);

    transcriber().breakDown("The recogniser stopped.");
    expectHeader("The recogniser stopped.", "exclamationmark", red);
    EXPECT_EQ(named(root(), "levelMeter"), nullptr);
}

TEST_F(LivePartsTest, TheMenuListsItsEntriesInOrderAndAsksTheShellByName) {
    QObject* menu = root()->findChild<QObject*>(QStringLiteral("panelMenu"));
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (int i = 0; i < menu->property("count").toInt(); ++i) {
        QQuickItem* item = nullptr;
        QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, item), Q_ARG(int, i));
        const QString text = item->property("text").toString();
        texts.push_back(text.isEmpty() ? QStringLiteral("—") : text);
    }
    EXPECT_EQ(texts, QStringList({"Open Roster…",
                                  "Export CSV…",
                                  "Export Text…",
                                  "Export Grade Book…",
                                  "—",
                                  "Tidy Notes with Claude",
                                  "Edit Tidy Prompt…",
                                  "Comments…",
                                  "Corrections…",
                                  "Train Kelvarn on my voice…",
                                  "—",
                                  "Show Activity",
                                  "Anonymous Grading",
                                  "Sleep When Quiet",
                                  "Voice Commands…",
                                  "Check for Updates…",
                                  "Show Data Folder",
                                  "—",
                                  "Start at Login",
                                  "Quit Kelvarn"}));

    const auto entry = [&](const char* name) {
        return menu->findChild<QQuickItem*>(QString::fromLatin1(name));
    };
    ASSERT_NE(entry("tidyNotesItem"), nullptr);
    EXPECT_FALSE(entry("tidyNotesItem")->isEnabled()) << "nobody's notes to tidy";
    store().loadRoster({"Nadia Ford"});
    store().handleTranscript("Nadia Ford");
    EXPECT_TRUE(entry("tidyNotesItem")->isEnabled());
    tidyGate.close();
    m_controller.tidyFocusedStudent();
    settle();
    EXPECT_FALSE(entry("tidyNotesItem")->isEnabled()) << "one tidy at a time";
    EXPECT_NE(named(root(), "tidySpinner"), nullptr);
    tidyGate.open();
    ASSERT_TRUE(runUntil([&] { return !m_controller.tidying(); }));
    EXPECT_EQ(named(root(), "tidySpinner"), nullptr);

    QSignalSpy windows(&m_panel, &desktop::FloatingPanel::windowRequested);
    const auto choose = [&](const char* name) {
        click(named(root(), "menuButton"));
        settle();
        click(entry(name));
    };
    choose("correctionsItem");
    choose("voiceCommandsItem");
    EXPECT_EQ(windows.count(), 2);
    EXPECT_EQ(windows.value(0).value(0), "corrections");
    EXPECT_EQ(windows.value(1).value(0), "help");

    // Where there is no tray, these are the only way to them.
    app::PanelActions& actions = m_panel.actions();
    QSignalSpy quits(&actions, &app::PanelActions::quitRequested);
    QSignalSpy folders(&actions, &app::PanelActions::dataFolderRequested);
    QSignalSpy logins(&actions, &app::PanelActions::startAtLoginToggleRequested);
    bool startsAtLogin = true;
    actions.startsAtLoginSource = [&] { return startsAtLogin; };
    click(named(root(), "menuButton"));
    settle();
    EXPECT_TRUE(entry("startAtLoginItem")->property("checked").toBool())
        << "read as the menu opens";
    click(entry("startAtLoginItem"));
    choose("showDataFolderItem");
    choose("quitItem");
    EXPECT_EQ(logins.count(), 1);
    EXPECT_EQ(folders.count(), 1);
    EXPECT_EQ(quits.count(), 1);
    key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits.count(), 2) << "Ctrl+Q";
    actions.startsAtLoginSource = nullptr;

    choose("checkForUpdatesItem");
    ASSERT_TRUE(
        runUntil([&] { return std::holds_alternative<update::state::Failed>(updater->state()); }));
    EXPECT_TRUE(std::get<update::state::Failed>(updater->state())
                    .message.startsWith("Couldn't check for updates: "))
        << "a check the user asked for says why it failed";
}

TEST_F(LivePartsTest, CancelShowsOnlyWhileTidyingAndStopsTheTidyAtOnce) {
    EXPECT_EQ(named(root(), "cancelTidyButton"), nullptr);
    store().loadRoster({"Nadia Ford"});
    store().handleTranscript("Nadia Ford");
    tidyGate.close();
    m_controller.tidyFocusedStudent();
    settle();
    QQuickItem* cancel = named(root(), "cancelTidyButton");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->property("text"), "Cancel");
    click(cancel);
    EXPECT_FALSE(m_controller.tidying());
    EXPECT_EQ(store().feed().back().text,
              "Tidying notes for Nadia Ford cancelled — nothing changed.");
    settle();
    EXPECT_EQ(named(root(), "cancelTidyButton"), nullptr);
    EXPECT_EQ(named(root(), "tidySpinner"), nullptr);

    tidyGate.open();
    ASSERT_TRUE(runUntil([&] { return tidiesEnded == 1; }));
    EXPECT_FALSE(m_controller.hasBanner()) << "the cancelled tidy's failure is not shown";
}

TEST_F(LivePartsTest, TheUpdateBannerShowsEachStateWithItsActions) {
    EXPECT_EQ(banner(), nullptr);
    updater->setState(update::state::Checking{});
    EXPECT_EQ(banner(), nullptr);

    updater->setState(update::state::UpToDate{});
    ASSERT_NE(banner(), nullptr);
    EXPECT_NE(withText(banner(), "You're on the latest version (1.0)."), nullptr);
    click(withText(banner(), "Dismiss"));
    EXPECT_EQ(updater->state(), update::UpdateState(update::state::Idle{}));
    EXPECT_EQ(banner(), nullptr);

    const update::Manifest manifest{"2.0", 5, "Kelvarn-2.0-5.zip", "Faster name matching.", {}};
    updater->setState(update::state::Available{manifest});
    ASSERT_NE(banner(), nullptr);
    EXPECT_NE(withText(banner(), "Update available: "), nullptr);
    EXPECT_NE(withText(banner(), "2.0"), nullptr);
    EXPECT_NE(withText(banner(), "Faster name matching."), nullptr);
    EXPECT_EQ(withText(banner(), "Dismiss"), nullptr);
    screenshot("update-available.png");
    click(withText(banner(), "Later"));
    EXPECT_EQ(updater->state(), update::UpdateState(update::state::Idle{}));

    updater->setState(update::state::Available{manifest});
    click(withText(banner(), "Install"));
    // This process runs from no bundle: the install ends at once, and says so.
    ASSERT_TRUE(
        runUntil([&] { return std::holds_alternative<update::state::Failed>(updater->state()); }));
    EXPECT_NE(withText(banner(), "Not running from an app bundle."), nullptr);
    EXPECT_EQ(withText(banner(), "Install"), nullptr);
    click(withText(banner(), "Dismiss"));
    EXPECT_EQ(banner(), nullptr);

    updater->setState(update::state::Installing{});
    ASSERT_NE(banner(), nullptr);
    EXPECT_NE(withText(banner(), "Installing update — the app will restart…"), nullptr);
    for (const char* action : {"Dismiss", "Later", "Install"}) {
        EXPECT_EQ(withText(banner(), action), nullptr) << action;
    }
    EXPECT_NE(withText(banner(), "Cancel"), nullptr);
}

TEST_F(LivePartsTest, TextFromOutsideIsShownAsItsOwnCharactersAndLoadsNothing) {
    RequestLog web;
    const QString markup = "<b>bold</b><img src=\"" + web.url(QStringLiteral("pixel.png")) +
                           "\"> <a href=\"x\">link</a>";
    // Every text item showing markup shows it as written: plain text.
    const auto expectPlain = [&](const char* where, int atLeast) {
        settle();
        const QStringList shown = shownWith(m_panel.window().contentItem(), markup);
        EXPECT_GE(shown.size(), atLeast) << where;
        for (const QString& line : shown) {
            EXPECT_TRUE(line.startsWith("0: ")) << where << ": " << line.toStdString();
        }
    };

    updater->setState(update::state::Available{
        update::Manifest{"9.9 " + markup, 5, "Kelvarn-9.9-5.zip", "Notes " + markup, {}}});
    m_controller.flash("Exported 2 students → " + markup + ".csv");
    const std::string name = markup.toStdString();
    store().loadRoster(std::vector<RosterName>{"Nadia Ford " + name, "Nadia Park " + name});
    m_controller.handleTranscript(QStringLiteral("Nadia"));
    ASSERT_TRUE(store().pending().has_value());
    QQuickItem* question = named(root(), "questionBanner");
    ASSERT_NE(question, nullptr);
    QQuickItem* park = withText(question, "Nadia Park " + markup);
    ASSERT_NE(park, nullptr) << "a choice names the student as written";
    EXPECT_NE(withText(banner(), "9.9 " + markup), nullptr);
    EXPECT_NE(withText(banner(), "Notes " + markup), nullptr);
    // The version, the notes, the banner, the question, its two choices, the two list rows.
    expectPlain("asked which one", 8);

    click(park);
    ASSERT_TRUE(store().session().focusedStudent().has_value());
    const Uuid student = store().session().focusedStudent()->id;
    // Said (or sent with --say), and typed, as a note could hold anything.
    m_controller.handleTranscript(markup);
    key(Qt::Key_K, Qt::ControlModifier);
    settle();
    ASSERT_NE(named(m_panel.window().contentItem(), "fixText"), nullptr);
    expectPlain("fixing the heard line", 3);
    key(Qt::Key_Escape);
    store().editNotes(name, OverallNotes{student});
    store().editNotes(name, SectionNotes{student, SectionID::intro});
    store().focusSection(SectionID::intro);
    // The breadcrumb, the overall comments, the intro's notes, the heard line and the feed's.
    expectPlain("a student with notes", 5);

    m_controller.toggleCompact();
    expectPlain("compact", 2);
    updater->setState(update::state::Failed{markup});
    expectPlain("a failed update", 1);

    // The pictures load as a picture would: the sentinel's request follows any of theirs.
    QQmlComponent image(&m_engine);
    image.setData(
        ("import QtQuick\nImage { source: \"" + web.url("sentinel.png") + "\" }").toUtf8(), QUrl());
    const std::unique_ptr<QObject> sentinel(image.create());
    ASSERT_NE(sentinel, nullptr) << image.errorString().toStdString();
    ASSERT_TRUE(runUntil([&] { return sentinel->property("status").toInt() == 3; }))
        << "the sentinel ends in an error";
    EXPECT_TRUE(web.asked(QStringLiteral("sentinel.png")));
    EXPECT_FALSE(web.asked(QStringLiteral("pixel.png")));
    EXPECT_EQ(web.connections(), 1) << "only the sentinel's";
}

TEST_F(LivePartsTest, TheLiveStripShowsThePartialElseTheLastHeardLineAndKeepsTheEnd) {
    store().loadRoster({"Nadia Ford"});
    settle();
    EXPECT_EQ(named(root(), "liveStrip"), nullptr) << "not listening, nothing heard";
    ASSERT_TRUE(listen());
    settle();
    EXPECT_EQ(text("liveText"), "…");

    transcriber().say("nadia ford in", false);
    settle();
    EXPECT_EQ(text("liveText"), "nadia ford in");
    EXPECT_TRUE(named(root(), "liveText")->property("font").value<QFont>().italic());
    transcriber().say("Nadia Ford intro complete", true);
    settle();
    EXPECT_EQ(text("liveText"), "Nadia Ford intro complete");
    EXPECT_FALSE(named(root(), "liveText")->property("font").value<QFont>().italic());

    m_controller.toggleListening();
    ASSERT_TRUE(runUntil([&] { return !engine->isRunning(); }));
    settle();
    EXPECT_EQ(text("liveText"), "Nadia Ford intro complete") << "the last heard line stays";

    ASSERT_TRUE(listen());
    const QString longPartial =
        "the introduction sets out the question clearly and the thesis is stated in the first "
        "paragraph but the roadmap of the argument is thin and the reader has to guess where "
        "the essay is going next which ends here";
    transcriber().say(longPartial, false);
    settle();
    QQuickItem* window = named(root(), "liveTextWindow");
    QQuickItem* line = named(root(), "liveText");
    ASSERT_NE(window, nullptr);
    const int lines = line->property("lineCount").toInt();
    ASSERT_GT(lines, 2);
    EXPECT_NEAR(window->height(), line->height() * 2 / lines, 1) << "two lines shown";
    EXPECT_LT(line->y(), 0) << "the beginning is cut";
    EXPECT_NEAR(line->y() + line->height(), window->height(), 1) << "the end stays in view";
    screenshot("live-strip.png");

    // Short lines after a long one take one line again, never a column of broken words.
    for (const QString& said : {QStringLiteral("walsh"), QStringLiteral("undo"),
                                QStringLiteral("nadia ford intro mostly")}) {
        transcriber().say(said, true);
        settle();
        EXPECT_EQ(text("liveText"), said);
        EXPECT_EQ(line->property("lineCount").toInt(), 1) << said.toStdString();
        EXPECT_GE(window->width(), line->implicitWidth()) << said.toStdString();
    }
}

} // namespace
} // namespace kelvarn
