#pragma once

#include "Kelvarnctl.h"

#include <sstream>
#include <string>
#include <vector>

namespace kelvarn::testing {

struct KelvarnctlOutcome {
    int status;
    std::string out;
    std::string err;
};

// Runs kelvarnctl in this process on the given data folder, as `kelvarnctl --data-dir DIR ARGS`.
inline KelvarnctlOutcome runKelvarnctl(const std::string& dataDir, std::vector<std::string> args) {
    args.insert(args.begin(), {"kelvarnctl", "--data-dir", dataDir});
    std::vector<const char*> argv;
    for (const auto& arg : args) {
        argv.push_back(arg.c_str());
    }
    std::ostringstream out;
    std::ostringstream err;
    const int status = ctl::run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

} // namespace kelvarn::testing
