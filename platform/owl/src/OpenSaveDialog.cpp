// The file dialogs: one template (TOpenSaveDialog::TemplateId) for both, over the current
// folder's listing.

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

void register_template()
{
    static std::once_flag once;
    std::call_once(once, [] {
        user::DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        t.cx = 280;
        t.cy = 176;
        t.caption = "Open";
        // The name field comes first: it has the focus when the dialog opens.
        t.controls = {
            { "EDIT", "", NameField, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 60, 135, 150, 12 },
            { "STATIC", "Look in:", -1, 0, 0, 7, 7, 40, 10 },
            { "STATIC", "", FolderText, 0, 0, 50, 7, 223, 10 },
            { "LISTBOX", "", FileList, WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 0, 7, 20, 266, 108 },
            { "STATIC", "File &name:", -1, 0, 0, 7, 137, 50, 10 },
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
    : TDialog(parent, TemplateId)
    , m_data(data)
    , m_save(save)
    , m_title(title ? title : save ? "Save As" : "Open")
{
    OnChildNotify(FilterList, CBN_SELCHANGE, [this](LPARAM) {
        FillList();
        return LRESULT(0);
    });
    OnChildNotify(FileList, LBN_SELCHANGE, [this](LPARAM) {
        ListNotice(false);
        return LRESULT(0);
    });
    OnChildNotify(FileList, LBN_DBLCLK, [this](LPARAM) {
        ListNotice(true);
        return LRESULT(0);
    });
}

TOpenSaveDialog::~TOpenSaveDialog() = default;

int TOpenSaveDialog::Execute()
{
    register_template();
    char current[260] {};
    GetCurrentDirectoryA(sizeof current, current);
    m_folder = normal(!m_data.InitialDir.empty() ? m_data.InitialDir : std::string(current));
    int result = TDialog::Execute();
    m_data.Error = result == -1 ? 1 : 0;
    return result == IDOK ? IDOK : IDCANCEL;
}

void TOpenSaveDialog::SetupWindow()
{
    TDialog::SetupWindow();
    HWND dialog = GetHandle();
    SetWindowTextA(dialog, m_title.c_str());
    SetDlgItemTextA(dialog, IDOK, m_save ? "&Save" : "&Open");
    auto filters = m_data.Filters();
    for (auto& [description, pattern] : filters)
        SendDlgItemMessageA(dialog, FilterList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(description.c_str()));
    int index = std::max(m_data.FilterIndex, 1) - 1;
    if (static_cast<std::size_t>(index) >= filters.size())
        index = 0;
    SendDlgItemMessageA(dialog, FilterList, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    std::string offered = m_data.FileName;
    if (offered.find('\\') != std::string::npos) {
        m_folder = normal(parent_of(offered));
        offered = name_of(offered);
    }
    SetDlgItemTextA(dialog, NameField, offered.c_str());
    FillList();
}

std::vector<std::string> TOpenSaveDialog::ChosenPatterns() const
{
    auto filters = m_data.Filters();
    LRESULT index = SendDlgItemMessageA(GetHandle(), FilterList, CB_GETCURSEL, 0, 0);
    if (filters.empty())
        return { "*" };
    std::size_t at = index >= 0 && static_cast<std::size_t>(index) < filters.size() ? static_cast<std::size_t>(index) : 0;
    return split(filters[at].second, ';');
}

void TOpenSaveDialog::FillList()
{
    m_folders.clear();
    m_files.clear();
    auto patterns = ChosenPatterns();
    WIN32_FIND_DATAA found {};
    HANDLE find = FindFirstFileA(join(m_folder, "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (name[0] != '.')
                    m_folders.push_back(name);
            } else if (std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) { return wildcard_match(p.c_str(), name.c_str()); })) {
                m_files.push_back(name);
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    std::sort(m_folders.begin(), m_folders.end(), less_ignoring_case);
    std::sort(m_files.begin(), m_files.end(), less_ignoring_case);
    if (m_folder != "\\")
        m_folders.insert(m_folders.begin(), "..");
    HWND dialog = GetHandle();
    SendDlgItemMessageA(dialog, FileList, LB_RESETCONTENT, 0, 0);
    for (auto& folder : m_folders)
        SendDlgItemMessageA(dialog, FileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("[" + folder + "]").c_str()));
    for (auto& file : m_files)
        SendDlgItemMessageA(dialog, FileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.c_str()));
    SetDlgItemTextA(dialog, FolderText, m_folder.c_str());
}

void TOpenSaveDialog::EnterFolder(const std::string& folder)
{
    m_folder = normal(folder);
    FillList();
}

void TOpenSaveDialog::ListNotice(bool doubleClick)
{
    LRESULT selected = SendDlgItemMessageA(GetHandle(), FileList, LB_GETCURSEL, 0, 0);
    if (selected < 0)
        return;
    auto at = static_cast<std::size_t>(selected);
    if (at < m_folders.size()) {
        if (doubleClick)
            EnterFolder(join(m_folder, m_folders[at]));
    } else if (at - m_folders.size() < m_files.size()) {
        SetDlgItemTextA(GetHandle(), NameField, m_files[at - m_folders.size()].c_str());
        if (doubleClick) {
            SetFocus(GetDlgItem(GetHandle(), NameField));
            CmOk();
        }
    }
}

std::string TOpenSaveDialog::TypedName() const
{
    char text[260] {};
    GetDlgItemTextA(GetHandle(), NameField, text, sizeof text);
    std::string name = text;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    while (!name.empty() && name.front() == ' ')
        name.erase(name.begin());
    return name;
}

void TOpenSaveDialog::CmOk()
{
    HWND dialog = GetHandle();
    LRESULT selected = SendDlgItemMessageA(dialog, FileList, LB_GETCURSEL, 0, 0);
    if (GetFocus() == GetDlgItem(dialog, FileList) && selected >= 0 && static_cast<std::size_t>(selected) < m_folders.size()) {
        EnterFolder(join(m_folder, m_folders[static_cast<std::size_t>(selected)]));
        return;
    }
    std::string name = TypedName();
    if (name.empty())
        return;
    std::replace(name.begin(), name.end(), '/', '\\');
    std::string path = normal(join(m_folder, name));
    if (is_folder(path)) {
        EnterFolder(path);
        SetDlgItemTextA(dialog, NameField, "");
        return;
    }
    const char* title = m_title.c_str();
    if (name_of(path).find('.') == std::string::npos && !m_data.DefExt.empty() && (m_save || !is_file(path)))
        path += "." + m_data.DefExt;
    if (!is_folder(parent_of(path))) {
        std::string text = name_of(path) + "\nPath does not exist.\nCheck the path and try again.";
        MessageBoxA(dialog, text.c_str(), title, MB_OK | MB_ICONWARNING);
        return;
    }
    if (!m_save && (m_data.Flags & OFN_FILEMUSTEXIST) && !is_file(path)) {
        std::string text = name_of(path) + "\nFile not found.\nCheck the file name and try again.";
        MessageBoxA(dialog, text.c_str(), title, MB_OK | MB_ICONWARNING);
        return;
    }
    if (m_save && (m_data.Flags & OFN_OVERWRITEPROMPT) && is_file(path)) {
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
    base::copy_bounded(m_data.FileName, sizeof m_data.FileName, path);
    m_data.FilterIndex = static_cast<int>(std::max<LRESULT>(SendDlgItemMessageA(dialog, FilterList, CB_GETCURSEL, 0, 0), 0)) + 1;
    if (!(m_data.Flags & OFN_NOCHANGEDIR))
        SetCurrentDirectoryA(parent_of(path).c_str());
    CloseWindow(IDOK);
}

}
