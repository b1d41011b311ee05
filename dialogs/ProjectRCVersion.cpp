#include "ProjectRCVersion.h"

#include <base/Modules.h>
#include <shell/Version.h>

#include <cstdio>

ProjectRCVersion::ProjectRCVersion(HMODULE module)
{
    char file[256] = {};
    GetModuleFileNameA(module, file, 255);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &handle);
    if (size == 0)
        return;
    m_block = new BYTE[size];
    void* translation = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(file, handle, size, m_block)
        && VerQueryValueA(m_block, "\\VarFileInfo\\Translation", &translation, &length) && length >= sizeof(DWORD)) {
        m_translation = static_cast<DWORD*>(translation);
        *m_translation = (*m_translation << 16) | (*m_translation >> 16);
        return;
    }
    delete[] m_block;
    m_block = nullptr;
}

ProjectRCVersion::~ProjectRCVersion()
{
    delete[] m_block;
}

std::string ProjectRCVersion::StringKey(const char* name) const
{
    if (!m_block || !name)
        return {};
    char key[300];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%08x\\%s", static_cast<unsigned>(*m_translation), name);
    return key;
}

bool ProjectRCVersion::GetString(const char* name, const char*& text) const
{
    std::string key = StringKey(name);
    if (key.empty())
        return false;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_block, key.c_str(), &value, &length) || !value)
        return false;
    text = static_cast<const char*>(value);
    return true;
}
