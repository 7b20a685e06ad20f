// How the note tidier treats the main thread: the longest gap between ticks of a 1 ms timer
// while a tidy runs, and how long a large reply takes to come back. Prints figures; asserts
// nothing. Run: build/release/bench/TidyResponsiveness
#include "settings/Preferences.h"
#include "tidy/NoteTidier.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <vector>

namespace kelvarn {
namespace {

// A stand-in for the tool under a home of its own: waits, then prints the prepared reply.
class FakeTool final {
public:
    FakeTool(double sleepSeconds, qsizetype replyBytes) {
        const QString bin = m_home.path() + QStringLiteral("/.local/bin");
        QDir().mkpath(bin);
        write(m_home.path() + QStringLiteral("/reply"),
              "{\"intro\": \"" + QByteArray(replyBytes, 'a') + "\"}");
        write(bin + QStringLiteral("/claude"), "#!/bin/sh\nsleep " +
                                                   QByteArray::number(sleepSeconds) + "\ncat '" +
                                                   m_home.path().toUtf8() + "/reply'\n");
        QFile::setPermissions(bin + QStringLiteral("/claude"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    tidy::ToolSetting setting() const {
        tidy::ToolSetting setting = tidy::ToolSetting::ofThisProcess();
        setting.homePath = m_home.path();
        return setting;
    }

private:
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            throw std::runtime_error("cannot write " + path.toStdString());
        }
    }

    QTemporaryDir m_home;
};

// CPU time of the calling thread: what the main thread itself spent, unlike the wall-clock
// gaps, which also count the time the (shared) machine gave to others.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Figures {
    double totalMs = 0;
    double longestGapMs = 0;
    double longestGapAtMs = 0; // when it ended, from the start of the tidy
    double gap99Ms = 0;
    double longestBusyMs = 0; // main-thread CPU time between two ticks
    long ticks = 0;
    bool ok = false;
};

Figures measure(Preferences& preferences, double sleepSeconds, qsizetype replyBytes) {
    const FakeTool tool(sleepSeconds, replyBytes);
    tidy::NoteTidier tidier(preferences, tool.setting());
    StudentRecord student(Uuid::generate(), "Pat Doe");
    student.sections[SectionID::intro].notes = "pat did um well";

    std::vector<double> gaps;
    Figures figures;
    QElapsedTimer total;
    QElapsedTimer sinceTick;
    double lastCpu = threadCpuMs();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double gap = static_cast<double>(sinceTick.nsecsElapsed()) / 1e6;
        if (gaps.empty() || gap > *std::max_element(gaps.begin(), gaps.end())) {
            figures.longestGapAtMs = static_cast<double>(total.nsecsElapsed()) / 1e6;
        }
        gaps.push_back(gap);
        sinceTick.restart();
        const double cpu = threadCpuMs();
        figures.longestBusyMs = std::max(figures.longestBusyMs, cpu - lastCpu);
        lastCpu = cpu;
    });

    bool finished = false;
    total.start();
    sinceTick.start();
    ticker.start(1);
    auto task = tidier.tidy(student).then([&](const Result<tidy::TidiedNotes>& result) {
        figures.totalMs = static_cast<double>(total.nsecsElapsed()) / 1e6;
        figures.ok = result.ok() && !result.value().empty() &&
                     result.value().begin()->second.size() == static_cast<std::size_t>(replyBytes);
        finished = true;
    });
    while (!finished) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    ticker.stop();

    std::sort(gaps.begin(), gaps.end());
    figures.ticks = static_cast<long>(gaps.size());
    if (!gaps.empty()) {
        figures.longestGapMs = gaps.back();
        figures.gap99Ms = gaps[gaps.size() * 99 / 100];
    }
    return figures;
}

// The same ticker with nothing else to do: what the machine's own load costs.
Figures baseline(int milliseconds) {
    std::vector<double> gaps;
    Figures figures;
    QElapsedTimer total;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    double lastCpu = threadCpuMs();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        gaps.push_back(static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
        const double cpu = threadCpuMs();
        figures.longestBusyMs = std::max(figures.longestBusyMs, cpu - lastCpu);
        lastCpu = cpu;
    });
    total.start();
    sinceTick.start();
    ticker.start(1);
    while (total.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::sort(gaps.begin(), gaps.end());
    figures.ok = true;
    figures.totalMs = static_cast<double>(total.nsecsElapsed()) / 1e6;
    figures.ticks = static_cast<long>(gaps.size());
    figures.longestGapMs = gaps.back();
    figures.gap99Ms = gaps[gaps.size() * 99 / 100];
    return figures;
}

void report(const char* what, const Figures& f) {
    std::printf("%-36s %s total %7.1f ms, ticks %5ld, longest gap %5.2f ms (at %6.1f ms), "
                "99th %4.2f ms, longest main-thread CPU between ticks %5.2f ms\n",
                what, f.ok ? "ok" : "FAILED", f.totalMs, f.ticks, f.longestGapMs, f.longestGapAtMs,
                f.gap99Ms, f.longestBusyMs);
}

} // namespace
} // namespace kelvarn

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir settings;
    kelvarn::Preferences preferences(settings.path() + QStringLiteral("/Kelvarn.conf"));
    kelvarn::report("no tidy (the machine's own noise)", kelvarn::baseline(3000));
    for (int run = 1; run <= 3; ++run) {
        kelvarn::report("tool sleeps 3 s, then replies 1 MB",
                        kelvarn::measure(preferences, 3.0, 1 << 20));
    }
    for (int run = 1; run <= 3; ++run) {
        kelvarn::report("tool replies 20 MB at once", kelvarn::measure(preferences, 0.0, 20 << 20));
    }
    return 0;
}
