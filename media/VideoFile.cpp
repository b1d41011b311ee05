#include "media/VideoFile.h"

#include "media/FileTag.h"

#include <base/Clock.h>
#include <base/Files.h>
#include <base/Text.h>
#include <base/Threads.h>
#include <com/Apartment.h>
#include <com/ClassRegistry.h>
#include <com/Variant.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/EventInterfaces.h>
#include <dshow/FilterGraph.h>
#include <dshow/SeekingInterfaces.h>
#include <dshow/VfwErrors.h>
#include <mm/Mmio.h>
#include <user/MessageBox.h>
#include <user/Window.h>

#include <algorithm>
#include <cstring>

namespace {

const char* const PlayerAdvice = "Make sure you have installed the latest Windows Media Player (v7.0 or greater) from Microsoft.";

template<typename Interface>
void ReleaseInterface(Interface*& pointer)
{
    if (pointer)
        pointer->Release();
    pointer = nullptr;
}

template<typename Interface>
Interface* QueryFrom(IUnknown* object, REFIID iid)
{
    Interface* out = nullptr;
    if (object && FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&out))))
        out = nullptr;
    return out;
}

bool IsDefaultDevice(const char* name) { return !name || !*name || lstrcmpiA(name, "<default>") == 0 || lstrcmpiA(name, "-1") == 0; }

}

VideoFile::VideoFile(const char* path, HWND owner, const char* audio_device, bool mute, int volume)
    : m_owner(owner)
{
    base::copy_bounded(m_path, sizeof m_path, path ? path : "");
    base::copy_bounded(m_audioRendererName, sizeof m_audioRendererName, audio_device ? audio_device : "");

    if (!mmioOpenA(m_path, nullptr, MMIO_EXIST)) {
        base::copy_bounded(m_errorText, sizeof m_errorText, "File does not exist.");
        return;
    }
    WCHAR widePath[260] {};
    MultiByteToWideChar(CP_ACP, 0, m_path, -1, widePath, 260);
    widePath[259] = 0;

    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&m_graph)))) {
        m_graph = nullptr;
        base::copy_bounded(m_errorText, sizeof m_errorText, "Install DirectMedia");
        return;
    }
    m_control = QueryFrom<IMediaControl>(m_graph, IID_IMediaControl);
    m_events = QueryFrom<IMediaEventEx>(m_graph, IID_IMediaEventEx);
    m_videoWindow = QueryFrom<IVideoWindow>(m_graph, IID_IVideoWindow);
    m_position = QueryFrom<IMediaPosition>(m_graph, IID_IMediaPosition);

    SetAudioRenderer(m_audioRendererName);

    HRESULT hr = m_graph->RenderFile(widePath, nullptr);
    m_ready = true;
    std::string text;
    if (hr == VFW_S_AUDIO_NOT_RENDERED)
        text = "Cannot play back the audio stream: could not find a suitable renderer.";
    else if (hr == VFW_S_PARTIAL_RENDER)
        text = std::string("Some of the streams in this movie are in an unsupported format.\n") + PlayerAdvice;
    else if (hr == VFW_S_VIDEO_NOT_RENDERED)
        text = std::string("Cannot play back the video stream: could not find a suitable renderer.\n") + PlayerAdvice;
    else if (hr != S_OK) {
        text = std::string("Could not render as a multimedia file.\nOne possible reason:\n") + PlayerAdvice;
        m_ready = false;
    }
    base::copy_bounded(m_errorText, sizeof m_errorText, text);

    if (m_videoWindow) {
        RECT client {};
        GetClientRect(m_owner, &client);
        m_videoWindow->put_Visible(OAFALSE);
        m_videoWindow->put_Owner(reinterpret_cast<OAHWND>(m_owner));
        m_videoWindow->put_WindowStyle(static_cast<LONG>(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
        if (m_events)
            m_events->SetNotifyWindow(reinterpret_cast<OAHWND>(m_owner), WM_GRAPHNOTIFY, 0);
        m_videoWindow->SetWindowPosition(client.left, client.top, client.right, client.bottom);
        m_videoWindow->put_Visible(OATRUE);
    }
    m_audio = QueryFrom<IBasicAudio>(m_graph, IID_IBasicAudio);
    if (mute)
        SetMute(true);
    SetVolume(volume);
}

VideoFile::~VideoFile()
{
    if (m_control) {
        m_control->Stop();
        ReleaseInterface(m_control);
    }
    if (m_videoWindow) {
        m_videoWindow->put_Visible(OAFALSE);
        Sleep(60);
        m_videoWindow->put_Owner(0);
        ReleaseInterface(m_videoWindow);
    }
    ReleaseInterface(m_events);
    ReleaseInterface(m_position);
    ReleaseInterface(m_graph);
    ReleaseInterface(m_audio);
    ReleaseInterface(m_audioRenderer);
}

bool VideoFile::SetAudioRenderer(const char* name)
{
    if (m_audioRenderer) {
        if (m_graph)
            m_graph->RemoveFilter(m_audioRenderer);
        ReleaseInterface(m_audioRenderer);
    }
    if (IsDefaultDevice(name))
        return true;
    std::string wanted = name;
    ICreateDevEnum* devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, reinterpret_cast<void**>(&devices))))
        return false;
    IEnumMoniker* monikers = nullptr;
    HRESULT hr = devices->CreateClassEnumerator(CLSID_AudioRendererCategory, &monikers, 0);
    devices->Release();
    if (hr != S_OK || !monikers)
        return false;
    bool found = false;
    IMoniker* moniker = nullptr;
    while (!found && monikers->Next(1, &moniker, nullptr) == S_OK) {
        IPropertyBag* bag = nullptr;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))) && bag) {
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_BSTR;
            value.bstrVal = nullptr;
            if (SUCCEEDED(bag->Read(u"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal) {
                char friendly[260] {};
                WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, friendly, sizeof friendly, nullptr, nullptr);
                friendly[sizeof friendly - 1] = 0;
                if (std::strstr(friendly, wanted.c_str())
                    && SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&m_audioRenderer)))
                    && m_audioRenderer) {
                    base::copy_bounded(m_audioRendererName, sizeof m_audioRendererName, friendly);
                    if (m_graph)
                        m_graph->AddFilter(m_audioRenderer, u"audioDev");
                    found = true;
                }
            }
            VariantClear(&value);
            bag->Release();
        }
        moniker->Release();
    }
    monikers->Release();
    return found;
}

