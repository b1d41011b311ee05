#pragma once

// TClient: the main frame's client window and the program's command centre. It owns the capture
// engine (the global `Tv`), the sound mixer and the player, answers the TV, channel, volume,
// playback, recording and screen-mode commands of the main menu, the control bars and the tray,
// and keeps the station text and channel display up to date.
//
// The application makes one TClient and gives it to the frame, which creates its window. Set-up
// starts timer 42, shows the saved channel and posts WM_DEFERREDSTART to itself; that message,
// handled once the frame is up, starts TV by the TvStart rule and applies the options.
//
//     auto* client = new TClient(nullptr);
//     auto* frame = new SDIDecFrame(..., client, ...);

#include <owl/OpenSaveDialog.h>
#include <owl/Window.h>

#include <base/Types.h>

#include <string>

class SBitmapToggle;
class SControlBar;
class SMixer;
class STv;
class VideoFile;
class VolumeSlider;

namespace OWL {
class TButtonGadget;
class THSlider;
class TTextGadget;
}

class TClient : virtual public OWL::TWindow {
public:
    explicit TClient(OWL::TWindow* parent);
    ~TClient() override;

    // TV with video, or off when video is shown (CM_TV, WM_TRAYTV).
    void CmTv();
    // TV with sound only, or off when it runs without video (CM_TVAUDIOONLY).
    void CmTvAudioOnly();
    // The core of TV on and off; `video` chooses picture and sound or sound only.
    void SetTvMode(bool on, bool video);
    // Makes (or drops) the mixer as ChangeMixer says; false when no mixer could be opened.
    bool CreateMixer();
    // Applies changed options: mixer, volume slider, a changed device, antenna, channel, country.
    void ApplyClientOptions();
    // Makes the engine (the global `Tv`) on the Tuner setting's device and remembers whether the
    // setting left the choice to the default rule.
    STv* MakeEngine(BYTE lineIn, const char* audioRendererName, const char* graphFilePath);
    // True when the Tuner setting names the running engine's device (in any case); an empty or
    // "<default>" Tuner names the device the default rule opened.
    bool TunerNamesEngine() const;
    // Gives the base window's answer; when the window may close, the control bars are removed.
    bool CanClose() override;

    // The frame's sizing rule (its WM_SIZING): keeps the picture 4:3, or the frame at its bars'
    // height while it is shrunk; always true.
    bool EvSizing(UINT edge, RECT* rect);
    // The frame's minimised state, at each of its WM_GETMINMAXINFO.
    void FrameMinimized(bool minimized);
    LONG GetScreenMode() const { return m_screenMode; }
    // Forgets the remembered frame height and minimised state (kept process-wide; for tests).
    static void ResetScreenState();

    // Remembers the channel and, unless the engine is recording, tunes and shows it.
    void SelectChannel(LONG channel, bool updateField);
    // The channel text (in the channel field when `updateField`) and the station's name.
    void ShowChannel(bool updateField);
    // The station of `channel`, or the one with the largest channel below it; -1 when none.
    int FindStationIndex(LONG channel) const;
    void CmChannelUp();
    void CmChannelDown();
    // Volume 0..100 to the player, the mixer and the engine; larger values are ignored.
    void SetVolume(unsigned position);
    void CmVolumeUp();
    void CmVolumeDown();
    void CmMute();

    // Records TV (`action` bits 1 record and 2 video) or its sound (bit 1 alone) under
    // `base` ("tv" when null or empty) with the File page's pattern, in the Windows Media (`kind`
    // 3) or AVI/WAV (0) format, keeping at most `keep` recordings of that name (-1 all). Timer
    // events start their recordings here with their own names.
    void StartRecording(const char* base, LONG action, LONG keep, LONG kind);
    // The next free name of `stem` (a strftime pattern) with `extension` in the recording folder,
    // into `out` (260 bytes), after deleting the oldest recordings of the stem beyond `keep` - 1.
    // False when every instance number is taken (nothing may be overwritten).
    bool MakeRecordFileName(const char* stem, const char* extension, char* out, LONG keep);
    // Deletes the oldest recordings of `stem` until `limit` remain (a negative limit keeps all);
    // false when a deletion failed.
    bool PruneRecordings(const char* stem, const char* extension, LONG limit);
    // The recordings of `stem` in the recording folder, and the oldest by creation time into `out`.
    int FindOldestRecording(const char* stem, const char* extension, char* out);

    // Whether the radio program lets TV take the tuner (true when nobody else uses it).
    bool CheckTunerOwner();
    // The radio program asks for the card of `family`: TV goes off unless it is recording or a
    // timer event is starting (then TunerRequestRefused). lParam is not examined.
    LRESULT ReleaseTunerRequest(WPARAM family, LPARAM lparam);

    // Opens `path` in the player (TV goes off, an open file is closed first); a file that cannot
    // play shows its reason and leaves no file open. Also the recent-files list's way in.
    void OpenMediaFile(const char* path);
    VideoFile* GetPlayer() const { return m_player; }
    // The playback position and duration texts as last shown (empty with no file open).
    const std::string& GetPositionText() const { return m_positionShown; }
    const std::string& GetDurationText() const { return m_durationShown; }

    LONG GetSelectedChannel() const { return m_selectedChannel; }
    SMixer* GetMixer() const { return m_mixer; }

    // Timer 42's id and period.
    static constexpr UINT_PTR TimerId = 42;
    static constexpr UINT TimerPeriod = 1000;

protected:
    void SetupWindow() override;

