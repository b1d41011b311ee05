#pragma once

// ProjectRCVersion: the version resource of a module, read once, and its strings by name from the
// string table of its first translation ("ProductName", "ProductVersion", "LegalCopyright",
// "SpecialBuild"). Without a version resource, or without a translation table, every query is
// false. The texts point into the reader's copy and live as long as it.
//
//     ProjectRCVersion version(nullptr);            // the running program
//     const char* name;
//     if (version.GetProductName(name)) ...

#include <base/Types.h>

#include <string>

class ProjectRCVersion {
public:
    explicit ProjectRCVersion(HMODULE module);
    virtual ~ProjectRCVersion();

    ProjectRCVersion(const ProjectRCVersion&) = delete;
    ProjectRCVersion& operator=(const ProjectRCVersion&) = delete;

    bool GetProductName(const char*& text) const { return GetString("ProductName", text); }
    bool GetProductVersion(const char*& text) const { return GetString("ProductVersion", text); }
    bool GetLegalCopyright(const char*& text) const { return GetString("LegalCopyright", text); }
    bool GetSpecialBuild(const char*& text) const { return GetString("SpecialBuild", text); }

    // The key of a string: "\StringFileInfo\040904b0\ProductName"; empty without a version block.
    std::string StringKey(const char* name) const;

private:
    bool GetString(const char* name, const char*& text) const;

    // The first translation entry, its halves swapped in place to read language then code page.
    DWORD* m_translation = nullptr;
    BYTE* m_block = nullptr;
};
