#pragma once

#include "update/Relauncher.h"

#include <QCoreApplication>

#include <functional>

namespace kelvarn::update {

// Runs a detached /bin/sh that waits, up to 30 seconds, for the old process to end and then
// starts BUNDLE/bin/kelvarn, so the two never run side by side; then asks the application to
// quit.
class ShellRelauncher final : public Relauncher {
public:
    explicit ShellRelauncher(std::function<void()> quit,
                             qint64 oldProcess = QCoreApplication::applicationPid());

    Result<void> relaunch(const std::filesystem::path& bundle) override;

private:
    std::function<void()> m_quit;
    qint64 m_oldProcess;
};

} // namespace kelvarn::update
