#pragma once

// TModule: a module of the program (the program itself by default) and the resources it holds.
//
//     TModule& module = *OWL::GetGlobalModule();
//     HMENU menu = module.LoadMenu(100);

#include <base/Types.h>
#include <user/Accelerators.h>
#include <user/Menus.h>

#include <string>

namespace OWL {

class TModule {
public:
    // A null handle names the program (GetModuleHandleA(NULL)).
    explicit TModule(const char* name = nullptr, HINSTANCE handle = nullptr);
    virtual ~TModule() = default;

    TModule(const TModule&) = delete;
    TModule& operator=(const TModule&) = delete;

    const char* GetName() const { return m_name.c_str(); }
    void SetName(const char* name) { m_name = name ? name : ""; }
    HINSTANCE GetHandle() const { return m_handle; }

    HMENU LoadMenu(UINT id) const;
    HACCEL LoadAccelerators(UINT id) const;
    HICON LoadIcon(UINT id) const;

private:
    std::string m_name;
    HINSTANCE m_handle;
};

// The program's own module.
TModule* GetGlobalModule();

}
