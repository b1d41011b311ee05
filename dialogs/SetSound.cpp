#include "SetSound.h"

#include <media/Mixer.h>
#include <resources/SettingsPages.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/SystemInfo.h>
#include <base/Text.h>
#include <mm/WaveDevices.h>

#include <cstring>

namespace {

constexpr DWORD name_length = sizeof SSettings::WaveOutDriver;

void read_name(HKEY key, const char* name, char* field, const char* fallback)
{
    if (ReadTextValue(key, name, field, name_length, name_length) != ERROR_SUCCESS)
        base::copy_bounded(field, name_length, fallback);
}

BYTE read_flag(HKEY key, const char* name, BYTE fallback)
{
    BYTE byte;
    if (ReadByteValue(key, name, byte) != ERROR_SUCCESS)
        return fallback;
    return byte > 0;
}

}

void LoadSoundSettings(HKEY key, const char* ini_path)
{
    if (ini_path && ini_path[0])
        return; // no initialisation-file reader here: the settings stay as they are
    read_name(key, "WaveOutDriver", Settings.WaveOutDriver, "-1");
    read_name(key, "WaveInDriver", Settings.WaveInDriver, "-1");
    read_name(key, "MixerInput", Settings.MixerInput, "Line-In");
    Settings.ChangeMixer = read_flag(key, "ChangeMixer", 1);
    Settings.MixerStream = read_flag(key, "MixerStream", 0);
}

void SaveSoundSettings(HKEY key)
{
    if (!key)
        return;
    WriteTextValue(key, "WaveOutDriver", Settings.WaveOutDriver);
    WriteTextValue(key, "WaveInDriver", Settings.WaveInDriver);
    WriteTextValue(key, "MixerInput", Settings.MixerInput);
    WriteByteValue(key, "ChangeMixer", Settings.ChangeMixer);
    WriteByteValue(key, "MixerStream", Settings.MixerStream);
}

namespace {

const ContextHelpWin::HelpPair sound_help[] = {
    { 2303, 2303 }, { 2304, 2303 }, { 2306, 2306 }, { 2307, 2306 }, { 2308, 2308 }, { 2309, 2308 }, { 2301, 2301 },
    { 2313, 2313 }, { 0, 0 },
};

constexpr const char* default_device = "<default>";

void text_of(const OWL::TComboBox* combo, char* text, int size)
{
    text[0] = '\0';
    combo->GetText(text, size);
}

}

TSetSound::TSetSound(OWL::TPropertySheet* parent, LPARAM wizardButtons, OWL::TModule* module)
    : TPropertyPage(parent, IDD_SET_SOUND, module)
    , ContextHelpWin(parent, sound_help, IDD_SET_SOUND)
    , m_input(new OWL::TComboBox(this, 2306, name_length))
    , m_output(new OWL::TComboBox(this, 2308, name_length))
    , m_lines(new OWL::TComboBox(this, 2303, name_length))
    , m_linesLabel(new OWL::TStatic(this, 2304))
    , m_changeMixer(new OWL::TCheckBox(this, 2301))
    , m_stream(new OWL::TCheckBox(this, 2313))
    , m_wizardButtons(wizardButtons)
{
    RegisterSettingsPages();
    SetFlags(GetFlags() | PSP_HASHELP);
    for (UINT code : { CBN_EDITCHANGE, CBN_SELCHANGE }) {
        OnChildNotify(2306, code, [this](LPARAM) { return FillMixerLines(), 0; });
        OnChildNotify(2308, code, [this](LPARAM) { return UpdateStreamOption(), 0; });
    }
}

