#include "Image.h"

#include <X11/Xutil.h>

#include <algorithm>

#include <sys/ipc.h>
#include <sys/shm.h>

namespace present::detail {

int g_shm_opcode = 0;
bool g_shm_failed = false;

Image::Image(Display* display, Visual* visual, int depth, int width, int height, bool shared)
    : m_display(display)
{
    if (width <= 0 || height <= 0)
        return;
    if (shared && make_shared(visual, depth, width, height))
        return;
    m_memory.assign(static_cast<std::size_t>(width) * height, gdi::kOpaqueWhite);
    m_image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
        reinterpret_cast<char*>(m_memory.data()), static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
        width * 4);
    if (m_image)
        m_pixels = gdi::Surface::wrap(m_memory.data(), width, height, width * 4);
}

bool Image::make_shared(Visual* visual, int depth, int width, int height)
{
    XImage* image = XShmCreateImage(m_display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &m_segment,
        static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image)
        return false;
    if (image->bits_per_pixel != 32) {
        XDestroyImage(image);
        return false;
    }
    int id = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
    if (id < 0) {
        XDestroyImage(image);
        return false;
    }
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        XDestroyImage(image);
        return false;
    }
    if (!attach(image, id, address)) {
        shmdt(address);
        return false;
    }
    m_pixels.fill(gdi::kOpaqueWhite);
    return true;
}

Image::Image(Display* display, Visual* visual, int depth, std::shared_ptr<Segment> segment)
    : m_display(display)
{
    if (!segment)
        return;
    XImage* image = XShmCreateImage(m_display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &m_segment,
        static_cast<unsigned>(segment->width), static_cast<unsigned>(segment->height));
    if (!image)
        return;
    if (image->bits_per_pixel != 32 || image->bytes_per_line != segment->width * 4) {
        XDestroyImage(image);
        return;
    }
    if (attach(image, segment->id, segment->address))
        m_surface_segment = std::move(segment);
}

bool Image::attach(XImage* image, int id, void* address)
{
    m_segment.shmid = id;
    m_segment.shmaddr = image->data = static_cast<char*>(address);
    m_segment.readOnly = False;
    g_shm_failed = false;
    Status attached = XShmAttach(m_display, &m_segment);
    XSync(m_display, False);
    // Marked for removal now: it goes when both sides have detached, even if this process dies.
    shmctl(id, IPC_RMID, nullptr);
    if (!attached || g_shm_failed) {
        image->data = nullptr;
        XDestroyImage(image);
        return false;
    }
    m_image = image;
    m_shared = true;
    m_pixels = gdi::Surface::wrap(address, image->width, image->height, image->bytes_per_line);
    return true;
}

Image::~Image()
{
    if (!m_image)
        return;
    if (m_shared) {
        XShmDetach(m_display, &m_segment);
        XSync(m_display, False);
        if (!m_surface_segment)
            shmdt(m_segment.shmaddr); // a surface's segment is its own to detach
    }
    m_image->data = nullptr; // the pixels are the segment's or m_memory's
    XDestroyImage(m_image);
}

bool Image::put_shown(Display* display, Drawable target, GC gc, const std::vector<RECT>& changed, const RECT& shown,
    int dx, int dy)
{
    bool put_any = false;
    for (const RECT& r : changed) {
        RECT part { std::max(r.left, shown.left), std::max(r.top, shown.top), std::min(r.right, shown.right),
            std::min(r.bottom, shown.bottom) };
        if (part.right > part.left && part.bottom > part.top) {
            put(display, target, gc, part, dx, dy);
            put_any = true;
        }
    }
    return put_any;
}

void Image::put(Display* display, Drawable target, GC gc, const RECT& r, int dx, int dy)
{
    if (!m_image || r.right <= r.left || r.bottom <= r.top)
        return;
    auto width = static_cast<unsigned>(r.right - r.left), height = static_cast<unsigned>(r.bottom - r.top);
    if (m_shared) {
        // Whole rows of a segment go to the server's straight image path; a narrower rectangle
        // is copied through a pixmap made for the request.
        LONG left = r.left;
        if (width * 4 >= static_cast<unsigned>(m_image->width) * 3) {
            left = 0;
            width = static_cast<unsigned>(m_image->width);
        }
        XShmPutImage(display, target, gc, m_image, left, r.top, left - dx, r.top - dy, width, height, False);
    } else {
        XPutImage(display, target, gc, m_image, r.left, r.top, r.left - dx, r.top - dy, width, height);
    }
}

}
