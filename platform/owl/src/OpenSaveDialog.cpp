// The file dialogs: one template (TOpenSaveDialog::TemplateId) and one dialog procedure for
// both, over the current folder's listing.

#include <owl/OpenSaveDialog.h>

#include <base/Files.h>
#include <base/Text.h>
#include <user/Dialogs.h>

#include <algorithm>
#include <mutex>

namespace OWL {

namespace {

constexpr int FolderText = TOpenSaveDialog::FolderTextId;
constexpr int FileList = TOpenSaveDialog::FileListId;
constexpr int FilterList = TOpenSaveDialog::FilterListId;
constexpr int NameField = TOpenSaveDialog::NameFieldId;

struct DialogState {
    TOpenSaveDialog* owner;
    std::string folder; // Windows form, no trailing backslash except the root "\"
    std::vector<std::string> folders; // in the list after ".."
    std::vector<std::string> files;
};

void register_template()
{
    static std::once_flag once;
    std::call_once(once, [] {
        user::DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        t.cx = 280;
        t.cy = 176;
        t.caption = "Open";
        t.controls = {
            { "STATIC", "Look in:", -1, 0, 0, 7, 7, 40, 10 },
            { "STATIC", "", FolderText, 0, 0, 50, 7, 223, 10 },
            { "LISTBOX", "", FileList, WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 0, 7, 20, 266, 108 },
            { "STATIC", "File &name:", -1, 0, 0, 7, 137, 50, 10 },
            { "EDIT", "", NameField, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 60, 135, 150, 12 },
            { "STATIC", "Files of &type:", -1, 0, 0, 7, 155, 50, 10 },
            { "COMBOBOX", "", FilterList, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 60, 153, 150, 90 },
            { "BUTTON", "&Open", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 220, 134, 53, 14 },
            { "BUTTON", "Cancel", IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON, 0, 220, 152, 53, 14 },
        };
        user::register_dialog(TOpenSaveDialog::TemplateId, t);
    });
}

// '*' and '?' against a name, ignoring ASCII case.
bool wildcard_match(const char* pattern, const char* name)
{
    if (!*pattern)
        return !*name;
    if (*pattern == '*')
        return wildcard_match(pattern + 1, name) || (*name && wildcard_match(pattern, name + 1));
    if (!*name)
        return false;
    if (*pattern != '?' && base::fold_ascii(*pattern) != base::fold_ascii(*name))
        return false;
    return wildcard_match(pattern + 1, name + 1);
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == separator) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

std::string join(const std::string& folder, const std::string& name)
{
    if (!name.empty() && name[0] == '\\')
        return name;
    return folder == "\\" ? "\\" + name : folder + "\\" + name;
}

std::string parent_of(const std::string& path)
{
    auto slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash == 0)
        return "\\";
    return path.substr(0, slash);
}

std::string name_of(const std::string& path)
{
    auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Removes "." and ".." parts of an absolute path.
std::string normal(const std::string& path)
{
    std::vector<std::string> kept;
    for (auto& part : split(path, '\\')) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string out;
    for (auto& part : kept)
        out += "\\" + part;
    return out.empty() ? "\\" : out;
}

bool is_folder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_file(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool less_ignoring_case(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }

DialogState& state_of(HWND dialog) { return *reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// The patterns of the filter chosen in the list.
std::vector<std::string> chosen_patterns(HWND dialog, const TOpenSaveDialog::TData& data)
{
    auto filters = data.Filters();
    LRESULT index = SendDlgItemMessageA(dialog, FilterList, CB_GETCURSEL, 0, 0);
    if (filters.empty())
        return { "*" };
    std::size_t at = index >= 0 && static_cast<std::size_t>(index) < filters.size() ? static_cast<std::size_t>(index) : 0;
    return split(filters[at].second, ';');
}

void fill_list(HWND dialog)
{
    DialogState& state = state_of(dialog);
    state.folders.clear();
    state.files.clear();
    auto patterns = chosen_patterns(dialog, state.owner->GetData());
    WIN32_FIND_DATAA found {};
    HANDLE find = FindFirstFileA(join(state.folder, "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (name[0] != '.')
                    state.folders.push_back(name);
            } else if (std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) { return wildcard_match(p.c_str(), name.c_str()); })) {
                state.files.push_back(name);
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    std::sort(state.folders.begin(), state.folders.end(), less_ignoring_case);
    std::sort(state.files.begin(), state.files.end(), less_ignoring_case);
    if (state.folder != "\\")
        state.folders.insert(state.folders.begin(), "..");
    SendDlgItemMessageA(dialog, FileList, LB_RESETCONTENT, 0, 0);
    for (auto& folder : state.folders)
        SendDlgItemMessageA(dialog, FileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("[" + folder + "]").c_str()));
    for (auto& file : state.files)
        SendDlgItemMessageA(dialog, FileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.c_str()));
    SetDlgItemTextA(dialog, FolderText, state.folder.c_str());
}

void enter_folder(HWND dialog, const std::string& folder)
{
    state_of(dialog).folder = normal(folder);
    fill_list(dialog);
}

std::string name_field(HWND dialog)
{
    char text[260] {};
    GetDlgItemTextA(dialog, NameField, text, sizeof text);
    std::string name = text;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    while (!name.empty() && name.front() == ' ')
        name.erase(name.begin());
    return name;
}

// OK: a folder is entered; a file name is checked and, when it is acceptable, ends the dialog.
void accept(HWND dialog)
{
    DialogState& state = state_of(dialog);
    TOpenSaveDialog::TData& data = state.owner->GetData();
    LRESULT selected = SendDlgItemMessageA(dialog, FileList, LB_GETCURSEL, 0, 0);
    if (GetFocus() == GetDlgItem(dialog, FileList) && selected >= 0 && static_cast<std::size_t>(selected) < state.folders.size()) {
        enter_folder(dialog, join(state.folder, state.folders[static_cast<std::size_t>(selected)]));
        return;
    }
    std::string name = name_field(dialog);
    if (name.empty())
        return;
    for (char& c : name) {
        if (c == '/')
            c = '\\';
    }
    std::string path = normal(join(state.folder, name));
    if (is_folder(path)) {
        enter_folder(dialog, path);
        SetDlgItemTextA(dialog, NameField, "");
        return;
    }
    const char* title = state.owner->IsSave() ? "Save As" : "Open";
    std::string leaf = name_of(path);
    if (leaf.find('.') == std::string::npos && !data.DefExt.empty() && (state.owner->IsSave() || !is_file(path)))
        path += "." + data.DefExt;
    if (!is_folder(parent_of(path))) {
        std::string text = name_of(path) + "\nPath does not exist.\nCheck the path and try again.";
        MessageBoxA(dialog, text.c_str(), title, MB_OK | MB_ICONWARNING);
        return;
    }
    if (!state.owner->IsSave() && (data.Flags & OFN_FILEMUSTEXIST) && !is_file(path)) {
        std::string text = name_of(path) + "\nFile not found.\nCheck the file name and try again.";
        MessageBoxA(dialog, text.c_str(), title, MB_OK | MB_ICONWARNING);
        return;
    }
    if (state.owner->IsSave() && (data.Flags & OFN_OVERWRITEPROMPT) && is_file(path)) {
        std::string text = name_of(path) + " already exists.\nDo you want to replace it?";
        if (MessageBoxA(dialog, text.c_str(), title, MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
    }
    // An existing file is named as the folder spells it.
    WIN32_FIND_DATAA found {};
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        path = join(parent_of(path), found.cFileName);
        FindClose(find);
    }
    base::copy_bounded(data.FileName, sizeof data.FileName, path);
    data.FilterIndex = static_cast<int>(std::max<LRESULT>(SendDlgItemMessageA(dialog, FilterList, CB_GETCURSEL, 0, 0), 0)) + 1;
    if (!(data.Flags & OFN_NOCHANGEDIR))
        SetCurrentDirectoryA(parent_of(path).c_str());
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        DialogState& state = state_of(dialog);
        TOpenSaveDialog::TData& data = state.owner->GetData();
        SetWindowTextA(dialog, state.owner->GetTitle().c_str());
        SetDlgItemTextA(dialog, IDOK, state.owner->IsSave() ? "&Save" : "&Open");
        for (auto& [description, pattern] : data.Filters())
            SendDlgItemMessageA(dialog, FilterList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(description.c_str()));
        int index = std::max(data.FilterIndex, 1) - 1;
        if (static_cast<std::size_t>(index) >= data.Filters().size())
            index = 0;
        SendDlgItemMessageA(dialog, FilterList, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        std::string offered = data.FileName;
        if (!offered.empty() && offered.find('\\') != std::string::npos) {
            state.folder = normal(parent_of(offered));
            offered = name_of(offered);
        }
        SetDlgItemTextA(dialog, NameField, offered.c_str());
        fill_list(dialog);
        SetFocus(GetDlgItem(dialog, NameField));
        return FALSE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wparam);
        int code = HIWORD(wparam);
        if (id == IDOK) {
            accept(dialog);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (id == FilterList && code == CBN_SELCHANGE) {
            fill_list(dialog);
            return TRUE;
        }
        if (id == FileList && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
            DialogState& state = state_of(dialog);
            LRESULT selected = SendDlgItemMessageA(dialog, FileList, LB_GETCURSEL, 0, 0);
            if (selected < 0)
                return TRUE;
            auto at = static_cast<std::size_t>(selected);
            if (at < state.folders.size()) {
                if (code == LBN_DBLCLK)
                    enter_folder(dialog, join(state.folder, state.folders[at]));
            } else if (at - state.folders.size() < state.files.size()) {
                SetDlgItemTextA(dialog, NameField, state.files[at - state.folders.size()].c_str());
                if (code == LBN_DBLCLK) {
                    SetFocus(GetDlgItem(dialog, NameField));
                    accept(dialog);
                }
            }
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}

TOpenSaveDialog::TData::TData(DWORD flags, const char* filter, const char* defaultExtension)
    : Flags(flags)
    , DefExt(defaultExtension ? defaultExtension : "")
{
    SetFilter(filter);
}

void TOpenSaveDialog::TData::SetFilter(const char* filter) { Filter = filter ? filter : ""; }

std::vector<std::pair<std::string, std::string>> TOpenSaveDialog::TData::Filters() const
{
    std::vector<std::pair<std::string, std::string>> pairs;
    auto parts = split(Filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        pairs.emplace_back(parts[i], parts[i + 1]);
    return pairs;
}

TOpenSaveDialog::TOpenSaveDialog(TWindow* parent, TData& data, bool save, const char* title)
    : m_parent(parent)
    , m_data(data)
    , m_save(save)
    , m_title(title ? title : save ? "Save As" : "Open")
{
}

TOpenSaveDialog::~TOpenSaveDialog() = default;

int TOpenSaveDialog::Execute()
{
    register_template();
    DialogState state { this, {}, {}, {} };
    char current[260] {};
    GetCurrentDirectoryA(sizeof current, current);
    state.folder = normal(!m_data.InitialDir.empty() ? m_data.InitialDir : std::string(current));
    HWND owner = m_parent ? m_parent->GetHandle() : nullptr;
    INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(TemplateId), owner, dialog_proc, reinterpret_cast<LPARAM>(&state));
    m_data.Error = result == -1 ? 1 : 0;
    return result == IDOK ? IDOK : IDCANCEL;
}

}
