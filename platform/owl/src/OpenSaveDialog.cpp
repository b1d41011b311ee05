// The file dialogs: the data kept between uses, turned into the platform dialog's record and back.

#include <owl/OpenSaveDialog.h>

#include <algorithm>

namespace OWL {

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
    std::size_t at = 0;
    for (std::size_t bar; (bar = Filter.find('|', at)) != std::string::npos;) {
        std::size_t end = std::min(Filter.find('|', bar + 1), Filter.size());
        pairs.emplace_back(Filter.substr(at, bar - at), Filter.substr(bar + 1, end - bar - 1));
        at = end + 1;
    }
    return pairs;
}

TOpenSaveDialog::TOpenSaveDialog(TWindow* parent, TData& data, bool save, const char* title)
    : TDialog(parent, TemplateId)
    , m_data(data)
    , m_save(save)
    , m_title(title ? title : save ? "Save As" : "Open")
{
}

TOpenSaveDialog::~TOpenSaveDialog() = default;

int TOpenSaveDialog::Execute()
{
    // The platform's filter: each string closed by a zero, the list by another.
    std::string filter;
    for (auto& [description, pattern] : m_data.Filters()) {
        filter += description;
        filter += '\0';
        filter += pattern;
        filter += '\0';
    }
    filter += '\0';
    OPENFILENAMEA ofn {};
    ofn.lStructSize = sizeof ofn;
    TWindow* parent = GetParentO();
    ofn.hwndOwner = parent ? parent->GetHandle() : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(m_data.FilterIndex, 1));
    ofn.lpstrFile = m_data.FileName;
    ofn.nMaxFile = sizeof m_data.FileName;
    ofn.lpstrInitialDir = m_data.InitialDir.empty() ? nullptr : m_data.InitialDir.c_str();
    ofn.lpstrTitle = m_title.c_str();
    ofn.Flags = m_data.Flags | OFN_EXPLORER;
    ofn.lpstrDefExt = m_data.DefExt.empty() ? nullptr : m_data.DefExt.c_str();
    BOOL chosen = m_save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    m_data.Error = CommDlgExtendedError();
    if (!chosen)
        return IDCANCEL;
    m_data.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return IDOK;
}

}
