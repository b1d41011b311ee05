#include "VersionResource.h"

#include <shell/Version.h>

#include <cstdio>

const char ProgramVersion[] = ORBIVANE_VERSION;
const char ProgramCopyright[] = "Copyright (C) 2026 Kestrelon";

void RegisterVersionResource()
{
    unsigned major = 0, minor = 0, patch = 0;
    std::sscanf(ProgramVersion, "%u.%u.%u", &major, &minor, &patch);
    VS_FIXEDFILEINFO fixed {};
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = (major << 16) | minor;
    fixed.dwFileVersionLS = fixed.dwProductVersionLS = patch << 16;
    fixed.dwFileOS = 0x00040004; // VOS_NT_WINDOWS32
    fixed.dwFileType = 1;        // VFT_APP

    shell::VersionInfo info;
    info.fixed = fixed;
    info.translations = { { 0x0409, 0x04b0 } };
    info.tables = { { "040904b0",
        { { "CompanyName", "Kestrelon" }, { "FileDescription", "Orbivane TV" }, { "FileVersion", ProgramVersion },
            { "InternalName", "orbivane" }, { "LegalCopyright", ProgramCopyright }, { "OriginalFilename", "orbivane" },
            { "ProductName", "Orbivane" }, { "ProductVersion", ProgramVersion } } } };
    shell::register_version_info(info);
}
