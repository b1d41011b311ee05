#include "TickStatus.h"

#include <cstdio>

std::string RecordingStatusText(LONG seconds, LONG bytes)
{
    std::string text;
    char part[64];
    if (seconds != -1 && seconds != 0) {
        LONG h = seconds / 3600;
        LONG m = (seconds % 3600) / 60;
        LONG s = seconds % 60;
        if (h > 0)
            std::snprintf(part, sizeof part, " %d:%2.2d:%2.2d", static_cast<int>(h), static_cast<int>(m), static_cast<int>(s));
        else
            std::snprintf(part, sizeof part, " %d:%2.2d", static_cast<int>(m), static_cast<int>(s));
        text += part;
    }
    if (bytes != -1 && bytes != 0) {
        float mb = static_cast<float>(static_cast<DWORD>(bytes) / 1048576.0);
        const char* format = mb < 1.0f ? "%.3fMB" : mb < 100.0f ? "%.2fMB" : "%.0fMB";
        std::snprintf(part, sizeof part, format, static_cast<double>(mb));
        text += "   ";
        text += part;
    }
    return text;
}

std::string DropStatusText(float ratio)
{
    char text[64];
    std::snprintf(text, sizeof text, "  drops=%.2f%%", static_cast<double>(ratio * 100.0f));
    return text;
}
