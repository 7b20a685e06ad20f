#pragma once

#include "support/Result.h"

#include <filesystem>

namespace kelvarn::update {

// Starts a bundle's program anew once this process has gone, and ends this process.
class Relauncher {
public:
    virtual ~Relauncher() = default;
    // Fails only when the new program could not be started; this process then keeps running.
    virtual Result<void> relaunch(const std::filesystem::path& bundle) = 0;
};

} // namespace kelvarn::update