void TSetSound::FillDevices(OWL::TComboBox* combo, bool input, const char* chosen)
{
    combo->AddString(default_device);
    UINT count = input ? waveInGetNumDevs() : waveOutGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        if (input) {
            WAVEINCAPSA caps {};
            if (waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
                combo->AddString(caps.szPname);
        } else {
            WAVEOUTCAPSA caps {};
            if (waveOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
                combo->AddString(caps.szPname);
        }
    }
    combo->SetSelIndex(0);
    if (std::strcmp(chosen, "-1") == 0)
        combo->SetSelString(default_device);
    else if (combo->SetSelString(chosen) < 0)
        combo->SetSelIndex(0);
}

void TSetSound::SetupWindow()
{
    TPropertyPage::SetupWindow();
    FillDevices(m_output, false, Settings.WaveOutDriver);
    FillDevices(m_input, true, Settings.WaveInDriver);
    m_lines->SetSelString(Settings.MixerInput);
    FillMixerLines();
    if (GetOsMajorVersion() >= 6) {
        m_lines->EnableWindow(false);
        m_linesLabel->EnableWindow(false);
    }
    TransferData(OWL::tdSetData);
}

void TSetSound::FillMixerLines()
{
    char chosen[name_length];
    text_of(m_lines, chosen, sizeof chosen);
    m_lines->ClearList();
    char device[name_length];
    text_of(m_input, device, sizeof device);
    {
        SMixer mixer(MIXER_OBJECTF_WAVEIN, device, nullptr);
        if (!mixer.GetHandle())
            return;
        int count = mixer.GetRecordSourceCount();
        for (int i = 0; i < count; ++i) {
            // A failed read may leave the buffer as it was: never list an earlier line twice.
            char name[name_length] = {};
            mixer.GetRecordSourceName(i, name, sizeof name);
            if (name[0])
                m_lines->AddString(name);
        }
        if (count > 0)
            m_lines->AddString("<not connected>");
        m_lines->SetSelString(chosen);
    }
    UpdateStreamOption();
}

void TSetSound::UpdateStreamOption()
{
    char input[name_length];
    char output[name_length];
    text_of(m_input, input, sizeof input);
    text_of(m_output, output, sizeof output);
    SMixer in(MIXER_OBJECTF_WAVEIN, input, nullptr);
    if (!in.GetHandle())
        return;
    SMixer out(MIXER_OBJECTF_WAVEOUT, output, nullptr);
    if (!out.GetHandle())
        return;
    HWND stream = m_stream->GetHandle();
    if (in.GetMixerId() == out.GetMixerId()) {
        ShowWindow(stream, SW_HIDE);
        return;
    }
    bool was_visible = IsWindowVisible(stream);
    ShowWindow(stream, SW_SHOW);
    if (!was_visible)
        m_stream->Check();
}

void TSetSound::TransferData(int direction)
{
    if (direction == OWL::tdSetData) {
        m_input->SetSelString(Settings.WaveInDriver);
        m_output->SetSelString(Settings.WaveOutDriver);
        m_lines->SetSelIndex(0);
        m_lines->SetSelString(Settings.MixerInput);
        m_changeMixer->SetCheck(Settings.ChangeMixer ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);
        m_stream->SetCheck(Settings.MixerStream ? OWL::BF_CHECKED : OWL::BF_UNCHECKED);
        TPropertyPage::TransferData(direction);
        return;
    }
    TPropertyPage::TransferData(direction);
    text_of(m_output, Settings.WaveOutDriver, name_length - 1);
    text_of(m_input, Settings.WaveInDriver, name_length - 1);
    text_of(m_lines, Settings.MixerInput, name_length);
    Settings.ChangeMixer = m_changeMixer->GetCheck() == OWL::BF_CHECKED;
    Settings.MixerStream = m_stream->GetCheck() == OWL::BF_CHECKED && IsWindowVisible(m_stream->GetHandle());
}

int TSetSound::SetActive(PSHNOTIFY& notify)
{
    if (OWL::TPropertySheet* sheet = GetSheet())
        SendMessageA(sheet->GetHandle(), PSM_SETWIZBUTTONS, 0, m_wizardButtons);
    return TPropertyPage::SetActive(notify);
}

int TSetSound::Apply(PSHNOTIFY& notify)
{
    TransferData(OWL::tdGetData);
    return TPropertyPage::Apply(notify);
}

int TSetSound::WizNext(PSHNOTIFY& notify)
{
    TransferData(OWL::tdGetData);
    return TPropertyPage::WizNext(notify);
}

bool TSetSound::WizFinish(PSHNOTIFY& notify)
{
    TransferData(OWL::tdGetData);
    return TPropertyPage::WizFinish(notify);
}
