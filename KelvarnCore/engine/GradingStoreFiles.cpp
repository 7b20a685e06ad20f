// The store's data folder: loading at start, saving after changes, the activity log.
#include "engine/GradingStore.h"

#include "persistence/DataFolder.h"
#include "persistence/FileIO.h"
#include "persistence/SavedStateJson.h"
#include "persistence/SessionJson.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace kelvarn {

GradingStore::GradingStore(const std::optional<std::filesystem::path>& directory, Clock clock)
    : m_clock(std::move(clock)) {
    if (directory) {
        m_saveURL = *directory / "session.json";
        m_logURL = *directory / "actions.log";
        m_correctionsURL = *directory / "corrections.json";
    }
    std::optional<std::string> setAsideName;
    std::string setAsideError;
    loadSavedState(setAsideName, setAsideError);
    loadCorrections();
    rebuildParser();
    if (directory) {
        (void)createDataFolder(*directory);
    }
    if (setAsideName) {
        log(FeedItem::Kind::warning, "Couldn't read the saved grades, so they were set aside in " +
                                         *setAsideName + ". Nothing was deleted.");
    } else if (m_saveBlocked) {
        log(FeedItem::Kind::warning,
            "Couldn't read the saved grades, and couldn't set them aside (" + setAsideError +
                "). They are left as they are and nothing will be saved over them: move "
                "session.json out of the data folder, then restart Kelvarn.");
    }
}

void GradingStore::loadSavedState(std::optional<std::string>& setAsideName,
                                  std::string& setAsideError) {
    if (!m_saveURL) {
        return;
    }
    const auto text = readWholeFile(*m_saveURL);
    if (!text) {
        return; // first launch: nothing saved yet
    }
    auto state = decodeSavedState(text.value());
    if (state) {
        resume(std::move(state).value());
        return;
    }
    setAsideName = setAsideUnreadableSaveFile(setAsideError);
    m_saveBlocked = !setAsideName;
}

std::optional<std::string> GradingStore::setAsideUnreadableSaveFile(std::string& error) {
    std::string stamp = iso8601(m_clock());
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    const std::filesystem::path folder = m_saveURL->parent_path();
    // Never replace an earlier set-aside file: a second one in the same second gets a number.
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string name = "session-unreadable-" + stamp +
                                 (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".json";
        if (::renameat2(AT_FDCWD, m_saveURL->c_str(), AT_FDCWD, (folder / name).c_str(),
                        RENAME_NOREPLACE) == 0) {
            return name;
        }
        if (errno != EEXIST) {
            error = std::strerror(errno);
            return std::nullopt;
        }
    }
    error = std::strerror(EEXIST);
    return std::nullopt;
}

void GradingStore::save() {
    if (!m_saveURL) {
        return;
    }
    std::optional<Error> failure;
    if (m_saveBlocked) {
        failure = Error{"session.json could not be read or set aside, so it is kept as it is"};
    } else {
        // Written as pieces that point into the kept entry encodings: the file runs to
        // megabytes for a large class, and joining it first would copy all of it again.
        const std::string head = "{\"session\":" + encodeSession(m_session) + ",\"undo\":[";
        std::vector<std::string_view> pieces{head};
        std::deque<std::string> dates;
        m_undoStack.appendEncoding(pieces, dates, savedUndoEntries);
        pieces.emplace_back("]}");
        if (const auto written = writeFileAtomically(*m_saveURL, pieces); !written) {
            failure = Error{written.error()};
        }
    }
    if (failure) {
        // Straight into the feed: a failing disk must not also be written to the log.
        appendFeedItem(FeedItem::Kind::warning, "Autosave failed: " + failure->message);
    }
}

void GradingStore::appendToLogFile(FeedItem::Kind kind, const std::string& text) {
    if (!m_logURL) {
        return;
    }
    // Failures are ignored: the log is a record, never a reason to interrupt grading.
    (void)appendToFile(*m_logURL, iso8601(m_clock()) + "\t" + std::string(kindName(kind)) + "\t" +
                                      text + "\n");
}

} // namespace kelvarn
