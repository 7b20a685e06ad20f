#pragma once

#include <QCoroSignal>
#include <QObject>

namespace kelvarn::testing {

// Holds a fake's operation at a suspension point while closed; open by default.
class Gate final : public QObject {
    Q_OBJECT

public:
    void close() { m_open = false; }
    void open() {
        m_open = true;
        Q_EMIT opened();
    }
    QCoro::Task<void> pass() {
        if (!m_open) {
            co_await qCoro(this, &Gate::opened);
        }
    }

Q_SIGNALS:
    void opened();

private:
    bool m_open = true;
};

} // namespace kelvarn::testing
