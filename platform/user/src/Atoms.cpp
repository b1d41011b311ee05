// The process's atom space: class atoms and registered window messages, 0xC000 to 0xFFFF.

#include "Ops.h"

#include <base/Errors.h>
#include <base/Text.h>

#include <map>

namespace user::detail {

namespace {

std::map<std::string, UINT> s_messages;
ATOM s_next_atom = 0xC000;

}

ATOM next_atom()
{
    Guard guard(lock());
    if (s_next_atom == 0xFFFF)
        return 0;
    return s_next_atom++;
}

}

using namespace user::detail;

UINT RegisterWindowMessageA(LPCSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string key = base::folded_ascii(name);
    Guard guard(lock());
    auto it = s_messages.find(key);
    if (it != s_messages.end())
        return it->second;
    UINT value = next_atom();
    if (value == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    s_messages[key] = value;
    return value;
}
