#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::size_t> live{0};

void* allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    live += malloc_usable_size(p);
    return p;
}

void release(void* p) noexcept {
    if (p != nullptr) {
        live -= malloc_usable_size(p);
        std::free(p);
    }
}

} // namespace

namespace kelvarn::bench {

std::size_t liveHeapBytes() {
    return live.load();
}

} // namespace kelvarn::bench

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
