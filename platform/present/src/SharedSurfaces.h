#pragma once

// Window surfaces in shared memory: with the MIT shared-memory extension the display makes the
// memory of every top-level window's surface a segment (user::set_surface_maker) that the X server
// attaches, so the display thread puts changed rectangles straight from the surface, copying
// nothing itself. The segment lives while any surface or image of it does.
//
// Drawing is not held back while the server reads a put: a rectangle drawn meanwhile may show
// half old until its own put, which follows at once.

#include <gdi/Surface.h>

#include <memory>

namespace present::detail {

struct Segment {
    int id = -1;
    void* address = nullptr;
    int width = 0, height = 0;
    ~Segment();
};

// The surface maker: a width x height surface over a new segment, or an empty surface.
gdi::Surface make_shared_surface(int width, int height);
// The segment a surface's memory is, or nullptr when it is not one of these.
std::shared_ptr<Segment> segment_of(const gdi::Surface& surface);

}
