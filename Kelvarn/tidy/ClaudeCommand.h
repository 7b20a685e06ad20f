#pragma once

#include "tidy/ChildProcess.h"
#include "tidy/ProcessOutcome.h"
#include "tidy/ToolSetting.h"

#include "support/Result.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <string>

namespace kelvarn::tidy {

// One run of the tool: the eight arguments, the prompt on standard input (where other users
// cannot read it and no argument length limit applies), the time limit, the temporary folder as
// working directory, and this environment with the usual install folders added to PATH.
ProcessRequest claudeRequest(const QString& executable, const QString& systemPrompt,
                             const QByteArray& prompt, std::chrono::milliseconds timeLimit,
                             const ToolSetting& setting);

// The tool's standard output when it exited with 0; otherwise why it failed: the platform's
// launch error, or the exit status with standard error (standard output when that is empty).
Result<std::string> claudeReply(const ProcessOutcome& outcome);

} // namespace kelvarn::tidy
