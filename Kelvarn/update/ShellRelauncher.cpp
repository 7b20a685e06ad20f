#include "update/ShellRelauncher.h"

#include <QProcess>

namespace kelvarn::update {

namespace {

// $0 is the bundle and $1 the old process; both are arguments, never part of the script, so no
// quoting can go wrong.
constexpr auto kScript = "i=0; while kill -0 \"$1\" 2>/dev/null && [ \"$i\" -lt 300 ]; do "
                         "sleep 0.1; i=$((i + 1)); done; exec \"$0/bin/kelvarn\"";

} // namespace

ShellRelauncher::ShellRelauncher(std::function<void()> quit, qint64 oldProcess)
    : m_quit(std::move(quit)), m_oldProcess(oldProcess) {}

Result<void> ShellRelauncher::relaunch(const std::filesystem::path& bundle) {
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"),
                                 {QStringLiteral("-c"), QString::fromLatin1(kScript),
                                  QString::fromStdString(bundle.string()),
                                  QString::number(m_oldProcess)})) {
        return Error{"/bin/sh couldn't be started."};
    }
    m_quit();
    return {};
}

} // namespace kelvarn::update
