#pragma once

#include "update/Manifest.h"

#include <QString>

#include <variant>

namespace kelvarn::update {

namespace state {
struct Available {
    Manifest manifest; // a newer build this system can run
    bool operator==(const Available&) const = default;
};
struct Failed {
    QString message; // of the last user-initiated check or the last install
    bool operator==(const Failed&) const = default;
};
struct Idle {
    bool operator==(const Idle&) const = default;
};
struct Checking {
    bool operator==(const Checking&) const = default;
};
struct UpToDate {
    bool operator==(const UpToDate&) const = default;
};
struct Installing {
    bool operator==(const Installing&) const = default;
};
} // namespace state

using UpdateState = std::variant<state::Available, state::Failed, state::Idle, state::Checking,
                                 state::UpToDate, state::Installing>;

} // namespace kelvarn::update
