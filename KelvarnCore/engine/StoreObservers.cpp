#include "engine/StoreObservers.h"

namespace kelvarn {

void StoreObservers::Subscription::reset() {
    if (const auto owner = m_owner.lock()) {
        (*owner)->m_thread.check();
        (*owner)->m_observers.erase(m_id);
    }
    m_owner.reset();
}

StoreObservers::Batch::~Batch() {
    if (--m_observers.m_depth == 0) {
        m_observers.announce();
    }
}

StoreObservers::Subscription StoreObservers::add(Observer observer) {
    m_thread.check();
    const std::uint64_t id = m_nextID++;
    m_observers.emplace(id, std::move(observer));
    return Subscription(m_self, id);
}

void StoreObservers::changed(StoreField field) {
    m_changed.set(static_cast<std::size_t>(field));
    if (m_depth == 0) {
        announce();
    }
}

void StoreObservers::announce() {
    // An observer may call back into the store; what that changes is announced in turn, by
    // this loop rather than from inside the observer.
    ++m_depth;
    while (m_changed.any()) {
        std::size_t field = 0;
        while (!m_changed.test(field)) {
            ++field;
        }
        m_changed.reset(field);
        // Looked up anew for every call, so an observer removed meanwhile is not called.
        for (auto it = m_observers.begin(); it != m_observers.end();) {
            const std::uint64_t id = it->first;
            const Observer observer = it->second;
            observer(static_cast<StoreField>(field));
            it = m_observers.upper_bound(id);
        }
    }
    --m_depth;
}

} // namespace kelvarn
