#include "SetWMEnc.h"

#include <resources/WinMediaPage.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Text.h>
#include <com/Apartment.h>
#include <com/BStr.h>
#include <com/ClassRegistry.h>

#include <string>

namespace {

constexpr DWORD profile_length = sizeof SSettings::WMVideoProfile;
constexpr const char* default_video_profile = "Video for e-mail and dual-channel ISDN (128 Kbps)";
constexpr const char* default_audio_profile = "Audio for FM radio quality for dial-up modems (28.8 Kbps stereo)";

void read_profile(HKEY key, const char* name, char* field, const char* fallback)
{
    if (ReadTextValue(key, name, field, profile_length, profile_length) != ERROR_SUCCESS)
        base::copy_bounded(field, profile_length, fallback);
}

}

LONG LoadWMEncSettings(HKEY key)
{
    read_profile(key, "WMVideoProfile", Settings.WMVideoProfile, default_video_profile);
    read_profile(key, "WMAudioProfile", Settings.WMAudioProfile, default_audio_profile);
    BYTE format;
    LONG result = ReadByteValue(key, "DefaultMediaFormat", format);
    Settings.DefaultMediaFormat = result == ERROR_SUCCESS ? format : 3;
    return result;
}

LONG SaveWMEncSettings(HKEY key)
{
    WriteFixedTextValue(key, "WMVideoProfile", Settings.WMVideoProfile, profile_length);
    WriteFixedTextValue(key, "WMAudioProfile", Settings.WMAudioProfile, profile_length);
    return WriteByteValue(key, "DefaultMediaFormat", static_cast<BYTE>(Settings.DefaultMediaFormat));
}

namespace {

const ContextHelpWin::HelpPair WMEncHelp[] = {
    { 2201, 2201 }, { 2202, 2201 }, { 2206, 2206 }, { 2207, 2206 }, { 2212, 2212 }, { 2213, 2213 }, { 0, 0 },
};

// The profile's name in the ANSI code page, at most 259 bytes.
std::string profile_name(IWMEncProfile* profile)
{
    BSTR name = nullptr;
    if (FAILED(profile->get_Name(&name)) || !name)
        return {};
    char text[profile_length] = {};
    WideCharToMultiByte(CP_ACP, 0, name, -1, text, sizeof text, nullptr, nullptr);
    text[sizeof text - 1] = '\0';
    SysFreeString(name);
    return text;
}

// The entry whose text is exactly `text`, or -1.
int index_of(const OWL::TComboBox* list, const char* text)
{
    for (int i = 0; i < list->GetCount(); ++i) {
        if (list->GetString(i) == text)
            return i;
    }
    return -1;
}

bool has_media(IWMEncProfile* profile, LONG type)
{
    SHORT count = 0;
    return SUCCEEDED(profile->get_MediaCount(type, &count)) && count > 0;
}

}

TSetWMEnc::TSetWMEnc(OWL::TPropertySheet* parent, LONG* defaultMediaFormat, OWL::TModule* module)
    : TPropertyPage(parent, IDD_SET_WMENC, module)
    , ContextHelpWin(parent, WMEncHelp, IDD_SET_WMENC)
    , m_format(defaultMediaFormat)
    , m_videoList(new OWL::TComboBox(this, 2201, profile_length))
    , m_videoDescription(new OWL::TEdit(this, 2203))
    , m_audioList(new OWL::TComboBox(this, 2206, profile_length))
    , m_audioDescription(new OWL::TEdit(this, 2208))
    , m_formatBox(new OWL::TCheckBox(this, 2213))
{
    RegisterWinMediaPage();
    SetFlags(GetFlags() | PSP_HASHELP);
    CoInitialize(nullptr);
    OnChildNotify(2201, CBN_SELCHANGE, [this](LPARAM) { return ShowDescription(m_videoList, m_videoDescription), 0; });
    OnChildNotify(2206, CBN_SELCHANGE, [this](LPARAM) { return ShowDescription(m_audioList, m_audioDescription), 0; });
    OnChildNotify(2213, BN_CLICKED, [this](LPARAM) { return FormatClicked(), 0; });
    OnCommand(2212, [this] { CmManageProfiles(); });
}

TSetWMEnc::~TSetWMEnc()
{
    // The encoder's objects go before COM does.
    m_profiles.Release();
    m_manager.Release();
    CoUninitialize();
}

