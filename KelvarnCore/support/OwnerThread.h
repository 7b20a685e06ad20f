#pragma once

#include <cassert>
#include <thread>

namespace kelvarn {

// Remembers the thread that created an object, so that debug builds catch a mutating call from
// any other: the core's stateful objects take no locks and belong to one thread.
class OwnerThread final {
public:
    void check() const { assert(std::this_thread::get_id() == m_owner && "called off its thread"); }

private:
    std::thread::id m_owner = std::this_thread::get_id();
};

} // namespace kelvarn