LRESULT VideoFile::HandleGraphEvents(WPARAM, LPARAM)
{
    if (!m_events)
        return 0;
    LONG code = 0;
    LONG_PTR param1 = 0, param2 = 0;
    while (SUCCEEDED(m_events->GetEvent(&code, &param1, &param2, 0))) {
        if (code == EC_COMPLETE) {
            Stop();
            m_events->FreeEventParams(code, param1, param2);
            return 0;
        }
        m_events->FreeEventParams(code, param1, param2);
    }
    return 0;
}

bool VideoFile::Run()
{
    if (!m_control)
        return false;
    m_control->Run();
    m_playing = true;
    return true;
}

bool VideoFile::Stop()
{
    m_playing = false;
    if (m_control)
        m_control->Stop();
    return true;
}

bool VideoFile::IsRunning()
{
    if (!m_control)
        return false;
    OAFilterState state = State_Stopped;
    HRESULT hr = m_control->GetState(10, &state);
    if (hr == VFW_S_STATE_INTERMEDIATE || FAILED(hr))
        return m_playing;
    return state == State_Running;
}

void VideoFile::FitWindow()
{
    if (!m_videoWindow)
        return;
    RECT client {};
    GetClientRect(m_owner, &client);
    m_videoWindow->SetWindowPosition(client.left, client.top, client.right, client.bottom);
}

int VideoFile::GetPosition()
{
    REFTIME seconds = 0;
    if (!m_position || FAILED(m_position->get_CurrentPosition(&seconds)))
        return -1;
    return static_cast<int>(seconds);
}

int VideoFile::GetDuration()
{
    REFTIME seconds = 0;
    if (!m_position || FAILED(m_position->get_Duration(&seconds)))
        return -1;
    return static_cast<int>(seconds);
}

bool VideoFile::SetPosition(unsigned seconds)
{
    if (!m_position)
        return false;
    return SUCCEEDED(m_position->put_CurrentPosition(static_cast<REFTIME>(seconds)));
}

bool VideoFile::SetRate(double rate)
{
    m_rate = rate;
    IMediaSeeking* seeking = QueryFrom<IMediaSeeking>(m_graph, IID_IMediaSeeking);
    if (!seeking)
        return false;
    bool done = SUCCEEDED(seeking->SetRate(rate));
    seeking->Release();
    return done;
}

LONG VideoFile::VolumeLevel() const { return m_volume * 10000 / 100 - 10000; }

void VideoFile::ReportNoAudioControl() const { MessageBoxA(nullptr, "no audio control", "oops", MB_OK); }

void VideoFile::SetVolume(int volume)
{
    // put_Volume refuses levels above full and below silence.
    m_volume = std::clamp(volume, 0, 100);
    if (!m_audio) {
        ReportNoAudioControl();
        return;
    }
    if (!m_muted)
        m_audio->put_Volume(VolumeLevel());
}

void VideoFile::SetMute(bool on)
{
    if (on == m_muted)
        return;
    m_muted = on;
    if (!m_audio) {
        ReportNoAudioControl();
        return;
    }
    m_audio->put_Volume(on ? -10000 : VolumeLevel());
}

double VideoFile::GetFileSize() const
{
    // A name never holds wildcards: a pattern would find another file.
    if (std::strpbrk(m_path, "*?"))
        return -1.0;
    WIN32_FIND_DATAA data {};
    HANDLE find = FindFirstFileA(m_path, &data);
    if (find == INVALID_HANDLE_VALUE)
        return -1.0;
    FindClose(find);
    return static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + static_cast<double>(data.nFileSizeLow);
}

char* VideoFile::GetBaseName(char* out) const
{
    const char* slash = std::strrchr(m_path, '\\');
    std::strcpy(out, slash ? slash + 1 : m_path);
    return out;
}

bool VideoFile::GetTag(const char* name, int size, char* out) const
{
    return FindRecordingTag(m_path, name, size, out);
}

int VideoFile::IsPlayableExtension() const
{
    char name[260];
    GetBaseName(name);
    std::size_t length = std::strlen(name);
    if (length < 4)
        return 0;
    const char* extension = name + length - 4;
    return 4 + ((lstrcmpiA(extension, ".avi") == 0 || lstrcmpiA(extension, ".wmv") == 0) ? 8 : 0);
}
