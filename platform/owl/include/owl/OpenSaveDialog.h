#pragma once

// The class library's file dialogs: TFileOpenDialog and TFileSaveDialog, both TOpenSaveDialog (a
// TDialog over its own template, TemplateId), over the data the caller keeps between uses (TOpenSaveDialog::TData): the flags, the filter
// ("description|pattern;pattern|...|"), the filter chosen, the default extension and the
// file-name buffer, which holds the chosen full path after OK.
//
// The dialog is modal over its parent: a list of the current folder's subfolders ("[name]",
// ".." first) and of its files that match the chosen filter, a name field, the filter list, and
// OK and Cancel. Enter or a double click on a folder goes into it; a name typed with a folder
// part goes there too; a name without extension gets the default one (when the filter's
// pattern allows any). OK checks the flags: OFN_FILEMUSTEXIST refuses a file that is not there,
// OFN_OVERWRITEPROMPT asks before an existing file is chosen for saving. On OK the process's
// current folder becomes the chosen file's folder, unless OFN_NOCHANGEDIR is set.
//
//     OWL::TOpenSaveDialog::TData data(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "AVI files (*.avi)|*.avi|");
//     if (OWL::TFileOpenDialog(main, data).Execute() == IDOK)
//         open(data.FileName);

#include <owl/Dialog.h>

#include <base/Types.h>

#include <string>
#include <vector>

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_LONGNAMES = 0x00200000;

namespace OWL {

class TOpenSaveDialog : public TDialog {
public:
    class TData {
    public:
        explicit TData(DWORD flags = 0, const char* filter = nullptr, const char* defaultExtension = nullptr);

        // "description|pattern|..." with a closing '|'; patterns are ';'-separated.
        void SetFilter(const char* filter);
        // The (description, pattern) pairs of the filter.
        std::vector<std::pair<std::string, std::string>> Filters() const;

        DWORD Flags;
        DWORD Error = 0;
        std::string Filter;
        int FilterIndex = 0; // 0 and 1 both mean the first filter
        std::string DefExt;
        std::string InitialDir; // empty: the current folder
        char FileName[260] {}; // in: the name offered; out: the full path chosen
    };

    // The dialog template's id, by which tests script the dialog; its controls' ids follow.
    static constexpr UINT TemplateId = 1536;
    static constexpr int FolderTextId = 1091;
    static constexpr int FileListId = 1120;
    static constexpr int FilterListId = 1136;
    static constexpr int NameFieldId = 1152;

    TOpenSaveDialog(TWindow* parent, TData& data, bool save, const char* title = nullptr);
    ~TOpenSaveDialog() override;

    // Runs the dialog: IDOK with the choice in the data, or IDCANCEL.
    int Execute() override;

    TData& GetData() const { return m_data; }
    bool IsSave() const { return m_save; }
    const std::string& GetTitle() const { return m_title; }

protected:
    void SetupWindow() override;
    // A folder chosen is entered; a file name is checked and, when acceptable, ends the dialog.
    void CmOk() override;

private:
    void FillList();
    void EnterFolder(const std::string& folder);
    void ListNotice(bool doubleClick);
    std::vector<std::string> ChosenPatterns() const;
    std::string TypedName() const;

    TData& m_data;
    bool m_save;
    std::string m_title;
    std::string m_folder; // Windows form, no trailing backslash except the root "\"
    std::vector<std::string> m_folders; // in the list, ".." first
    std::vector<std::string> m_files;
};

class TFileOpenDialog : public TOpenSaveDialog {
public:
    TFileOpenDialog(TWindow* parent, TData& data, const char* title = nullptr)
        : TOpenSaveDialog(parent, data, false, title)
    {
    }
};

class TFileSaveDialog : public TOpenSaveDialog {
public:
    TFileSaveDialog(TWindow* parent, TData& data, const char* title = nullptr)
        : TOpenSaveDialog(parent, data, true, title)
    {
    }
};

}
