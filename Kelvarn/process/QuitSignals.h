#pragma once

#include <QObject>

class QSocketNotifier;

namespace kelvarn::process {

// Turns SIGTERM and SIGINT into an orderly quit of the event loop, so that whatever is still
// waiting to be saved is written before the process ends (a logout or `kill` otherwise ends it
// mid-way). One per process; the handlers are restored when it goes.
class QuitSignals final : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

signals:
    void received(int signal);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace kelvarn::process
