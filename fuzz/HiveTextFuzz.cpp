// Hive files as another program or a damaged disk may leave them: whatever parses writes back
// to a text that parses to the same tree.

#include "HiveText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    registry::Key root;
    std::string error, dropped;
    FILETIME loaded {};
    if (!registry::parse_hive_text(text, root, loaded, error, &dropped))
        return 0;
    std::string written = registry::write_hive_text(root, "HKEY_CURRENT_USER");
    registry::Key again;
    if (!registry::parse_hive_text(written, again, loaded, error) || registry::write_hive_text(again, "HKEY_CURRENT_USER") != written)
        std::abort();
    return 0;
}
