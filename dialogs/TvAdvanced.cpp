#include "TvAdvanced.h"
#include "DeviceNames.h"
#include "SetTv.h"

#include <capture/Tv.h>
#include <capture/TvEngine.h>
#include <resources/TvDialogs.h>

#include <base/Clock.h>
#include <base/Text.h>
#include <dshow/CaptureGraphBuilder.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <dshow/PinCategory.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* SpecialDevice = "3dfx 3500TV VPX Video Capture(VFW)";
constexpr int BindRetries = 7;

struct FormatName {
    LONG standard;
    const char* name;
};

constexpr FormatName FormatNames[] = {
    { 0, "None" }, { 0x1, "NTSC_M" }, { 0x2, "NTSC_M_J" }, { 0x4, "NTSC_433" }, { 0x10, "PAL_B" },
    { 0x20, "PAL_D" }, { 0x80, "PAL_H" }, { 0x100, "PAL_I" }, { 0x200, "PAL_M" }, { 0x400, "PAL_N" },
    { 0x800, "PAL_60" }, { 0x1000, "SECAM_B" }, { 0x2000, "SECAM_D" }, { 0x4000, "SECAM_G" },
    { 0x8000, "SECAM_H" }, { 0x10000, "SECAM_K" }, { 0x20000, "SECAM_K1" }, { 0x40000, "SECAM_L" },
    { 0x80000, "SECAM_L1" },
};

void show_number(OWL::TStatic* readout, LONG value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
    readout->SetText(text);
}

}

const char* TvFormatName(LONG standard)
{
    for (const FormatName& f : FormatNames) {
        if (f.standard == standard)
            return f.name;
    }
    return "unknown";
}

TSetTvAdvanced::TSetTvAdvanced(OWL::TWindow* parent, const char* deviceName, OWL::TModule* module)
    : TDialog(parent, IDD_TV_ADVANCED, module)
    , ContextHelpWin(parent, TvHelpTable, 0)
    , m_device(new OWL::TStatic(this, 1460))
    , m_country(new OWL::TStatic(this, 1452))
    , m_videoFrequency(new OWL::TStatic(this, 1454))
    , m_audioFrequency(new OWL::TStatic(this, 1469))
    , m_input(new OWL::TStatic(this, 1465))
    , m_format(new OWL::TStatic(this, 1458))
    , m_channel(new OWL::TStatic(this, 1463))
    , m_inputType(new OWL::TStatic(this, 1467))
{
    RegisterTvDialogs();
    base::copy_bounded(m_deviceName, sizeof m_deviceName, deviceName ? deviceName : "");
}

void TSetTvAdvanced::SetupWindow()
{
    TDialog::SetupWindow();
    ObtainTuner();
    FillReadOuts();
}

void TSetTvAdvanced::ObtainTuner()
{
    if (Tv && (!m_deviceName[0] || lstrcmpiA(m_deviceName, Tv->GetDeviceName()) == 0)) {
        m_tuner = Tv->GetTuner();
        if (!m_deviceName[0])
            base::copy_bounded(m_deviceName, sizeof m_deviceName, Tv->GetDeviceName());
        return;
    }
    OpenTuner();
}

void TSetTvAdvanced::OpenTuner()
{
    CComPtr<IGraphBuilder> graph;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
            reinterpret_cast<void**>(&graph))))
        return;
    const bool named = m_deviceName[0] != '\0';
    VisitDevices(CLSID_VideoInputDeviceCategory, [&](IMoniker* moniker, const char* name) {
        if (named && std::strcmp(name, m_deviceName) != 0)
            return true;
        CComPtr<IBaseFilter> filter;
        HRESULT bound = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        // A named device may still be closing in another program: wait for it a little.
        for (int retry = 0; FAILED(bound) && named && retry < BindRetries; ++retry) {
            Sleep(1000);
            bound = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        }
        CComPtr<IAMTVTuner> tuner;
        if (SUCCEEDED(bound) && filter) {
            CComPtr<ICaptureGraphBuilder2> builder;
            if (SUCCEEDED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                    IID_ICaptureGraphBuilder2, reinterpret_cast<void**>(&builder)))) {
                graph->AddFilter(filter, u"Capture");
                builder->SetFiltergraph(graph);
                if (FAILED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, nullptr, filter, IID_IAMTVTuner,
                        reinterpret_cast<void**>(&tuner))))
                    builder->FindInterface(nullptr, nullptr, filter, IID_IAMTVTuner, reinterpret_cast<void**>(&tuner));
            }
        }
        bool found = named || (tuner != nullptr) || std::strcmp(name, SpecialDevice) == 0;
        if (found) {
            m_tuner = tuner;
            if (!named)
                base::copy_bounded(m_deviceName, sizeof m_deviceName, name);
        }
        if (filter)
            graph->RemoveFilter(filter);
        return !found;
    });
}

void TSetTvAdvanced::FillReadOuts()
{
    if (!m_tuner) {
        m_device->SetText(NoTuner);
        return;
    }
    LONG value = 0;
    if (SUCCEEDED(m_tuner->get_VideoFrequency(&value)))
        show_number(m_videoFrequency, value);
    if (SUCCEEDED(m_tuner->get_AudioFrequency(&value)))
        show_number(m_audioFrequency, value);
    LONG video = 0;
    LONG audio = 0;
    if (SUCCEEDED(m_tuner->get_Channel(&value, &video, &audio)))
        show_number(m_channel, value);
    LONG input = 0;
    LONG inputs = 0;
    if (SUCCEEDED(m_tuner->get_ConnectInput(&input)) && SUCCEEDED(m_tuner->get_NumInputConnections(&inputs))) {
        char text[48];
        std::snprintf(text, sizeof text, "%ld of %ld", static_cast<long>(input + 1), static_cast<long>(inputs));
        m_input->SetText(text);
    }
    if (SUCCEEDED(m_tuner->get_CountryCode(&value)))
        show_number(m_country, value);
    TunerInputType type = TunerInputCable;
    if (SUCCEEDED(m_tuner->get_InputType(input, &type)))
        m_inputType->SetText(type == TunerInputCable ? "cable" : type == TunerInputAntenna ? "antenna" : "unknown");
    if (SUCCEEDED(m_tuner->get_TVFormat(&value)))
        m_format->SetText(TvFormatName(value));
    m_device->SetText(m_deviceName);
}
