#pragma once

// VideoFile: the player of one recorded or opened media file inside the owner window. It builds
// a graph for the file, shows the picture as a child of the owner, and posts WM_GRAPHNOTIFY to
// the owner for the graph's events, which the owner hands back to HandleGraphEvents (the end of
// the file stops the player). It offers run, stop, position and seek in whole seconds, rate,
// volume and mute, the file's size and base name, and a few text tags from the file's head.
//
// Construction never throws and shows nothing: a missing file or graph leaves IsOk false with
// the reason in GetErrorText; a file that plays only in part leaves IsOk true with a warning
// there. Operations whose graph interface is missing answer false or -1, or do nothing; volume
// and mute without an audio control show "no audio control".
//
//     VideoFile* player = new VideoFile(path, window, Settings.WaveOutDriver, muted, volume);
//     if (!player->IsOk()) { show player->GetErrorText(); delete player; }
//     else player->Run();

#include <base/Types.h>
#include <user/Messages.h>

struct IBaseFilter;
struct IBasicAudio;
struct IGraphBuilder;
struct IMediaControl;
struct IMediaEventEx;
struct IMediaPosition;
struct IVideoWindow;

// The graph's event notification, posted to the owner.
constexpr UINT WM_GRAPHNOTIFY = WM_USER + 137;

class VideoFile {
public:
    // `audio_device` names the sound device by part of its friendly name; none, "", "<default>"
    // or "-1" leave the choice to the graph. `volume` is 0..100.
    VideoFile(const char* path, HWND owner, const char* audio_device, bool mute, int volume);
    virtual ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    // The file was rendered, fully or with a warning.
    bool IsOk() const { return m_ready; }
    // Empty, or why the file cannot play (not ok) or plays only in part (ok).
    const char* GetErrorText() const { return m_errorText; }

    bool Run();
    bool Stop();
    bool IsRunning();
    // Called by the owner on WM_GRAPHNOTIFY: takes the queued events; the end of the file stops
    // the player. Answers 0.
    LRESULT HandleGraphEvents(WPARAM wparam, LPARAM lparam);
    // The picture to the owner's client area.
    void FitWindow();

    // Whole seconds; -1 when unknown.
    int GetPosition();
    int GetDuration();
    bool SetPosition(unsigned seconds);
    // 1.0 normal, 0.5 slow motion.
    bool SetRate(double rate);
    // 0..100 (levels outside are taken as the nearest end); applied unless muted.
    void SetVolume(int volume);
    void SetMute(bool on);

    // The file's size in bytes; -1 when it is not found.
    double GetFileSize() const;
    // The file's full path, as given.
    const char* GetPath() const { return m_path; }
    // The text after the path's last backslash, copied to `out`, which is returned.
    char* GetBaseName(char* out) const;
    // The tag "orbivane", "copyright" or "Recorded by" (any case) from the file's head.
    bool GetTag(const char* name, int size, char* out) const;
    // 4 for a base name of 4 characters or more, plus 8 when it ends in ".avi" or ".wmv" (any
    // case); 0 for shorter names.
    int IsPlayableExtension() const;

    const char* GetAudioRendererName() const { return m_audioRendererName; }

private:
    bool SetAudioRenderer(const char* name);
    LONG VolumeLevel() const;
    void ReportNoAudioControl() const;

    HWND m_owner;
    char m_path[260] {};
    char m_errorText[260] {};
    bool m_muted = false;
    int m_volume = 0;
    bool m_playing = false;
    char m_audioRendererName[260] {};
    double m_rate = 1.0;
    bool m_ready = false;
    IGraphBuilder* m_graph = nullptr;
    IMediaControl* m_control = nullptr;
    IMediaEventEx* m_events = nullptr;
    IVideoWindow* m_videoWindow = nullptr;
    IMediaPosition* m_position = nullptr;
    IBasicAudio* m_audio = nullptr;
    IBaseFilter* m_audioRenderer = nullptr;
};