    // Private messages and the mixer's notice; each answers 0.
    LRESULT EvDeferredStart(WPARAM wparam, LPARAM lparam);
    LRESULT EvChannelTyped();
    LRESULT EvMixerControlChange();

    // The steps after an engine has opened its device: tune, show, and mark TV as on.
    void TvStarted(bool video);
    // Posts WM_UPDATESTATEICON to the frame.
    void UpdateStateIcon();

    // The control bars' gadgets. BuildControlBar makes them (in a decorated frame) and
    // RemoveControlBars deletes them; while no bar exists these show nothing.
    void BuildControlBar();
    void RemoveControlBars();
    void ShowTvToggle(int state);
    void ShowMuteToggle();
    void SetupPositionSlider();
    void SetupVolumeSlider();
    void ShowVolumePosition();
    void ShowVolumeSlider(bool shown);
    void SetStationText(const char* text);
    void SetStatusText(const char* text);
    void SetPositionText(const char* text);
    void SetDurationText(const char* text);
    // The position slider's thumb (0..1000; 0 without a slider).
    void SetPositionSlider(int position);
    int GetPositionSlider() const;
    void SetPlayRecordButtons(bool playDown, bool recordDown);
    // The volume slider's WM_HSCROLL (by its handle in lParam) sets the volume; false for others.
    bool VolumeScrolled(LPARAM slider);

    // Screen modes and the video layout.
    void SetScreenMode(LONG mode);
    void LayoutVideo();
    void FitVideo();
    // Whether the engine shows video or a player holds a picture file.
    bool PictureShown() const;
    bool PlayerShowsPicture() const;

    // Playback of files.
    void CmPlay();
    void CmTogglePlay();
    void CmHalfRate();
    void CmStop();
    void CmSkipForward();
    void CmSkipBackward();
    void PauseForSkip();
    // Moves playback 60 s (600 with Ctrl, `shift_step` with Shift) in `direction` (+1 or -1),
    // never before the start, pausing across the seek.
    void SkipPlayback(int direction, int shift_step);
    void CmResetPlayback();
    void CmOpen();
    void CmRefreshPlayback();
    void CmSaveAs();
    void CmClose();
    void CmProperties();
    // Goes to `seconds` (bounded by a known duration), moving the slider when `updateSlider`.
    void SeekTo(int seconds, bool updateSlider);
    // The position text for `position` seconds (-1: the player's position now).
    void ShowPositionText(int position, bool updateSlider);
    void ShowDurationText();
    // The main window's caption: the open file's or the Windows Media recording's name before
    // the program's title; then the texts.
    void UpdateTitle();
    // The file-open (or, `save`, file-save) dialog over `owner` with the open data; true on OK.
    bool RunFileDialog(OWL::TWindow* owner, bool save);
    void PlayerSetVolume(LONG volume);
    void PlayerSetMute(bool mute);
    void PlayerGraphEvents(WPARAM wparam, LPARAM lparam);
    void DeletePlayer();
    LRESULT EvHScroll(WPARAM wparam, LPARAM lparam);
    LRESULT EvPositionUpdate();

    // Recording, the archive and the timer list.
    void CmRecord();
    void CmRecordAudio();
    void CmArchives();
    void CmVcrTimer();

    // The stations page on its own.
    void CmChannels();

    // The capture device's own property pages.
    void CmTunerProperties();
    void CmCaptureFilterProperties();
    void CmCapturePinProperties();
    void CmCrossbarProperties();

    // Timer 42: status text and scheduled events.
    void EvTimer(UINT_PTR id);
    // The tick's status text (recording time and size, indexing, dropped frames, playback
    // position) and the end of a played file.
    void UpdateStatus();
    void ShowRecordingStatus();
    void ShowDropStatus();
    // A scheduled event starts: tune, TV on with or without video, mute the line when needed,
    // record under its name. -1 starts nothing but the stop of what plays.
    void StartTimerEvent(int i);
    // The running event ends: stop, then restore mute and TV as they were before it.
    void StopTimerEvent(int i);

    SControlBar* m_topBar = nullptr;
    SBitmapToggle* m_tvToggle = nullptr;
    SControlBar* m_bottomBar = nullptr;
    OWL::TButtonGadget* m_playButton = nullptr;
    OWL::TButtonGadget* m_recordButton = nullptr;
    HWND m_channelField = nullptr; // edit control
    OWL::THSlider* m_positionSlider = nullptr;
    OWL::TTextGadget* m_statusText = nullptr;
    OWL::TTextGadget* m_stationText = nullptr;
    OWL::TTextGadget* m_positionText = nullptr;
    OWL::TTextGadget* m_durationText = nullptr;
    SBitmapToggle* m_muteToggle = nullptr;
    VolumeSlider* m_volumeSlider = nullptr;
    LONG m_screenMode = 0; // 0 normal, 1 full screen, 2 full window
    VideoFile* m_player = nullptr;
    LONG m_selectedChannel = 0;
    SMixer* m_mixer = nullptr;
    bool m_positionDrag = false;
    OWL::TOpenSaveDialog::TData m_openData;
    std::string m_positionShown;
    std::string m_durationShown;
    bool m_muteBeforeEvent = false;
    bool m_tvOffBeforeEvent = false;
    LONG m_runningEvent = -1;
    char m_eventName[260] {};
    bool m_busy = false; // a timer event or a recording is being started
    bool m_engineByDefaultRule = false; // the engine was made with an empty or "<default>" Tuner

private:
    void BuildResponseTable();
};