void TSetWMEnc::TakeProfiles()
{
    m_profiles.Release();
    CComPtr<IWMEncoder> encoder;
    if (SUCCEEDED(CoCreateInstance(CLSID_WMEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncoder,
            reinterpret_cast<void**>(&encoder))))
        encoder->get_ProfileCollection(&m_profiles);
}

void TSetWMEnc::SetupWindow()
{
    TPropertyPage::SetupWindow();
    CoCreateInstance(CLSID_WMEncProfileManager, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncProfileManager,
        reinterpret_cast<void**>(&m_manager));
    TakeProfiles();
    m_formatBox->SetCheck(*m_format == 3 ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);
    FillProfileLists();
    if (Settings.WMVideoProfile[0])
        m_videoList->SetSelString(Settings.WMVideoProfile, 0);
    if (Settings.WMAudioProfile[0])
        m_audioList->SetSelString(Settings.WMAudioProfile, 0);
    ShowDescription(m_audioList, m_audioDescription);
    ShowDescription(m_videoList, m_videoDescription);
}

void TSetWMEnc::FillProfileLists()
{
    m_videoList->ClearList();
    m_audioList->ClearList();
    LONG count = 0;
    if (!m_profiles || FAILED(m_profiles->get_Count(&count)))
        return;
    for (LONG i = 0; i < count; ++i) {
        CComPtr<IWMEncProfile> profile;
        if (FAILED(m_profiles->Item(i, &profile)) || !profile)
            continue;
        bool audio = has_media(profile, WMENC_AUDIO);
        bool video = has_media(profile, WMENC_VIDEO);
        if (audio && video) {
            std::string name = profile_name(profile);
            if (name.find("screen capture") == std::string::npos && name.find("Screen capture") == std::string::npos)
                m_videoList->SetItemData(m_videoList->AddString(name.c_str()), i);
        } else if (audio) {
            m_audioList->SetItemData(m_audioList->AddString(profile_name(profile).c_str()), i);
        }
    }
}

void TSetWMEnc::ShowDescription(OWL::TComboBox* list, OWL::TEdit* box)
{
    if (!m_manager) {
        box->SetText("");
        return;
    }
    char name[profile_length] = {};
    list->GetText(name, sizeof name);
    if (!name[0]) {
        box->SetText(name);
        return;
    }
    WCHAR wide[profile_length] = {};
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide, profile_length);
    wide[profile_length - 1] = 0;
    BSTR asked = SysAllocString(wide);
    BSTR details = nullptr;
    if (SUCCEEDED(m_manager->GetDetailsString(asked, 0, &details)) && details) {
        std::string text = base::to_utf8(std::u16string_view(details, SysStringLen(details)));
        box->SetText(text.c_str());
    } else {
        box->SetText("");
    }
    SysFreeString(details);
    SysFreeString(asked);
}

void TSetWMEnc::CmManageProfiles()
{
    if (!m_manager)
        return;
    char video[profile_length] = {};
    char audio[profile_length] = {};
    m_videoList->GetText(video, sizeof video);
    m_audioList->GetText(audio, sizeof audio);
    m_manager->EditProfiles(17, 1, 0);
    // A collection lists the profiles there were when it was made: a new one has the edits.
    TakeProfiles();
    FillProfileLists();
    // What was chosen stays chosen while it is still there.
    if (int i = index_of(m_videoList, video); video[0] && i >= 0)
        m_videoList->SetSelIndex(i);
    if (int i = index_of(m_audioList, audio); audio[0] && i >= 0)
        m_audioList->SetSelIndex(i);
    ShowDescription(m_audioList, m_audioDescription);
    ShowDescription(m_videoList, m_videoDescription);
}

void TSetWMEnc::FormatClicked()
{
    // The AVI/WAV page's box works the other way round on the same value.
    *m_format = m_formatBox->GetCheck() == OWL::BF_CHECKED ? 3 : 0;
}

int TSetWMEnc::SetActive(PSHNOTIFY&)
{
    m_formatBox->SetCheck(*m_format == 3 ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);
    return 0;
}

int TSetWMEnc::Apply(PSHNOTIFY& notify)
{
    m_videoList->GetText(Settings.WMVideoProfile, profile_length);
    m_audioList->GetText(Settings.WMAudioProfile, profile_length);
    Settings.DefaultMediaFormat = *m_format;
    return TPropertyPage::Apply(notify);
}
