#include <media/WMFileIn.h>

#include <base/Clock.h>
#include <base/Modules.h>
#include <base/Text.h>
#include <com/Apartment.h>
#include <com/ClassRegistry.h>
#include <com/ErrorInfo.h>
#include <user/Messages.h>

#include <cstring>
#include <string>

namespace {

constexpr std::size_t kTextUnits = 260;
constexpr std::size_t kValueUnits = 129;

// Text for the encoder: UTF-16, cut to `capacity` units with the terminator, never unterminated.
std::u16string ToWide(const char* text, std::size_t capacity = kTextUnits)
{
    WCHAR buffer[kTextUnits];
    base::copy_bounded(buffer, std::min(capacity, kTextUnits), base::to_utf16(text ? text : ""));
    return buffer;
}

// A BSTR of ToWide's text; the caller frees it.
BSTR ToBstr(const char* text, std::size_t capacity = kTextUnits) { return SysAllocString(ToWide(text, capacity).c_str()); }

template<typename T>
void ReleaseAndClear(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

void Wait(DWORD ms)
{
    WMFileIn::PumpMessages();
    Sleep(ms);
}

}

WMFileIn::WMFileIn(const char* path, INT mediaFlags, const char* videoDevice, const char* audioDevice, const char* profileName, HWND previewWindow)
    : SMediaIn(path)
    , m_mediaFlags(mediaFlags)
    , m_previewWindow(previewWindow)
{
    if (m_mediaFlags == -1)
        m_mediaFlags = std::strstr(GetPath(), ".wma") ? 5 : 15;
    if (!IsUsable())
        return;

    HRESULT hr = CoInitialize(nullptr);
    m_comInitialized = SUCCEEDED(hr);
    hr = CoCreateInstance(CLSID_WMEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncoder, reinterpret_cast<void**>(&m_encoder));
    if (FAILED(hr))
        ReportError("Cannot access WindowsMedia Encoder.\nPlease make sure it is installed.", hr);
    if (!m_encoder)
        return;

    if (FAILED(m_encoder->get_SourceGroupCollection(&m_sourceGroups)) || !m_sourceGroups)
        return;
    if (FAILED(m_sourceGroups->Add(ToWide("SG_1").c_str(), &m_mainGroup)) || !m_mainGroup)
        return;
    hr = m_sourceGroups->put_Active(m_mainGroup);
    if (hr != S_OK)
        ReportError("cannot set active source group", hr);

    if (HasVideo() && (FAILED(m_mainGroup->AddSource(WMENC_VIDEO, &m_videoSource)) || !m_videoSource))
        return;
    if (FAILED(m_mainGroup->AddSource(WMENC_AUDIO, &m_audioSource)) || !m_audioSource)
        return;
    if (HasVideo() && FAILED(m_videoSource->QueryInterface(IID_IWMEncVideoSource, reinterpret_cast<void**>(&m_videoInterface))))
        return;

    std::string videoInput = std::string("DEVICE://") + (videoDevice && *videoDevice ? videoDevice : "Default_Video_Device");
    if (HasVideo() && m_videoInterface) {
        hr = m_videoInterface->SetInput(ToWide(videoInput.c_str()).c_str(), u"", u"");
        if (hr != S_OK) {
            ReportError("Cannot set this video input for Media Encoder", hr);
            return;
        }
    }
    bool defaultAudio = !audioDevice || !*audioDevice || lstrcmpiA(audioDevice, "<Default>") == 0;
    std::string audioInput = std::string("DEVICE://") + (defaultAudio ? "Default_Audio_Device" : audioDevice);
    if (m_audioSource->SetInput(ToWide(audioInput.c_str()).c_str(), u"", u"") != S_OK)
        return;

    const char* wanted = profileName && *profileName ? profileName
        : HasVideo()                                 ? "Video for single-channel ISDN (64 Kbps)"
                                                     : "Audio for FM radio quality for dial-up modems (28.8 Kbps stereo)";
    LONG count = 0;
    if (FAILED(m_encoder->get_ProfileCollection(&m_profiles)) || !m_profiles || FAILED(m_profiles->get_Count(&count)))
        return;
    for (LONG i = 0; i < count; ++i) {
        // Items that do not match are released at once.
        ReleaseAndClear(m_profile);
        if (FAILED(m_profiles->Item(i, &m_profile)) || !m_profile)
            continue;
        BSTR name = nullptr;
        m_profile->get_Name(&name);
        bool same = base::equals_ignoring_case(base::to_utf8(name ? name : u""), wanted);
        SysFreeString(name);
        if (!same)
            continue;
        VARIANT profile;
        VariantInit(&profile);
        profile.vt = VT_DISPATCH;
        profile.pdispVal = m_profile;
        if (m_mainGroup->put_Profile(profile) != S_OK)
            return;
        break;
    }
    if (m_profile) {
        BSTR name = nullptr;
        m_profile->get_Name(&name);
        bool kept = base::equals_ignoring_case(base::to_utf8(name ? name : u""), wanted);
        SysFreeString(name);
        if (!kept)
            ReleaseAndClear(m_profile);
    }

    m_encoder->get_DisplayInfo(&m_displayInfo);
    m_encoder->get_Attributes(&m_attributes);
    m_encoder->get_File(&m_outputFile);
    if (m_outputFile)
        m_outputFile->put_LocalFileName(ToWide(*GetPath() ? GetPath() : "default.wmv").c_str());
}

WMFileIn::~WMFileIn()
{
    m_stopping = true;
    if (m_encoder)
        m_encoder->Stop();
    ReleaseAndClear(m_outputFile);
    ReleaseAndClear(m_mainGroup);
    ReleaseAndClear(m_sourceGroups);
    ReleaseAndClear(m_audioSource);
    ReleaseAndClear(m_videoSource);
    ReleaseAndClear(m_videoInterface);
    ReleaseAndClear(m_profile);
    ReleaseAndClear(m_profiles);
    ReleaseAndClear(m_displayInfo);
    ReleaseAndClear(m_attributes);
    ReleaseAndClear(m_previewView);
    ReleaseAndClear(m_previewCollection);
    ReleaseAndClear(m_statistics);
    ReleaseAndClear(m_encoder);

    bool freed = false;
    for (int i = 0; i < 3; ++i) {
        if (HMODULE module = GetModuleHandleA("btvid_32.dll")) {
            FreeLibrary(module);
            freed = true;
        }
    }
    if (freed) {
        for (int i = 0; i < 30; ++i)
            Wait(100);
    }
    if (m_comInitialized)
        CoUninitialize();
}

void WMFileIn::PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is ending (closed while this waited): the message loop must see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void WMFileIn::ReportEncoderError(const char* suffix, HRESULT code)
{
    std::string text;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        BSTR description = nullptr;
        info->GetDescription(&description);
        char ansi[260];
        base::copy_bounded(ansi, sizeof ansi, base::to_utf8(description ? description : u""));
        text = ansi;
        SysFreeString(description);
        info->Release();
    }
    text += suffix;
    ReportError(text.c_str(), code);
}

