#include "SetTv.h"
#include "DeviceNames.h"
#include "NumberText.h"
#include "TvAdvanced.h"

#include <resources/TvDialogs.h>
#include <settings/Settings.h>
#include <settings/SettingsValues.h>

#include <base/Text.h>
#include <dshow/DeviceEnumerator.h>

#include <cstdio>

namespace {

constexpr DWORD tuner_length = sizeof SSettings::Tuner;

}

LONG LoadTvSettings(HKEY key)
{
    if (ReadTextValue(key, "Tuner", Settings.Tuner, tuner_length, tuner_length) != ERROR_SUCCESS)
        Settings.Tuner[0] = '\0';
    BYTE byte;
    Settings.Shrink = ReadByteValue(key, "Shrink", byte) == ERROR_SUCCESS && byte != 0;
    Settings.Ratio = ReadByteValue(key, "Ratio", byte) == ERROR_SUCCESS ? byte != 0 : 1;
    Settings.TvStart = ReadByteValue(key, "TvStart", byte) == ERROR_SUCCESS ? byte : 0;
    Settings.TvAntenna = ReadByteValue(key, "TvAntenna", byte) == ERROR_SUCCESS ? byte : 1;
    LONG country;
    LONG result = ReadLongValue(key, "Country", country);
    Settings.Country = result == ERROR_SUCCESS ? country : -1;
    return result;
}

LONG SaveTvSettings(HKEY key)
{
    WriteFixedTextValue(key, "Tuner", Settings.Tuner, tuner_length);
    WriteByteValue(key, "Ratio", Settings.Ratio);
    WriteByteValue(key, "Shrink", Settings.Shrink);
    WriteByteValue(key, "TvStart", static_cast<BYTE>(Settings.TvStart));
    WriteByteValue(key, "TvAntenna", static_cast<BYTE>(Settings.TvAntenna));
    return WriteBinaryLongValue(key, "Country", Settings.Country);
}

const ContextHelpWin::HelpPair TvHelpTable[] = {
    { 1401, 1401 }, { 1409, 1401 }, { 1402, 1402 }, { 1403, 1403 }, { 1405, 1405 }, { 1406, 1406 },
    { 1407, 1407 }, { 1411, 1411 }, { 1412, 1412 }, { 1417, 0xFFFFFFFFu }, { 1413, 1413 }, { 1414, 1414 },
    { 1415, 1414 }, { 1416, 1414 }, { 1452, 1452 }, { 1451, 1452 }, { 1454, 1454 }, { 1453, 1454 },
    { 1458, 1458 }, { 1457, 1458 }, { 1460, 1459 }, { 1459, 1459 }, { 1463, 1463 }, { 1462, 1463 },
    { 1465, 1465 }, { 1464, 1465 }, { 1467, 1467 }, { 1466, 1467 }, { 1469, 1469 }, { 1468, 1469 },
    { 1470, 0xFFFFFFFFu }, { 0, 0 },
};

TSetTv::TSetTv(OWL::TPropertySheet* parent, OWL::TModule* module)
    : TPropertyPage(parent, IDD_SET_TV, module)
    , ContextHelpWin(parent, TvHelpTable, IDD_SET_TV)
    , m_tuner(new OWL::TComboBox(this, 1401, tuner_length))
    , m_ratio(new OWL::TCheckBox(this, 1402))
    , m_shrink(new OWL::TCheckBox(this, 1403))
    , m_tvOn(new OWL::TRadioButton(this, 1405))
    , m_tvOff(new OWL::TRadioButton(this, 1406))
    , m_remember(new OWL::TRadioButton(this, 1407))
    , m_antenna(new OWL::TRadioButton(this, 1411))
    , m_cable(new OWL::TRadioButton(this, 1412))
    , m_country(new OWL::TEdit(this, 1414))
{
    RegisterTvDialogs();
    SetFlags(GetFlags() | PSP_HASHELP);
    OnCommand(1413, [this] { CmAdvanced(); });
}

void TSetTv::FillTunerList()
{
    m_tuner->ClearList();
    m_tuner->AddString(DefaultTuner);
    VisitDevices(CLSID_VideoInputDeviceCategory, [this](IMoniker*, const char* name) {
        m_tuner->AddString(name);
        return true;
    });
}

void TSetTv::SetupWindow()
{
    TPropertyPage::SetupWindow();
    auto check = [](OWL::TCheckBox* box, bool on) { box->SetCheck(on ? OWL::BF_CHECKED : OWL::BF_UNCHECKED); };
    check(m_ratio, Settings.Ratio != 0);
    check(m_shrink, Settings.Shrink != 0);
    check(m_tvOff, Settings.TvStart == 0);
    check(m_tvOn, Settings.TvStart == 1);
    check(m_remember, Settings.TvStart != 0 && Settings.TvStart != 1);
    check(m_antenna, Settings.TvAntenna != 0);
    check(m_cable, Settings.TvAntenna == 0);
    FillTunerList();
    m_tuner->SetSelIndex(0);
    // An empty name would begin every entry: the default device stays chosen.
    if (Settings.Tuner[0])
        m_tuner->SetSelString(Settings.Tuner, 0);
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(Settings.Country));
    m_country->SetText(text);
}

int TSetTv::SetActive(PSHNOTIFY& notify)
{
    if (OWL::TPropertySheet* sheet = GetSheet(); sheet && sheet->GetHandle())
        SendMessageA(sheet->GetHandle(), PSM_SETWIZBUTTONS, 0, 5);
    return TPropertyPage::SetActive(notify);
}

void TSetTv::ChosenTuner(char* name, int size) const
{
    m_tuner->GetText(name, size);
    if (lstrcmpiA(name, "<Default tv tuner>") == 0)
        name[0] = '\0';
}

int TSetTv::Apply(PSHNOTIFY& notify)
{
    Settings.Ratio = m_ratio->GetCheck() == OWL::BF_CHECKED;
    Settings.Shrink = m_shrink->GetCheck() == OWL::BF_CHECKED;
    Settings.TvAntenna = m_antenna->GetCheck() == OWL::BF_CHECKED ? 1 : 0;
    char text[260] = {};
    m_country->GetText(text, sizeof text);
    LONG country = -1;
    Settings.Country = ReadLeadingNumber(text, country) ? country : -1;
    ChosenTuner(Settings.Tuner, tuner_length);
    if (m_tvOn->GetCheck() == OWL::BF_CHECKED)
        Settings.TvStart = 1;
    else
        Settings.TvStart = m_tvOff->GetCheck() == OWL::BF_CHECKED ? 0 : 2;
    return TPropertyPage::Apply(notify);
}

void TSetTv::CmAdvanced()
{
    char name[tuner_length] = {};
    ChosenTuner(name, sizeof name);
    TSetTvAdvanced(this, name).Execute();
}
