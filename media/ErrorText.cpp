#include "media/ErrorText.h"

#include <base/Text.h>

void FormatErrorText(char* out, std::size_t size, const char* message, HRESULT code)
{
    if (code == 0) {
        base::copy_bounded(out, size, message ? message : "");
        return;
    }
    char line[64];
    wsprintfA(line, "\n    Return code = %lX", static_cast<DWORD>(code));
    std::size_t kept = base::copy_bounded(out, size - lstrlenA(line), message ? message : "");
    base::copy_bounded(out + kept, size - kept, line);
}