bool WMFileIn::Start()
{
    if (!m_encoder)
        return false;
    bool preview = m_previewWindow && HasVideo();
    if (preview) {
        // A view of an earlier Start stays in the collection, which releases it.
        ReleaseAndClear(m_previewView);
        CoCreateInstance(CLSID_WMEncPreview, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncDataView, reinterpret_cast<void**>(&m_previewView));
        if (m_videoInterface && !m_previewCollection)
            m_videoInterface->get_PreviewCollection(&m_previewCollection);
        m_previewCookie = -1;
        // A view that could not be made is not added.
        if (m_previewCollection && m_previewView) {
            LONG cookie = -1;
            m_previewCollection->Add(m_previewView, &cookie);
            m_previewCookie = cookie;
        }
    }

    HRESULT hr = m_encoder->put_EnableAutoArchive(VARIANT_FALSE);
    if (hr != S_OK)
        ReportError("Enableautoarchive", hr);
    if ((hr = m_encoder->put_AutoStop(VARIANT_FALSE)) != S_OK)
        ReportError("Autostop", hr);
    if ((hr = m_encoder->put_AutoIndex(VARIANT_TRUE)) != S_OK)
        ReportError("Cannot make encoder autoindex", hr);
    if ((hr = m_encoder->put_RemoteAdmin(VARIANT_TRUE)) != S_OK)
        ReportError("Remoteadmin", hr);

    hr = m_encoder->PrepareToEncode(VARIANT_TRUE);
    if (hr != S_OK) {
        ReportEncoderError("\nwmfilein record preparetoencode", hr);
        return false;
    }
    if ((hr = m_encoder->put_AutoIndex(VARIANT_TRUE)) != S_OK)
        ReportError("Cannot make encoder autoindex.", hr);
    if (preview && m_previewView)
        m_previewView->SetViewProperties(m_previewCookie, sizeof m_previewWindow, reinterpret_cast<BYTE*>(&m_previewWindow));
    if (!m_statistics)
        m_encoder->get_Statistics(&m_statistics);

    hr = m_encoder->Start();
    if (hr != S_OK) {
        // Not recording: the encoding flag stays clear and Start reports the failure.
        ReportEncoderError("\nwmfilein record start", hr);
        return false;
    }
    m_encoding = 1;
    hr = m_encoder->Archive(WMENC_ARCHIVE_LOCAL, WMENC_ARCHIVE_START);
    if (hr != S_OK)
        ReportError("start archive", hr);
    bool archiving = hr == S_OK;
    if (preview && m_previewView)
        m_previewView->StartView(m_previewCookie);
    return archiving;
}

