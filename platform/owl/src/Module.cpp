#include <owl/Module.h>

#include <base/Modules.h>
#include <gdi/Resources.h>

namespace OWL {

TModule::TModule(const char* name, HINSTANCE handle)
    : m_name(name ? name : "")
    , m_handle(handle ? handle : GetModuleHandleA(nullptr))
{
}

HMENU TModule::LoadMenu(UINT id) const
{
    return LoadMenuA(m_handle, MAKEINTRESOURCEA(id));
}

HACCEL TModule::LoadAccelerators(UINT id) const
{
    return LoadAcceleratorsA(m_handle, MAKEINTRESOURCEA(id));
}

HICON TModule::LoadIcon(UINT id) const
{
    return LoadIconA(m_handle, MAKEINTRESOURCEA(id));
}

TModule* GetGlobalModule()
{
    static TModule module("Orbivane");
    return &module;
}

}
