// What another process may write to the desktop: request records on the socket and windows files
// in the runtime folder.

#include "desktop/Wire.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (auto request = user::shared::decode_request(data, size)) {
        if (request->message > 0xFFFF)
            std::abort();
    }
    auto published = user::shared::parse_windows(std::string(reinterpret_cast<const char*>(data), size));
    if (published)
        for (const auto& window : published->windows)
            if (window.process_id != published->pid)
                std::abort();
    return 0;
}
