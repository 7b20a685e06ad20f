#include "support/ProcessGroup.h"

#include <signal.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kelvarn::testing {

std::vector<GroupMember> livingMembers(pid_t group) {
    std::vector<GroupMember> members;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream file(entry.path() / "stat");
        const std::string stat((std::istreambuf_iterator<char>(file)), {});
        // "pid (command) state ppid pgrp …"; the command may hold spaces and parentheses.
        const std::size_t command = stat.find('(');
        const std::size_t afterCommand = stat.rfind(')');
        if (command == std::string::npos || afterCommand == std::string::npos) {
            continue; // gone while reading
        }
        std::istringstream fields(stat.substr(afterCommand + 1));
        char state = 0;
        pid_t parent = 0;
        pid_t processGroup = 0;
        fields >> state >> parent >> processGroup;
        if (processGroup == group && state != 'Z' && state != 'X') {
            members.push_back({static_cast<pid_t>(std::stoi(name)),
                               stat.substr(command + 1, afterCommand - command - 1)});
        }
    }
    return members;
}

bool isGone(pid_t process) {
    return ::kill(process, 0) == -1 && errno == ESRCH;
}

} // namespace kelvarn::testing
