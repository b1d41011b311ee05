#pragma once

// Task memory: the allocator for memory that one side of an interface allocates and the other
// frees (strings from GetDisplayName, page lists from GetPages, media types).
//
// Blocks are counted so that tests can prove every block handed out was freed.

#include <base/Types.h>

#include <cstdint>

LPVOID CoTaskMemAlloc(SIZE_T size);
// Resizes a block (NULL allocates; size 0 frees and returns NULL).
LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size);
void CoTaskMemFree(LPVOID block);

namespace com {

// Task-memory blocks allocated and not yet freed.
std::int64_t outstanding_task_memory_blocks();

}
