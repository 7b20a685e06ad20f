#include "desktop/Autostart.h"
#include "support/QtPrinting.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace kelvarn {
namespace {

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(AutostartTest, WritesAnEntryThatStartsTheProgramAndRemovesIt) {
    testing::TempFolder temp;
    const QString config = QString::fromStdString((temp.path() / "config").string());
    ::setenv("XDG_CONFIG_HOME", config.toUtf8().constData(), 1);
    const QString entry = desktop::autostartEntryPath();
    ::unsetenv("XDG_CONFIG_HOME");
    ASSERT_EQ(entry, config + "/autostart/kelvarn.desktop");

    // Every character the desktop entry format treats specially, in one path.
    const QString program = R"(/opt/My "Kelvarn" $HOME `x` 100% \n/bin/kelvarn)";
    EXPECT_EQ(desktop::setStartAtLogin(entry, true, program), std::nullopt);
    const QStringList lines = readAll(entry).split('\n');
    EXPECT_TRUE(
        lines.contains(R"(Exec="/opt/My \\"Kelvarn\\" \\$HOME \\`x\\` 100%% \\\\n/bin/kelvarn")"))
        << readAll(entry);
    if (const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
        !validate.isEmpty()) {
        QProcess check;
        check.start(validate, {entry});
        ASSERT_TRUE(check.waitForFinished());
        EXPECT_EQ(check.exitCode(), 0) << QString::fromUtf8(check.readAllStandardOutput());
    }

    EXPECT_EQ(desktop::setStartAtLogin(entry, true, "/opt/Kelvarn/bin/kelvarn"), std::nullopt)
        << "turning it on again replaces the entry";
    EXPECT_TRUE(readAll(entry).split('\n').contains(R"(Exec="/opt/Kelvarn/bin/kelvarn")"));

    EXPECT_EQ(desktop::setStartAtLogin(entry, false, program), std::nullopt);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(desktop::setStartAtLogin(entry, false, program), std::nullopt)
        << "already off is not a failure";
}

TEST(AutostartTest, SaysWhyTheEntryCannotBeWritten) {
    testing::TempFolder temp;
    std::ofstream(temp.path() / "config") << "a file where the folder should be";
    const QString entry =
        QString::fromStdString((temp.path() / "config" / "autostart" / "kelvarn.desktop").string());
    const auto failure = desktop::setStartAtLogin(entry, true, "/opt/Kelvarn/bin/kelvarn");
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->startsWith("Couldn't turn on Start at Login")) << *failure;
    EXPECT_FALSE(QFile::exists(entry));
}

} // namespace
} // namespace kelvarn
