#pragma once

// The class library's file dialogs: TFileOpenDialog and TFileSaveDialog, both TOpenSaveDialog, over
// the platform's Open and Save As dialog (comdlg/CommDlg.h, whose template id TemplateId and
// control ids follow) and the data the caller keeps between uses (TOpenSaveDialog::TData): the
// flags, the filter ("description|pattern;pattern|...|"), the filter chosen, the default
// extension and the file-name buffer, which holds the chosen full path after OK.
//
// The dialog is modal over its parent: the current folder's subfolders ("[name]", ".." first) and
// its files that match the chosen filter, a name field, the filter list, and OK and Cancel. Enter
// or a double click on a folder goes into it; a name typed with a folder part goes there too; a
// name without extension gets the default one. OK checks the flags: OFN_FILEMUSTEXIST refuses a
// file that is not there, OFN_OVERWRITEPROMPT asks before an existing file is chosen for saving.
// On OK the process's current folder becomes the chosen file's folder, unless OFN_NOCHANGEDIR.
//
//     OWL::TOpenSaveDialog::TData data(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "AVI files (*.avi)|*.avi|");
//     if (OWL::TFileOpenDialog(main, data).Execute() == IDOK)
//         open(data.FileName);

#include <owl/Dialog.h>

#include <base/Types.h>
#include <comdlg/CommDlg.h>

#include <string>
#include <vector>

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
        DWORD Error = 0; // CommDlgExtendedError() of the last Execute
        std::string Filter;
        int FilterIndex = 0; // 0 and 1 both mean the first filter
        std::string DefExt;
        std::string InitialDir; // empty: the current folder
        char FileName[260] {}; // in: the name offered; out: the full path chosen
    };

    // The dialog template's id, by which tests script the dialog; its controls' ids follow.
    static constexpr UINT TemplateId = NEWFILEOPENORD;
    static constexpr int FolderTextId = cmb2;
    static constexpr int FileListId = lst2;
    static constexpr int FilterListId = cmb1;
    static constexpr int NameFieldId = edt1;

    TOpenSaveDialog(TWindow* parent, TData& data, bool save, const char* title = nullptr);
    ~TOpenSaveDialog() override;

    // Runs the dialog: IDOK with the choice in the data, or IDCANCEL.
    int Execute() override;

    TData& GetData() const { return m_data; }
    bool IsSave() const { return m_save; }
    const std::string& GetTitle() const { return m_title; }

private:
    TData& m_data;
    bool m_save;
    std::string m_title;
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
