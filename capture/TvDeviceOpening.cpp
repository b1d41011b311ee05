// Opening the capture device: finding it by name (or by the default rule), binding it, finding
// its interfaces and routing its crossbar's audio; and putting the tuner into a known state.

#include <capture/Tv.h>

#include <base/Clock.h>
#include <base/Text.h>
#include <com/Variant.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/PinCategory.h>
#include <user/MessageBox.h>

#include <string>

namespace {

constexpr const char* k3dfxName = "3dfx 3500TV VPX Video Capture(VFW)";
constexpr int kBindRetries = 7;

}

bool STv::ReadFriendlyName(IMoniker* moniker, char* name, std::size_t capacity)
{
    name[0] = 0;
    CComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))) || !bag)
        return false;
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = nullptr;
    bool read = SUCCEEDED(bag->Read(u"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal;
    if (read)
        WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, name, static_cast<int>(capacity), nullptr, nullptr);
    VariantClear(&value);
    // An overlong name fills the buffer without a terminator.
    name[capacity - 1] = 0;
    return read;
}

IEnumMoniker* STv::EnumerateDevices(REFCLSID category)
{
    CComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
            reinterpret_cast<void**>(&devices))))
        return nullptr;
    IEnumMoniker* monikers = nullptr;
    if (devices->CreateClassEnumerator(category, &monikers, 0) != S_OK && monikers) {
        monikers->Release();
        monikers = nullptr;
    }
    return monikers;
}

void STv::DropDevice()
{
    DropCompanionFilter();
    m_crossbar = nullptr;
    m_tuner = nullptr;
    DeleteTunerPageControl();
    if (m_captureFilter) {
        m_graph->RemoveFilter(m_captureFilter);
        m_captureFilter = nullptr;
    }
    m_videoCompression = nullptr;
    m_mediaControl = nullptr;
    DeleteBuilder();
}

bool STv::STvFindTvFilter()
{
    if (!m_graph)
        return false;
    DropDevice();

    CComPtr<IEnumMoniker> monikers;
    monikers.Attach(EnumerateDevices(CLSID_VideoInputDeviceCategory));
    if (!monikers)
        return false;

    bool named = m_deviceName[0] != 0;
    monikers->Reset();
    for (;;) {
        CComPtr<IMoniker> moniker;
        if (monikers->Next(1, &moniker, nullptr) != S_OK)
            break;
        char readName[260];
        ReadFriendlyName(moniker, readName, sizeof readName);
        if (named && lstrcmpiA(m_deviceName, readName) != 0)
            continue;

        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&m_captureFilter));
        for (int retry = 0; !m_captureFilter && named && retry < kBindRetries; ++retry) {
            Sleep(1000);
            moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&m_captureFilter));
        }
        moniker = nullptr;
        if (!m_captureFilter) {
            if (named)
                break;
            continue;
        }

        // Without a working builder the device is given back at once, not left in use.
        if (!NewBuilder()) {
            m_captureFilter = nullptr;
            return false;
        }
        m_graph->AddFilter(m_captureFilter, nullptr);
        if (HRESULT hr = BuilderSetFiltergraph(); FAILED(hr)) {
            ErrorBox("Cannot transfer filter graph.  (STvFindTvFilter)", hr);
            DeleteBuilder();
            m_graph->RemoveFilter(m_captureFilter);
            m_captureFilter = nullptr;
            return false;
        }

        if (!m_videoCompression)
            BuilderFindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, IID_IAMVideoCompression,
                reinterpret_cast<void**>(&m_videoCompression));
        if (!m_videoCompression)
            BuilderFindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, IID_IAMVideoCompression,
                reinterpret_cast<void**>(&m_videoCompression));
        struct TunerLookup {
            const GUID* category;
            const GUID* type;
            const IID* iid;
        };
        static const TunerLookup lookups[] = {
            { &PIN_CATEGORY_CAPTURE, nullptr, &IID_IAMTVTuner },
            { nullptr, nullptr, &IID_IAMTVTuner },
            { &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, &IID_IAMTVTuner },
            { &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved, &IID_IAMTVTunerAlt },
            { nullptr, nullptr, &IID_IAMTVTunerAlt },
        };
        for (const auto& lookup : lookups) {
            if (m_tuner)
                break;
            BuilderFindInterface(lookup.category, lookup.type, *lookup.iid, reinterpret_cast<void**>(&m_tuner));
        }

        if (!named && m_tuner) {
            base::copy_bounded(m_deviceName, sizeof m_deviceName, readName);
            break;
        }
        if (!named && lstrcmpiA(readName, k3dfxName) == 0) {
            base::copy_bounded(m_deviceName, sizeof m_deviceName, readName);
            break;
        }
        if (lstrcmpiA(readName, m_deviceName) == 0)
            break;

        DeleteBuilder();
        m_graph->RemoveFilter(m_captureFilter);
        m_captureFilter = nullptr;
        m_tuner = nullptr;
        m_videoCompression = nullptr;
    }
    monikers = nullptr;

    if (!m_captureFilter) {
        // Built unbounded; the error box cuts it to its buffer.
        std::string text = std::string("Cannot access video capture device:\n   ") + m_deviceName
            + "\n\nMay already be used by other program,\nor device may be stuck.";
        ErrorBox(text.c_str(), 0);
        return false;
    }

    if (!m_mediaControl)
        m_graph.QueryInterface(&m_mediaControl);
    BuilderFindInterface(&PIN_CATEGORY_CAPTURE, nullptr, IID_IAMCrossbar, reinterpret_cast<void**>(&m_crossbar));
    if (!m_crossbar)
        BuilderFindInterface(nullptr, nullptr, IID_IAMCrossbar, reinterpret_cast<void**>(&m_crossbar));
    if (lstrcmpiA(m_deviceName, k3dfxName) == 0)
        Find3dfxCompanion();

    m_captureIsMpeg2 = BuilderIsMpeg2Capture() ? 1 : 0;

    if (m_crossbar) {
        HRESULT hr = RouteCrossbarAudio(m_lineIn != 0);
        if (hr == S_FALSE)
            return false;
        if (FAILED(hr)) {
            MessageBoxExA(nullptr, "can't route linein to audioOut", "Lunetto radio mute", MB_OK, 0);
            return false;
        }
    }

    if (!m_tuner)
        CreateTunerPageControl();
    if (m_debug)
        PublishGraph();
    return true;
}

void STv::SetupDevice()
{
    if (m_tuner) {
        for (LONG input = 0; input < 8; ++input) {
            m_tuner->put_ConnectInput(input);
            m_tuner->put_Mode(AMTUNER_MODE_TV);
        }
        m_tuner->put_Mode(AMTUNER_MODE_TV);
        m_tuner->put_Mode(AMTUNER_MODE_TV);
        m_tuner->put_InputType(0, TunerInputAntenna);
        m_tuner->put_Mode(AMTUNER_MODE_TV);
        m_tuner->put_InputType(1, TunerInputAntenna);
        m_tuner->put_Mode(AMTUNER_MODE_TV);
        m_tuner->put_InputType(2, TunerInputAntenna);
        m_tuner->put_Mode(AMTUNER_MODE_TV);
        m_tuner->put_Channel(2, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
        m_tuner->put_Mode(AMTUNER_MODE_TV);
        m_tuner->put_InputType(0, TunerInputAntenna);
    }

    if (base::starts_with_ignoring_case(m_deviceName, "Studio PCTV"))
        STvHkPCTV();

    bool lineIn = IsLineIn();
    RouteAudio(true);
    if (m_channel != -1)
        SetChannel(m_channel);
    if (!lineIn)
        RouteAudio(false);
}
