#include <com/TaskMemory.h>

#include <atomic>
#include <cstdlib>

static std::atomic<std::int64_t> s_task_blocks { 0 };

LPVOID CoTaskMemAlloc(SIZE_T size)
{
    void* block = std::malloc(size ? size : 1);
    if (block)
        ++s_task_blocks;
    return block;
}

LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size)
{
    if (!block)
        return CoTaskMemAlloc(size);
    if (size == 0) {
        CoTaskMemFree(block);
        return nullptr;
    }
    // On failure the old block stays allocated and counted.
    return std::realloc(block, size);
}

void CoTaskMemFree(LPVOID block)
{
    if (!block)
        return;
    --s_task_blocks;
    std::free(block);
}

namespace com {

std::int64_t outstanding_task_memory_blocks() { return s_task_blocks.load(); }

}
