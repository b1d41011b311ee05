#include <base/Errors.h>
#include <base/Modules.h>

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

int s_registered = 0;
HRESULT register_server()
{
    ++s_registered;
    return S_OK;
}
int i2c_is_init_ok() { return 1; }

TEST(Modules, OnlyLoadedModulesAreFoundByHandle)
{
    base::Modules::register_module("btvid_32.dll", { { "I2CIsInitOK", base::export_of(&i2c_is_init_ok) } }, 1);
    HMODULE m = GetModuleHandleA("BTVID_32");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetModuleHandleA("btvid_32.DLL"), m);
    EXPECT_EQ(GetModuleHandleA("C:\\Windows\\System32\\btvid_32.dll"), m);
    auto* fn = reinterpret_cast<int (*)()>(GetProcAddress(m, "I2CIsInitOK"));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(), 1);
    EXPECT_EQ(GetProcAddress(m, "I2CSWStart"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    // Freed more often than loaded: the first call unloads it, the others fail.
    EXPECT_TRUE(FreeLibrary(m));
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(FreeLibrary(m));
    EXPECT_EQ(base::Modules::load_count("btvid_32.dll"), 0);
    EXPECT_EQ(GetModuleHandleA("btvid_32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(m, "I2CIsInitOK"), nullptr);
    EXPECT_EQ(GetModuleHandleA("bt848_32.dll"), nullptr);
}

TEST(Modules, LoadCountsAndUnloads)
{
    EXPECT_EQ(LoadLibraryA("ksprite.ax"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    base::Modules::register_module("ksprite.ax", { { "DllRegisterServer", base::export_of(&register_server) } });
    EXPECT_EQ(GetModuleHandleA("ksprite.ax"), nullptr) << "registered but not loaded";
    HMODULE m = LoadLibraryA("KSPRITE.AX");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(LoadLibraryA("ksprite.ax"), m);
    EXPECT_EQ(base::Modules::load_count("ksprite.ax"), 2);
    auto* fn = reinterpret_cast<HRESULT (*)()>(GetProcAddress(m, "DllRegisterServer"));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(), S_OK);
    EXPECT_EQ(s_registered, 1);
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_EQ(GetModuleHandleA("ksprite.ax"), m);
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_EQ(GetModuleHandleA("ksprite.ax"), nullptr);

    // A module registered without the ".dll" the caller omits.
    base::Modules::register_module("shell32.dll", {});
    HMODULE shell = LoadLibraryA("shell32");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(GetProcAddress(shell, "SHGetFolderPathAndSubDirA"), nullptr);
    FreeLibrary(shell);

    base::Modules::unregister_module("ksprite.ax");
    EXPECT_EQ(LoadLibraryA("ksprite.ax"), nullptr);
}

TEST(Modules, TheProgramItself)
{
    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), program);

    char real[4096];
    ssize_t n = readlink("/proc/self/exe", real, sizeof(real) - 1);
    ASSERT_GT(n, 0);
    std::string expected(real, static_cast<std::size_t>(n));
    for (char& c : expected)
        if (c == '/')
            c = '\\';

    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    EXPECT_EQ(std::string(path, length), expected);
    EXPECT_EQ(GetModuleFileNameA(program, path, sizeof(path)), length);

    char small[10];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof(small)), sizeof(small));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::strlen(small), 9u);
    EXPECT_EQ(std::string(small), expected.substr(0, 9));

    base::Modules::register_module("helper.dll", {}, 1);
    HMODULE helper = GetModuleHandleA("helper.dll");
    length = GetModuleFileNameA(helper, path, sizeof(path));
    std::string text(path, length);
    EXPECT_EQ(text.substr(text.rfind('\\') + 1), "helper.dll");
}

}