bool WMFileIn::Stop()
{
    if (!m_encoder || m_stopping)
        return false;
    m_stopping = true;
    if (m_previewView) {
        m_previewView->StopView(m_previewCookie);
        ReleaseAndClear(m_previewView);
    }
    HRESULT hr = m_encoder->Stop();
    if (hr != S_OK)
        ReportError("Problem stopping encoder", hr);
    bool stopped = hr == S_OK;
    m_encoding = 0;
    m_fullScreenRenderer = nullptr;

    for (int i = 0; i < 5; ++i)
        Wait(50);
    LONG state = 0;
    for (int i = 0; i < 60; ++i) {
        if (FAILED(m_encoder->get_RunState(&state)) || state == WMENC_ENCODER_STOPPED)
            break;
        Wait(10);
    }
    for (LONG wanted : { WMENC_INDEXER_RUNNING, WMENC_INDEXER_FINISHED }) {
        for (int i = 0; i < 60; ++i) {
            if (FAILED(m_encoder->get_IndexerState(&state)) || state == wanted)
                break;
            Wait(10);
        }
    }
    ReleaseAndClear(m_outputFile);
    if (m_statistics) {
        for (int i = 0; i < 60; ++i) {
            IWMEncIndexerStats* indexer = GetIndexerStatistics();
            if (!indexer)
                continue;
            LONG files = 0;
            LONG percent = 0;
            indexer->get_FileCount(&files);
            indexer->get_PercentComplete(&percent);
            indexer->Release();
            Wait(10);
        }
    }
    bool removed = true;
    if (m_mainGroup) {
        const std::pair<LONG, const char*> kinds[] = { { WMENC_VIDEO, "Problem removing video source" }, { WMENC_AUDIO, "Problem removing audio source" } };
        for (const auto& [type, message] : kinds) {
            SHORT count = 0;
            hr = m_mainGroup->get_SourceCount(type, &count);
            if (hr == S_OK && count >= 1) {
                VARIANT index;
                VariantInit(&index);
                index.vt = VT_I2;
                index.iVal = 0;
                hr = m_mainGroup->RemoveSource(type, index);
            }
            if (hr != S_OK) {
                ReportError(message, hr);
                removed = false;
            }
        }
        ReleaseAndClear(m_mainGroup);
    }
    m_stopping = false;
    return stopped && removed;
}

IWMEncIndexerStats* WMFileIn::GetIndexerStatistics()
{
    IDispatch* stats = nullptr;
    IWMEncIndexerStats* indexer = nullptr;
    if (m_statistics && SUCCEEDED(m_statistics->get_IndexerStats(&stats)) && stats)
        stats->QueryInterface(IID_IWMEncIndexerStats, reinterpret_cast<void**>(&indexer));
    ReleaseAndClear(stats);
    return indexer;
}

bool WMFileIn::ReadArchiveStatistic(bool size, LONG& value)
{
    IDispatch* stats = nullptr;
    IWMEncFileArchiveStats* archive = nullptr;
    if (m_statistics && SUCCEEDED(m_statistics->get_FileArchiveStats(&stats)) && stats)
        stats->QueryInterface(IID_IWMEncFileArchiveStats, reinterpret_cast<void**>(&archive));
    ReleaseAndClear(stats);
    bool read = archive && (size ? archive->get_FileSize(&value) : archive->get_FileDuration(&value)) == S_OK;
    ReleaseAndClear(archive);
    return read;
}

LONG WMFileIn::GetFileSize()
{
    LONG bytes = 0;
    return ReadArchiveStatistic(true, bytes) ? bytes : -1;
}

LONG WMFileIn::GetElapsed()
{
    LONG ms = 0;
    return ReadArchiveStatistic(false, ms) ? ms / 1000 : -1;
}

