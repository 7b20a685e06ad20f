#pragma once

#include "update/Relauncher.h"

#include <optional>
#include <vector>

namespace kelvarn::testing {

// Records the bundles it was asked to relaunch, and fails when told to.
class FakeRelauncher final : public update::Relauncher {
public:
    Result<void> relaunch(const std::filesystem::path& bundle) override {
        m_relaunched.push_back(bundle);
        if (m_failure) {
            return Error{*m_failure};
        }
        return {};
    }

    std::vector<std::filesystem::path> m_relaunched;
    std::optional<std::string> m_failure;
};

} // namespace kelvarn::testing
