#pragma once

#include "engine/StoreField.h"
#include "support/OwnerThread.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace kelvarn {

// The store's observers. Changes are gathered while an operation runs and announced once per
// field when the outermost operation ends, so an observer always sees the new state fully in
// place. Owned by the store's thread.
class StoreObservers final {
public:
    using Observer = std::function<void(StoreField)>;

    // Ends the observation when destroyed, even while a notification is going on.
    class [[nodiscard]] Subscription final {
    public:
        Subscription() = default;
        Subscription(Subscription&&) noexcept = default;
        Subscription& operator=(Subscription&&) noexcept = default;
        ~Subscription() { reset(); }
        void reset();

    private:
        friend class StoreObservers;
        Subscription(std::weak_ptr<StoreObservers*> owner, std::uint64_t id)
            : m_owner(std::move(owner)), m_id(id) {}

        std::weak_ptr<StoreObservers*> m_owner;
        std::uint64_t m_id = 0;
    };

    // Opens an operation; changes marked inside it are announced when the outermost one ends.
    class [[nodiscard]] Batch final {
    public:
        explicit Batch(StoreObservers& observers) : m_observers(observers) {
            ++m_observers.m_depth;
        }
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        StoreObservers& m_observers;
    };

    StoreObservers() = default;
    StoreObservers(const StoreObservers&) = delete;
    StoreObservers& operator=(const StoreObservers&) = delete;

    Subscription add(Observer observer);
    void changed(StoreField field);

private:
    void announce();

    OwnerThread m_thread;
    std::map<std::uint64_t, Observer> m_observers;
    std::uint64_t m_nextID = 1;
    std::bitset<16> m_changed;
    int m_depth = 0;
    // Subscriptions hold a weak reference, so one that outlives the store does nothing.
    std::shared_ptr<StoreObservers*> m_self = std::make_shared<StoreObservers*>(this);
};

} // namespace kelvarn