HWND WMFileIn::FindRenderer(HWND parent)
{
    HWND found = FindWindowExA(parent, nullptr, "VideoRenderer", "ActiveMovie Window");
    return found ? found : FindWindowExA(parent, nullptr, "VideoRenderer", nullptr);
}

void WMFileIn::FitPreview()
{
    if (!m_previewWindow || !HasVideo())
        return;
    HWND renderer = FindRenderer(m_previewWindow);
    if (!renderer)
        return;
    RECT client {};
    GetClientRect(m_previewWindow, &client);
    MoveWindow(renderer, 0, 0, client.right - client.left, client.bottom - client.top, FALSE);
}

void WMFileIn::SetFullScreen(bool on)
{
    bool previous = m_fullScreen != 0;
    m_fullScreen = on ? 1 : 0;
    if (!m_previewView)
        return;
    // Back from full screen, the window taken there is used, not any top-level renderer.
    HWND renderer = previous ? (IsWindow(m_fullScreenRenderer) ? m_fullScreenRenderer : nullptr) : FindRenderer(m_previewWindow);
    if (!renderer)
        return;
    if (on) {
        m_fullScreenRenderer = renderer;
        SetWindowLongA(renderer, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_MAXIMIZE));
        SetParent(renderer, nullptr);
        ShowWindow(renderer, SW_MAXIMIZE);
        SetWindowPos(renderer, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    } else {
        m_fullScreenRenderer = nullptr;
        SetWindowLongA(renderer, GWL_STYLE, static_cast<LONG>(WS_CHILD | WS_VISIBLE));
        SetParent(renderer, m_previewWindow);
        ShowWindow(renderer, SW_SHOWNORMAL);
        FitPreview();
    }
}

void WMFileIn::ShowPreview(bool on)
{
    if (!m_previewView)
        return;
    if (on)
        m_previewView->StartView(m_previewCookie);
    else
        m_previewView->StopView(m_previewCookie);
    // Full screen is restored when the preview comes back; restoring it on the way off would
    // show the window again.
    if (on && m_fullScreen)
        SetFullScreen(true);
}

bool WMFileIn::SetAttribute(const char* name, const char* value)
{
    if (!m_displayInfo || !name || !*name || !value || !*value)
        return false;
    struct Display {
        const char* name;
        char* field;
        HRESULT (STDMETHODCALLTYPE IWMEncDisplayInfo::*put)(BSTR);
    };
    const Display fields[] = {
        { "Author", m_author, &IWMEncDisplayInfo::put_Author },
        { "copyright", m_copyright, &IWMEncDisplayInfo::put_Copyright },
        { "description", m_description, &IWMEncDisplayInfo::put_Description },
        { "rating", m_rating, &IWMEncDisplayInfo::put_Rating },
        { "title", m_title, &IWMEncDisplayInfo::put_Title },
    };
    for (const Display& d : fields) {
        if (lstrcmpiA(name, d.name) != 0)
            continue;
        base::copy_bounded(d.field, 260, value);
        BSTR text = ToBstr(value);
        (m_displayInfo->*d.put)(text);
        SysFreeString(text);
        return true;
    }
    if (!m_attributes)
        return false;
    BSTR key = ToBstr(name);
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ToBstr(value, kValueUnits);
    HRESULT hr = m_attributes->Add(key, text);
    VariantClear(&text);
    SysFreeString(key);
    return hr == S_OK;
}

bool WMFileIn::GetAttribute(const char* name, char* buffer)
{
    if (!name || !buffer)
        return false;
    const std::pair<const char*, const char*> fields[] = {
        { "Author", m_author }, { "Copyright", m_copyright }, { "Rating", m_rating }, { "Description", m_description }, { "Title", m_title }
    };
    for (const auto& [field, text] : fields) {
        if (lstrcmpiA(name, field) != 0)
            continue;
        if (!*text)
            return false;
        base::copy_bounded(buffer, 260, text);
        return true;
    }
    return false;
}

bool WMFileIn::GetStatusText(char* buffer)
{
    if (!buffer)
        return false;
    if (m_encoding) {
        lstrcpyA(buffer, "recording");
        return true;
    }
    if (!m_encoder || !m_statistics)
        return false;
    IWMEncIndexerStats* indexer = GetIndexerStatistics();
    if (!indexer)
        return false;
    LONG files = 0;
    LONG percent = 0;
    indexer->get_FileCount(&files);
    if (files == 0) {
        buffer[0] = 0;
    } else {
        indexer->get_PercentComplete(&percent);
        wsprintfA(buffer, "index %d%%", static_cast<int>(percent));
    }
    indexer->Release();
    return true;
}
