#pragma once

#include "support/TempFolder.h"

#include "tidy/ToolSetting.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace kelvarn::testing {

// A stand-in for the `claude` tool: a shell script under a temporary home that checks what it was
// given (exactly the eight arguments in order, PATH extended, the prompt on standard input and in
// no argument), records the prompts and its working directory, and answers as told.
class FakeClaude final {
public:
    enum class Place { localBin, nowhere };
    explicit FakeClaude(Place place = Place::localBin);

    // What the tidier gets: this home, PATH "/usr/bin:/bin", SHELL /bin/sh, a temporary folder,
    // and an empty folder in place of the system's install folders.
    tidy::ToolSetting setting() const;

    void reply(const QByteArray& standardOutput);
    void writeToStandardError(const QByteArray& text);
    void exitWith(int status);
    void sleepFirst(double seconds);

    // The script, to be put elsewhere (found through a login shell's PATH, say).
    QByteArray script() const;
    const std::filesystem::path& home() const { return m_home.path(); }
    const std::filesystem::path& temp() const { return m_temp.path(); }

    // What the last run received.
    QString systemPrompt() const;
    QString prompt() const;
    QString workingDirectory() const;
    // The last run's, from the moment it started.
    std::optional<pid_t> processId() const;
    // Whether the last run sleeps (sleepFirst) in a process group of its own.
    bool isAsleep() const;
    // Whether the last run and everything it started are gone.
    bool isGone() const;

private:
    std::filesystem::path state(const char* name) const;

    TempFolder m_home;
    TempFolder m_temp;
};

void writeFile(const std::filesystem::path& path, const QByteArray& bytes);
void writeExecutable(const std::filesystem::path& path, const QByteArray& bytes);

} // namespace kelvarn::testing
