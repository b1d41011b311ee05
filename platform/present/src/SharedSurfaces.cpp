#include "SharedSurfaces.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <map>
#include <mutex>

namespace present::detail {

namespace {

std::mutex s_lock;
std::map<const void*, std::weak_ptr<Segment>> s_segments; // by address

}

Segment::~Segment()
{
    {
        std::lock_guard guard(s_lock);
        s_segments.erase(address);
    }
    shmdt(address); // the segment is gone once the server has detached too
}

gdi::Surface make_shared_surface(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    std::size_t bytes = static_cast<std::size_t>(width) * height * sizeof(gdi::Pixel);
    int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return {};
    void* address = shmat(id, nullptr, 0);
    // Marked for removal at once (Linux still lets the server attach it): it goes when the last
    // side detaches, even if this process is killed before the server ever attached it.
    shmctl(id, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1))
        return {};
    auto segment = std::make_shared<Segment>();
    segment->id = id;
    segment->address = address;
    segment->width = width;
    segment->height = height;
    {
        std::lock_guard guard(s_lock);
        s_segments[address] = segment;
    }
    return gdi::Surface::adopt(segment, address, width, height, static_cast<std::ptrdiff_t>(width) * 4);
}

std::shared_ptr<Segment> segment_of(const gdi::Surface& surface)
{
    std::shared_ptr<Segment> found;
    {
        std::lock_guard guard(s_lock);
        auto it = s_segments.find(surface.pixels());
        if (it != s_segments.end())
            found = it->second.lock();
    }
    if (found && (found->width != surface.width() || found->height != surface.height()))
        found.reset();
    return found;
}

}
