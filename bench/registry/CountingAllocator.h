#pragma once
// Bytes the program has asked for with operator new and not yet given back: what a
// data structure costs, without the allocator's own bookkeeping.
#include <cstddef>

size_t LiveHeapBytes();
