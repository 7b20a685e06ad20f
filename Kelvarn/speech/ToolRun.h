#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvarn::speech {

// How one run of an outside program ended, and what it wrote.
struct ToolRun {
    enum class Ending { exited, crashed, timedOut, failedToStart };

    Ending ending = Ending::exited;
    int exitCode = 0;
    // Standard output and standard error together, as written.
    std::string output;

    bool succeeded() const { return ending == Ending::exited && exitCode == 0; }
};

// Runs a program in `folder` to its end, or kills it (and whatever it started) after
// `timeLimit`: some trainer tools loop forever on arguments they dislike. Its output goes to
// `log`, a file in the folder, and is read back from there, so no pipe can fill up. Blocks.
ToolRun runTool(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                const std::filesystem::path& folder, const std::filesystem::path& log,
                std::chrono::milliseconds timeLimit);

} // namespace kelvarn::speech
