#include "update/ShellRelauncher.h"

#include <QProcess>

namespace kelvarn::update {

ShellRelauncher::ShellRelauncher(std::function<void()> quit) : m_quit(std::move(quit)) {}

Result<void> ShellRelauncher::relaunch(const std::filesystem::path& bundle) {
    // The path is the shell's $0, never part of the script, so no quoting can go wrong.
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"),
                                 {QStringLiteral("-c"),
                                  QStringLiteral("sleep 1; exec \"$0/bin/kelvarn\""),
                                  QString::fromStdString(bundle.string())})) {
        return Error{"/bin/sh couldn't be started."};
    }
    m_quit();
    return {};
}

} // namespace kelvarn::update
