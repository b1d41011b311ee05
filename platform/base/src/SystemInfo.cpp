#include <base/Errors.h>
#include <base/SystemInfo.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace base {

namespace {

std::atomic<int> s_os_major { 6 };

std::string user_name()
{
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof(buffer), &found) == 0 && found && found->pw_name && *found->pw_name)
        return found->pw_name;
    for (const char* variable : { "USER", "LOGNAME" })
        if (const char* value = std::getenv(variable); value && *value)
            return value;
    return std::to_string(geteuid());
}

}

void set_os_major_version(int major) { s_os_major = major; }

}

int GetOsMajorVersion() { return base::s_os_major; }

BOOL GetUserNameA(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string name = base::user_name();
    DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (!buffer || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *size = needed;
    return TRUE;
}

BOOL GetComputerNameA(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char host[256] = {};
    if (gethostname(host, sizeof(host) - 1) != 0)
        std::strcpy(host, "localhost");
    std::string name = host;
    if (!buffer || *size < name.size() + 1) {
        *size = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return TRUE;
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size)
{
    const char* value = name ? std::getenv(name) : nullptr;
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    std::size_t length = std::strlen(value);
    if (!buffer || size < length + 1)
        return static_cast<DWORD>(length + 1);
    std::memcpy(buffer, value, length + 1);
    return static_cast<DWORD>(length);
}
