#pragma once

#include <QObject>

namespace kelvarn::update {

// Ends the transfers it is handed early, once, from the thread they run on.
class TransferStop final : public QObject {
    Q_OBJECT

public:
    bool isStopped() const { return m_stopped; }
    // Aborts every transfer that has it; later calls do nothing.
    void stop();

signals:
    void stopped();

private:
    bool m_stopped = false;
};

} // namespace kelvarn::update
