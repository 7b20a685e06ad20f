#include "tidy/FakeClaude.h"

#include "support/ProcessGroup.h"

#include <QFile>

#include <algorithm>

namespace kelvarn::testing {

namespace {

constexpr auto basePath = "/usr/bin:/bin";

QString readText(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("<not run>");
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

void writeFile(const std::filesystem::path& path, const QByteArray& bytes) {
    std::filesystem::create_directories(path.parent_path());
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void writeExecutable(const std::filesystem::path& path, const QByteArray& bytes) {
    writeFile(path, bytes);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

FakeClaude::FakeClaude(Place place) {
    std::filesystem::create_directories(m_home.path() / "state");
    if (place == Place::localBin) {
        writeExecutable(m_home.path() / ".local/bin/claude", script());
    }
}

QByteArray FakeClaude::script() const {
    const QByteArray state = QByteArray::fromStdString((m_home.path() / "state").string());
    const QByteArray path = QByteArray(basePath) + ":/usr/local/bin:/opt/homebrew/bin:" +
                            QByteArray::fromStdString(m_home.path().string()) + "/.local/bin";
    return "#!/bin/sh\n"
           "S='" +
           state +
           "'\n"
           "fail() { echo \"fake claude: $1\" >&2; exit 97; }\n"
           "echo $$ > \"$S/pid\"\n"
           "[ \"$#\" -eq 8 ] || fail \"$# arguments\"\n"
           "[ \"$1\" = --model ] && [ \"$2\" = haiku ] && [ \"$3\" = --no-session-persistence ] "
           "&& [ \"$4\" = --tools ] && [ -z \"$5\" ] && [ \"$6\" = --system-prompt ] "
           "&& [ \"$8\" = -p ] || fail 'arguments out of order'\n"
           "[ \"$PATH\" = '" +
           path +
           "' ] || fail \"PATH $PATH\"\n"
           "cat > \"$S/prompt\"\n"
           "[ -s \"$S/prompt\" ] || fail 'nothing on standard input'\n"
           "p=$(cat \"$S/prompt\")\n"
           "for a in \"$@\"; do [ \"$a\" != \"$p\" ] || fail 'the prompt is an argument'; done\n"
           "printf '%s' \"$7\" > \"$S/system\"\n"
           "pwd -P > \"$S/cwd\"\n"
           "[ -f \"$S/delay\" ] && sleep \"$(cat \"$S/delay\")\"\n"
           "[ -f \"$S/stderr\" ] && cat \"$S/stderr\" >&2\n"
           "[ -f \"$S/reply\" ] && cat \"$S/reply\"\n"
           "exit \"$(cat \"$S/status\" 2>/dev/null || echo 0)\"\n";
}

tidy::ToolSetting FakeClaude::setting() const {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QString::fromLatin1(basePath));
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(m_home.path().string()));
    environment.insert(QStringLiteral("SHELL"), QStringLiteral("/bin/sh"));
    tidy::ToolSetting setting{environment, QString::fromStdString(m_home.path().string()),
                              QString::fromStdString(m_temp.path().string())};
    // A claude installed on this machine is never run.
    setting.systemFolders = {QString::fromStdString((m_home.path() / "system").string())};
    return setting;
}

void FakeClaude::reply(const QByteArray& standardOutput) {
    writeFile(state("reply"), standardOutput);
}

void FakeClaude::writeToStandardError(const QByteArray& text) {
    writeFile(state("stderr"), text);
}

void FakeClaude::exitWith(int status) {
    writeFile(state("status"), QByteArray::number(status));
}

void FakeClaude::sleepFirst(double seconds) {
    writeFile(state("delay"), QByteArray::number(seconds));
}

QString FakeClaude::systemPrompt() const {
    return readText(state("system"));
}
QString FakeClaude::prompt() const {
    return readText(state("prompt"));
}
QString FakeClaude::workingDirectory() const {
    return readText(state("cwd")).trimmed();
}

std::optional<pid_t> FakeClaude::processId() const {
    bool isNumber = false;
    const int pid = readText(state("pid")).trimmed().toInt(&isNumber);
    return isNumber ? std::optional<pid_t>(pid) : std::nullopt;
}

bool FakeClaude::isAsleep() const {
    const std::optional<pid_t> tool = processId();
    if (!tool) {
        return false;
    }
    const std::vector<GroupMember> members = livingMembers(*tool);
    return std::any_of(members.begin(), members.end(),
                       [](const GroupMember& member) { return member.command == "sleep"; });
}

bool FakeClaude::isGone() const {
    const std::optional<pid_t> tool = processId();
    return tool && testing::isGone(*tool) && livingMembers(*tool).empty();
}

std::filesystem::path FakeClaude::state(const char* name) const {
    return m_home.path() / "state" / name;
}

} // namespace kelvarn::testing
