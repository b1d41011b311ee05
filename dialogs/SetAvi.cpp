#include "SetAvi.h"
#include "DeviceNames.h"

#include <resources/SettingsPages.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Text.h>
#include <dshow/DeviceEnumerator.h>

namespace {

constexpr DWORD codec_length = sizeof SSettings::VideoCodec;

void read_codec(HKEY key, const char* name, char* codec)
{
    if (ReadTextValue(key, name, codec, codec_length, codec_length) != ERROR_SUCCESS)
        codec[0] = '\0';
}

}

void LoadAviSettings(HKEY key)
{
    read_codec(key, "VideoCodec", Settings.VideoCodec);
    read_codec(key, "AudioCodec", Settings.AudioCodec);
}

void SaveAviSettings(HKEY key)
{
    WriteFixedTextValue(key, "VideoCodec", Settings.VideoCodec, codec_length);
    WriteFixedTextValue(key, "AudioCodec", Settings.AudioCodec, codec_length);
}

namespace {

const ContextHelpWin::HelpPair avi_help[] = {
    { 2101, 2101 }, { 2102, 2101 }, { 2103, 105 }, { 2104, 105 }, { 2106, 2106 }, { 2107, 2106 }, { 2105, 2105 }, { 0, 0 },
};

}

TSetAvi::TSetAvi(OWL::TPropertySheet* parent, LONG* defaultMediaFormat, OWL::TModule* module)
    : TPropertyPage(parent, IDD_SET_AVI, module)
    , ContextHelpWin(parent, avi_help, IDD_SET_AVI)
    , m_video(new OWL::TComboBox(this, 2101, codec_length))
    , m_audio(new OWL::TComboBox(this, 2106, codec_length))
    , m_default(new OWL::TCheckBox(this, 2105))
    , m_format(defaultMediaFormat)
{
    RegisterSettingsPages();
    SetFlags(GetFlags() | PSP_HASHELP);
    OnChildNotify(2105, BN_CLICKED, [this](LPARAM) { return FormatClicked(), 0; });
}

void TSetAvi::ListCompressors(REFCLSID category, OWL::TComboBox* combo)
{
    VisitDevices(category, [combo](IMoniker*, const char* name) {
        combo->AddString(name);
        return true;
    });
}

void TSetAvi::FillList(REFCLSID category, OWL::TComboBox* combo, const char* chosen)
{
    combo->ClearList();
    combo->AddString(NoCompression);
    ListCompressors(category, combo);
    combo->SetSelIndex(0);
    if (chosen[0] && combo->SetSelString(chosen) < 0)
        combo->SetSelIndex(0);
}

void TSetAvi::SetupWindow()
{
    TPropertyPage::SetupWindow();
    FillList(CLSID_VideoCompressorCategory, m_video, Settings.VideoCodec);
    FillList(CLSID_AudioCompressorCategory, m_audio, Settings.AudioCodec);
    m_default->SetCheck(*m_format == 0 ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);
}

void TSetAvi::FormatClicked()
{
    // The WinMedia page's box works the other way round on the same value.
    *m_format = m_default->GetCheck() == OWL::BF_CHECKED ? 0 : 3;
}

int TSetAvi::SetActive(PSHNOTIFY& notify)
{
    m_default->SetCheck(*m_format == 0 ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);
    TPropertyPage::SetActive(notify);
    return 0;
}

void TSetAvi::ReadChoice(OWL::TComboBox* combo, char* codec)
{
    combo->GetText(codec, codec_length);
    if (lstrcmpiA(codec, NoCompression) == 0)
        codec[0] = '\0';
}

int TSetAvi::Apply(PSHNOTIFY& notify)
{
    ReadChoice(m_video, Settings.VideoCodec);
    ReadChoice(m_audio, Settings.AudioCodec);
    return TPropertyPage::Apply(notify);
}
