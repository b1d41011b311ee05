// Loading FFmpeg's libraries at the first call into them (see dshow/Ffmpeg.h).

#include <dshow/Ffmpeg.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace ff::detail {

namespace {

#define ORBIVANE_SONAME(library, major) "lib" #library ".so." AV_STRINGIFY(major)

// Each library's own name with the major version the headers are of.
constexpr const char* kLibraries[] = {
    ORBIVANE_SONAME(avutil, LIBAVUTIL_VERSION_MAJOR),
    ORBIVANE_SONAME(avcodec, LIBAVCODEC_VERSION_MAJOR),
    ORBIVANE_SONAME(avformat, LIBAVFORMAT_VERSION_MAJOR),
    ORBIVANE_SONAME(swscale, LIBSWSCALE_VERSION_MAJOR),
    ORBIVANE_SONAME(swresample, LIBSWRESAMPLE_VERSION_MAJOR),
};

#undef ORBIVANE_SONAME

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "orbivane: %s\n", what.c_str());
    std::abort();
}

struct Libraries {
    void* handles[std::size(kLibraries)] {};

    Libraries()
    {
        for (std::size_t i = 0; i < std::size(kLibraries); ++i) {
            handles[i] = dlopen(kLibraries[i], RTLD_NOW | RTLD_LOCAL);
            if (!handles[i]) {
                const char* error = dlerror();
                fail(std::string("cannot load ") + kLibraries[i] + ": " + (error ? error : "unknown error"));
            }
        }
    }
};

}

void* resolve(const char* name)
{
    static Libraries libraries; // loaded once, by whichever thread calls first; never unloaded
    for (void* handle : libraries.handles) {
        if (void* address = dlsym(handle, name))
            return address;
    }
    fail(std::string("FFmpeg has no function ") + name);
}

}
