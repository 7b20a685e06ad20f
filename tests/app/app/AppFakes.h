#pragma once

#include "app/FileDialogs.h"
#include "app/Scheduler.h"

#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace kelvarn::testing {

// Calls come due when the test advances time.
class FakeScheduler final : public app::Scheduler {
public:
    void callAfter(std::chrono::milliseconds delay, std::function<void()> call) override {
        m_calls.push_back({m_now + delay, std::move(call)});
    }
    void advance(std::chrono::milliseconds by) {
        m_now += by;
        for (std::size_t i = 0; i < m_calls.size(); ++i) {
            if (m_calls[i].first <= m_now && m_calls[i].second) {
                std::exchange(m_calls[i].second, nullptr)();
            }
        }
    }

private:
    std::chrono::milliseconds m_now{0};
    std::vector<std::pair<std::chrono::milliseconds, std::function<void()>>> m_calls;
};

// Answers every dialog with `answer` and records the titles it was shown with.
class FakeDialogs final : public app::FileDialogs {
public:
    std::optional<QString> chooseFileToOpen(const QString& title, const QString&) override {
        titles.push_back(title);
        return answer;
    }
    std::optional<QString> chooseFileToSave(const QString& title, const QString&,
                                            const QString& suggestedName) override {
        titles.push_back(title + " / " + suggestedName);
        return answer;
    }

    std::optional<QString> answer;
    QStringList titles;
};

} // namespace kelvarn::testing
