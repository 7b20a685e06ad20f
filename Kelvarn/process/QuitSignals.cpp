#include "process/QuitSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace kelvarn::process {

namespace {

// Written by the handler, read on the main thread: a signal handler may do little more than
// write(2).
int signalPipe[2] = {-1, -1};

void forwardSignal(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &number, 1);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        return; // without it the default action stays: the process ends as before
    }
    m_notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    handle(SIGTERM, forwardSignal);
    handle(SIGINT, forwardSignal);
}

QuitSignals::~QuitSignals() {
    handle(SIGTERM, SIG_DFL);
    handle(SIGINT, SIG_DFL);
    for (int& fd : signalPipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void QuitSignals::readSignal() {
    unsigned char number = 0;
    if (::read(signalPipe[1], &number, 1) == 1) {
        emit received(number);
        QCoreApplication::quit();
    }
}

} // namespace kelvarn::process
