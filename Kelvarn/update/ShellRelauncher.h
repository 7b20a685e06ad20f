#pragma once

#include "update/Relauncher.h"

#include <functional>

namespace kelvarn::update {

// Runs /bin/sh -c 'sleep 1; exec "$0/bin/kelvarn"' BUNDLE detached, so the new program starts
// after this one has quit, then asks the application to quit.
class ShellRelauncher final : public Relauncher {
public:
    explicit ShellRelauncher(std::function<void()> quit);

    Result<void> relaunch(const std::filesystem::path& bundle) override;

private:
    std::function<void()> m_quit;
};

} // namespace kelvarn::update
