#pragma once

#include "app/FileDialogs.h"
#include "app/Scheduler.h"

#include <QPointer>
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
    void callAfter(std::chrono::milliseconds delay, const QObject& context,
                   std::function<void()> call) override {
        m_calls.push_back({m_now + delay, QPointer<const QObject>(&context), std::move(call)});
    }
    void advance(std::chrono::milliseconds by) {
        m_now += by;
        for (std::size_t i = 0; i < m_calls.size(); ++i) {
            Call& due = m_calls[i];
            if (due.at <= m_now && due.call) {
                auto call = std::exchange(due.call, nullptr);
                if (due.context) {
                    call();
                }
            }
        }
    }

private:
    struct Call {
        std::chrono::milliseconds at;
        QPointer<const QObject> context;
        std::function<void()> call;
    };
    std::chrono::milliseconds m_now{0};
    std::vector<Call> m_calls;
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

    std::optional<QString> askText(const QString& title, const QString&,
                                   const QString& initial) override {
        titles.push_back(title + " / " + initial);
        return textAnswer ? textAnswer : initial;
    }

    std::optional<QString> answer;
    // Nothing: the initial text is accepted as it is.
    std::optional<QString> textAnswer;
    QStringList titles;
};

} // namespace kelvarn::testing
