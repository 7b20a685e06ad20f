#pragma once

#include "tidy/TidyExchange.h"
#include "tidy/ToolSetting.h"

#include "model/StudentRecord.h"
#include "support/Result.h"

#include <QCoroTask>

namespace kelvarn {
class Preferences;
}

namespace kelvarn::tidy {

// Cleans up one student's notes with the outside `claude` tool: the name redacted, the
// instructions from the preferences, the reply read back into notes of that student. Changes
// nothing itself. Lives on the main thread; the text work runs on the thread pool and the tool in
// a child process, so the event loop never waits. A tool that never exits leaves its tidy
// waiting.
class NoteTidier final {
public:
    NoteTidier(Preferences& preferences, ToolSetting setting);

    // Tidied notes, or the message to show.
    QCoro::Task<Result<TidiedNotes>> tidy(StudentRecord student);

private:
    Preferences& m_preferences;
    ToolSetting m_setting;
};

} // namespace kelvarn::tidy
