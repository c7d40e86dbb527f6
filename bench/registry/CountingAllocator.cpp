// Replaces the global operator new and delete of the benchmark program with ones that
// keep a count of the bytes in use. Each block carries its size in front of it.
#include "bench/registry/CountingAllocator.h"

#include <cstdlib>
#include <new>

namespace {
size_t liveBytes = 0;  // one thread only
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t size) {
    void* block = std::malloc(size + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    liveBytes += size;
    return static_cast<char*>(block) + kHeader;
}

void Release(void* p) {
    if (!p) return;
    char* block = static_cast<char*>(p) - kHeader;
    liveBytes -= *reinterpret_cast<size_t*>(block);
    std::free(block);
}
}  // namespace

size_t LiveHeapBytes() { return liveBytes; }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
