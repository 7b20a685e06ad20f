#pragma once

#include "tidy/TidyOutcome.h"
#include "tidy/ToolSetting.h"

#include "model/StudentRecord.h"

#include <QCoroTask>

#include <stop_token>

namespace kelvarn {
class Preferences;
}

namespace kelvarn::tidy {

// Cleans up one student's notes with the outside `claude` tool: the name redacted, the
// instructions and the time limit from the preferences, the reply read back into notes of that
// student. Changes nothing itself. Lives on the main thread; the text work runs on the thread pool
// and the tool in a child process, so the event loop never waits.
class NoteTidier final {
public:
    NoteTidier(Preferences& preferences, ToolSetting setting);

    // Tidied notes, or the message to show. A tool that outlasts the time limit, or a stop asked
    // for, kills the tool with everything it started and ends the tidy as stopped.
    QCoro::Task<TidyOutcome> tidy(StudentRecord student, std::stop_token stop = {});

private:
    Preferences& m_preferences;
    ToolSetting m_setting;
};

} // namespace kelvarn::tidy
