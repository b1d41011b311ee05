#include <shell/Version.h>

#include <base/Errors.h>
#include <base/Modules.h>
#include <base/Path.h>
#include <base/Text.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

class VersionTest : public testing::Test {
protected:
    void TearDown() override { shell::unregister_version_info(); }
    std::vector<BYTE> program_block()
    {
        char program[MAX_PATH] {};
        GetModuleFileNameA(nullptr, program, sizeof program);
        DWORD handle = 7;
        DWORD size = GetFileVersionInfoSizeA(program, &handle);
        EXPECT_EQ(handle, 0u);
        if (size == 0)
            return {};
        std::vector<BYTE> block(size);
        EXPECT_TRUE(GetFileVersionInfoA(program, handle, size, block.data()));
        return block;
    }
    static std::string query_text(std::vector<BYTE>& block, const std::string& path)
    {
        LPVOID value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), path.c_str(), &value, &length))
            return "<none>";
        return std::string(static_cast<const char*>(value), length - 1);
    }
};

TEST_F(VersionTest, ProgramsBlockGivesFixedInfoTranslationAndStrings)
{
    shell::VersionInfo info;
    VS_FIXEDFILEINFO fixed {};
    fixed.dwFileVersionMS = 0x00020001;
    fixed.dwProductVersionLS = 0x00030004;
    info.fixed = fixed;
    info.translations = { { 0x0409, 0x04b0 } };
    info.tables = { { "040904b0",
        { { "ProductName", "Orbivane" }, { "ProductVersion", "2.1" }, { "LegalCopyright", "(c) 2026" },
            { "SpecialBuild", "" } } } };
    shell::register_version_info(info);

    auto block = program_block();
    ASSERT_FALSE(block.empty());

    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    auto* root = static_cast<VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(root->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(root->dwFileVersionMS, 0x00020001u);
    EXPECT_EQ(root->dwProductVersionLS, 0x00030004u);

    // The translation is a pointer into the caller's copy: swapping its halves in place gives
    // language then code page when read as one DWORD.
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    EXPECT_EQ(length, 4u);
    EXPECT_GE(static_cast<BYTE*>(value), block.data());
    EXPECT_LT(static_cast<BYTE*>(value), block.data() + block.size());
    auto* words = static_cast<WORD*>(value);
    std::swap(words[0], words[1]);
    char key[16];
    wsprintfA(key, "%08lx", *static_cast<DWORD*>(value));
    EXPECT_STREQ(key, "040904b0");

    EXPECT_EQ(query_text(block, std::string("\\StringFileInfo\\") + key + "\\ProductName"), "Orbivane");
    EXPECT_EQ(query_text(block, "\\StringFileInfo\\040904B0\\productversion"), "2.1");
    EXPECT_EQ(query_text(block, "\\StringFileInfo\\040904b0\\LegalCopyright"), "(c) 2026");
    EXPECT_EQ(query_text(block, "\\StringFileInfo\\040904b0\\SpecialBuild"), "");
    EXPECT_EQ(query_text(block, "\\StringFileInfo\\040904b0\\Comments"), "<none>");
    EXPECT_EQ(query_text(block, "\\StringFileInfo\\04070000\\ProductName"), "<none>");
}

TEST_F(VersionTest, NoBlockOrNoTranslationMakesEveryQueryFail)
{
    char program[MAX_PATH] {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    EXPECT_EQ(GetFileVersionInfoSizeA(program, nullptr), 0u);
    EXPECT_EQ(GetLastError(), 1813u);
    EXPECT_EQ(GetFileVersionInfoSizeA("\\no\\such\\file.exe", nullptr), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

    shell::VersionInfo info; // strings but no translation and no fixed part
    info.tables = { { "040904b0", { { "ProductName", "Orbivane" } } } };
    shell::register_version_info(info);
    auto block = program_block();
    ASSERT_FALSE(block.empty());
    LPVOID value = reinterpret_cast<LPVOID>(1);
    UINT length = 9;
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\", &value, &length));

    // A buffer smaller than the block is refused rather than filled with a cut block.
    std::vector<BYTE> small(block.size() - 1);
    EXPECT_FALSE(GetFileVersionInfoA(program, 0, DWORD(small.size()), small.data()));
}

TEST_F(VersionTest, CorruptBlocksAreReadSafelyAndOtherFilesHaveTheirOwn)
{
    shell::VersionInfo info;
    info.translations = { { 0x0409, 0x04b0 } };
    info.tables = { { "040904b0", { { "ProductName", "Orbivane" } } } };
    auto block = shell::build_version_block(info);
    // Child lengths that point past the block end must not be followed.
    for (std::size_t at = 40; at + 1 < block.size(); at += 4) {
        auto broken = block;
        broken[at] = 0xFF;
        broken[at + 1] = 0x7F;
        LPVOID value = nullptr;
        UINT length = 0;
        VerQueryValueA(broken.data(), "\\StringFileInfo\\040904b0\\ProductName", &value, &length);
        if (value) {
            EXPECT_GE(static_cast<BYTE*>(value), broken.data());
            EXPECT_LE(static_cast<BYTE*>(value) + length, broken.data() + broken.size());
        }
    }

    std::string other = std::string(std::getenv("ORBIVANE_HOME")) + "/codec.dll";
    std::ofstream(other) << "MZ";
    shell::register_version_info(info, base::to_windows_path(other));
    EXPECT_EQ(GetFileVersionInfoSizeA(base::to_windows_path(other).c_str(), nullptr), block.size());
    char program[MAX_PATH] {};
    GetModuleFileNameA(nullptr, program, sizeof program);
    EXPECT_EQ(GetFileVersionInfoSizeA(program, nullptr), 0u);
    shell::unregister_version_info(base::to_windows_path(other));

    HMODULE version = LoadLibraryA("version.dll");
    ASSERT_NE(version, nullptr);
    EXPECT_NE(GetProcAddress(version, "VerQueryValueA"), nullptr);
    FreeLibrary(version);
}

}
