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
    double longestGapAtMs = 0; // when it ended, from the start
    double gap99Ms = 0;
    double longestBusyMs = 0; // main-thread CPU time between two ticks
    long ticks = 0;
    bool ok = true;
};

// A timer ticking every millisecond and what it saw: the gaps between ticks and the main
// thread's own CPU time within each. Ticks for a moment first, so the first tick's latency in
// a fresh event loop is not counted.
class StallMeter final {
public:
    StallMeter() {
        m_ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] { tick(); });
        m_ticker.start(1);
        runFor(50);
        m_gaps.clear();
        m_figures = Figures{};
        m_total.start();
        m_sinceTick.start();
        m_lastCpu = threadCpuMs();
    }

    double elapsedMs() const { return static_cast<double>(m_total.nsecsElapsed()) / 1e6; }

    Figures figures() {
        std::sort(m_gaps.begin(), m_gaps.end());
        m_figures.ticks = static_cast<long>(m_gaps.size());
        if (!m_gaps.empty()) {
            m_figures.longestGapMs = m_gaps.back();
            m_figures.gap99Ms = m_gaps[m_gaps.size() * 99 / 100];
        }
        return m_figures;
    }

    static void runFor(qint64 milliseconds) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (elapsed.elapsed() < milliseconds) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }

private:
    void tick() {
        const double gap = static_cast<double>(m_sinceTick.nsecsElapsed()) / 1e6;
        m_sinceTick.restart();
        if (gap > m_figures.longestGapMs) {
            m_figures.longestGapMs = gap;
            m_figures.longestGapAtMs = elapsedMs();
        }
        m_gaps.push_back(gap);
        const double cpu = threadCpuMs();
        m_figures.longestBusyMs = std::max(m_figures.longestBusyMs, cpu - m_lastCpu);
        m_lastCpu = cpu;
    }

    QTimer m_ticker;
    QElapsedTimer m_total;
    QElapsedTimer m_sinceTick;
    double m_lastCpu = 0;
    std::vector<double> m_gaps;
    Figures m_figures;
};

Figures measure(Preferences& preferences, double sleepSeconds, qsizetype replyBytes) {
    const FakeTool tool(sleepSeconds, replyBytes);
    tidy::NoteTidier tidier(preferences, tool.setting());
    StudentRecord student(Uuid::generate(), "Pat Doe");
    student.sections[SectionID::intro].notes = "pat did um well";

    StallMeter meter;
    bool finished = false;
    bool ok = false;
    double totalMs = 0;
    auto task = tidier.tidy(student).then([&](const tidy::TidyOutcome& outcome) {
        totalMs = meter.elapsedMs();
        const auto* tidied = std::get_if<tidy::TidiedNotes>(&outcome);
        ok = tidied != nullptr && !tidied->empty() &&
             tidied->begin()->second.size() == static_cast<std::size_t>(replyBytes);
        finished = true;
    });
    while (!finished) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    Figures figures = meter.figures();
    figures.totalMs = totalMs;
    figures.ok = ok;
    return figures;
}

// The same ticker with nothing else to do: what the machine's own load costs.
Figures baseline(qint64 milliseconds) {
    StallMeter meter;
    StallMeter::runFor(milliseconds);
    Figures figures = meter.figures();
    figures.totalMs = meter.elapsedMs();
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
