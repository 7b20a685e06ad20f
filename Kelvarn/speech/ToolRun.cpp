#include "speech/ToolRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

namespace kelvarn::speech {

namespace {

// The exit status a child reports when exec itself failed.
constexpr int cannotExec = 127;

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Waits for the child to end, at most `timeLimit`; a pidfd turns its end into an event.
bool endsWithin(pid_t child, std::chrono::milliseconds timeLimit) {
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    if (pidfd < 0) {
        return false;
    }
    pollfd watched{pidfd, POLLIN, 0};
    int ready = 0;
    do {
        ready = poll(&watched, 1, static_cast<int>(timeLimit.count()));
    } while (ready < 0 && errno == EINTR);
    close(pidfd);
    return ready > 0;
}

} // namespace

ToolRun runTool(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                const std::filesystem::path& folder, const std::filesystem::path& log,
                std::chrono::milliseconds timeLimit) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const std::string where = folder.string();
    const std::string logFile = log.string();

    const pid_t child = fork();
    if (child < 0) {
        return {ToolRun::Ending::failedToStart, 0, "fork failed"};
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        setpgid(0, 0);
        const int out = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (out < 0 || in < 0 || chdir(where.c_str()) != 0) {
            _exit(cannotExec);
        }
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(cannotExec);
    }
    setpgid(child, child);
    const bool ended = endsWithin(child, timeLimit);
    if (!ended) {
        kill(-child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // Whatever it started goes with it.
    kill(-child, SIGKILL);
    ToolRun run;
    run.output = contents(log);
    if (!ended) {
        run.ending = ToolRun::Ending::timedOut;
    } else if (WIFSIGNALED(status)) {
        run.ending = ToolRun::Ending::crashed;
        run.exitCode = WTERMSIG(status);
    } else {
        run.exitCode = WEXITSTATUS(status);
        if (run.exitCode == cannotExec && !std::filesystem::exists(program)) {
            run.ending = ToolRun::Ending::failedToStart;
        }
    }
    return run;
}

} // namespace kelvarn::speech
