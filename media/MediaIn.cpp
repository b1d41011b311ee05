#include "media/MediaIn.h"
#include "media/ErrorText.h"

#include <base/Text.h>
#include <mm/Mmio.h>
#include <user/MessageBox.h>

#include <string_view>

SMediaIn::SMediaIn(const char* path)
{
    std::string_view given = path ? path : "";
    base::copy_bounded(m_path, sizeof m_path, given);
    std::size_t slash = given.rfind('\\');
    base::copy_bounded(m_fileName, sizeof m_fileName, slash == std::string_view::npos ? given : given.substr(slash + 1));
    m_fullScreen = 0;

    // A cut path would name another file: a path that does not fit is not created at all.
    if (given.empty() || given.size() >= sizeof m_path) {
        m_usable = 0;
        return;
    }
    HMMIO file = mmioOpenA(m_path, nullptr, MMIO_CREATE | MMIO_WRITE);
    m_usable = file ? 1 : 0;
    if (file)
        mmioClose(file, 0);
}

SMediaIn::~SMediaIn() = default;

bool SMediaIn::IsUsable() const
{
    return m_usable != 0;
}

void SMediaIn::FitPreview()
{
}

const char* SMediaIn::GetPath() const
{
    return m_path;
}

const char* SMediaIn::GetFileName() const
{
    return m_fileName;
}

bool SMediaIn::SetAttribute(const char*, const char*)
{
    return false;
}

void SMediaIn::SetFullScreen(bool)
{
}

void SMediaIn::ReportError(const char* message, HRESULT code)
{
    char text[260];
    FormatErrorText(text, sizeof text, message, code);
    MessageBoxA(nullptr, text, "Orbivane", MB_ICONHAND);
}
