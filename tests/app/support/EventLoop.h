#pragma once

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace kelvarn::testing {

using namespace std::chrono_literals;

// Runs the Qt event loop until done() holds or the time is up; true when done() held. A broken
// test then fails instead of hanging.
bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);

// Runs the event loop until the task finishes: its value, or nothing when it did not finish in
// time. The task keeps running afterwards if it must; its result is then dropped safely.
template <typename T>
std::optional<T> await(QCoro::Task<T> task, std::chrono::milliseconds timeout = 10s) {
    const auto result = std::make_shared<std::optional<T>>();
    auto finished = task.then([result](T value) { *result = std::move(value); });
    runUntil([&] { return result->has_value(); }, timeout);
    return *result;
}

// The same for a task without a value: true when it finished in time.
bool await(QCoro::Task<void> task, std::chrono::milliseconds timeout = 10s);

} // namespace kelvarn::testing
