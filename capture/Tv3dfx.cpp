// The 3dfx 3500TV card: its capture device has no tuner or crossbar of its own; they sit on the
// companion device, which the engine adds to its graph.

#include <capture/SampleCaptureGraphBuilder.h>
#include <capture/Tv.h>

#include <base/Text.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/PinCategory.h>

namespace {

constexpr const char* k3dfxName = "3dfx 3500TV VPX Video Capture(VFW)";
constexpr const char* kCompanionName = "3dfx Voodoo3TV Capture";

}

bool STv::Find3dfxCompanion()
{
    if (!m_captureFilter || !m_graph || !m_builder || m_tuner || !base::starts_with_ignoring_case(m_deviceName, k3dfxName))
        return false;
    CComPtr<IEnumMoniker> monikers;
    monikers.Attach(EnumerateDevices(CLSID_VideoInputDeviceCategory));
    if (!monikers)
        return false;
    DropCompanionFilter();
    for (;;) {
        CComPtr<IMoniker> moniker;
        if (monikers->Next(1, &moniker, nullptr) != S_OK)
            break;
        char name[80];
        ReadFriendlyName(moniker, name, sizeof name);
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&m_companionFilter));
        moniker = nullptr;
        if (m_companionFilter && lstrcmpiA(name, kCompanionName) == 0)
            break;
        m_companionFilter = nullptr;
    }
    if (!m_companionFilter)
        return false;

    m_graph->AddFilter(m_companionFilter, nullptr);
    BuilderSetFiltergraph();
    m_builder->FindInterface(&PIN_CATEGORY_CAPTURE, m_companionFilter, IID_IAMTVTunerAlt, reinterpret_cast<void**>(&m_tuner));
    if (!m_tuner)
        m_builder->FindInterface(nullptr, m_companionFilter, IID_IAMTVTunerAlt, reinterpret_cast<void**>(&m_tuner));
    CComPtr<IAMCrossbar> crossbar;
    m_builder->FindInterface(&PIN_CATEGORY_CAPTURE, m_companionFilter, IID_IAMCrossbar, reinterpret_cast<void**>(&crossbar));
    if (!crossbar)
        m_builder->FindInterface(nullptr, m_companionFilter, IID_IAMCrossbar, reinterpret_cast<void**>(&crossbar));
    if (crossbar)
        m_crossbar = crossbar;
    BuilderSetFiltergraph();
    return true;
}

void STv::DropCompanionFilter()
{
    if (!m_companionFilter)
        return;
    if (m_graph)
        m_graph->RemoveFilter(m_companionFilter);
    m_companionFilter = nullptr;
}
