#pragma once

// WMFileIn, the recording target that writes a Windows Media file (.wmv, or .wma for sound only)
// by driving the media encoder's automation objects: one source group "SG_1" with an audio
// source and, for a picture, a video source; a profile chosen by name; the output file; the
// display information; and a preview of the picture in the engine's video window.
//
// The capture engine creates it when a Windows Media recording starts, sets its attributes,
// starts it, reads its statistics, stops it and deletes it:
//
//     WMFileIn* target = new WMFileIn(path, flags, deviceName, waveInName, profileName, videoWindow);
//     target->SetAttribute("title", "News");
//     if (target->Start()) { ... target->GetElapsed() ...; target->Stop(); }
//     delete target;
//
// Construction never fails as a whole: a failed step is reported (or not) and leaves the later
// operations with nothing to work on. Start is true only when the encoder really records. Stop
// and the destructor wait for the encoder while pumping the thread's messages, so other handlers
// run inside them; a Stop reached again from those handlers does nothing and returns false.

#include <media/MediaIn.h>

#include <user/Window.h>
#include <wmenc/Encoder.h>
#include <wmenc/Preview.h>

class WMFileIn : public SMediaIn {
public:
    // `mediaFlags` -1 picks 5 (sound only) when the path contains ".wma", else 15.
    WMFileIn(const char* path, INT mediaFlags, const char* videoDevice, const char* audioDevice, const char* profileName,
        HWND previewWindow);
    ~WMFileIn() override;

    bool Start() override;
    bool Stop() override;
    LONG GetFileSize() override;
    LONG GetElapsed() override;
    void FitPreview() override;
    void ShowPreview(bool on) override;
    bool SetAttribute(const char* name, const char* value) override;
    void SetFullScreen(bool on) override;

    // The stored display text of "Author", "Copyright", "Rating", "Description" or "Title" (case
    // ignored) into `buffer` (260 bytes); false when unknown or empty.
    bool GetAttribute(const char* name, char* buffer);
    // "recording" while encoding; afterwards "index N%" while the file is indexed, "" when not.
    bool GetStatusText(char* buffer);
    bool IsEncoding() const { return m_encoding != 0; }

    // Takes and dispatches every message waiting in the calling thread's queue.
    static void PumpMessages();

    INT GetMediaFlags() const { return m_mediaFlags; }

private:
    // The encoder's picture window among the children of `parent`, or NULL.
    static HWND FindRenderer(HWND parent);
    // The statistics object's indexer statistics (a reference the caller releases), or NULL.
    IWMEncIndexerStats* GetIndexerStatistics();
    // The archived size in bytes (`size`) or duration in milliseconds; false when not known.
    bool ReadArchiveStatistic(bool size, LONG& value);
    // Reports a failed call with the thread's error description and `suffix`.
    void ReportEncoderError(const char* suffix, HRESULT code);
    bool HasVideo() const { return (m_mediaFlags & 2) != 0; }

    INT m_mediaFlags;
    IWMEncoder* m_encoder { nullptr };
    IWMEncSourceGroupCollection* m_sourceGroups { nullptr };
    IWMEncSourceGroup* m_mainGroup { nullptr };
    IWMEncSource* m_audioSource { nullptr };
    IWMEncSource* m_videoSource { nullptr };
    IWMEncVideoSource* m_videoInterface { nullptr };
    IWMEncProfileCollection* m_profiles { nullptr };
    IWMEncProfile* m_profile { nullptr };
    IWMEncDisplayInfo* m_displayInfo { nullptr };
    IWMEncAttributes* m_attributes { nullptr };
    IWMEncFile* m_outputFile { nullptr };
    IWMEncStatistics* m_statistics { nullptr };
    INT m_previewCookie { -1 };
    HWND m_previewWindow;
    BYTE m_encoding { 0 };
    IWMEncDataView* m_previewView { nullptr };
    IWMEncDataViewCollection* m_previewCollection { nullptr };
    char m_copyright[260] {};
    char m_title[260] {};
    char m_author[260] {};
    char m_description[260] {};
    char m_rating[260] {};

    bool m_comInitialized { false };
    bool m_stopping { false }; // inside Stop or the destructor
    HWND m_fullScreenRenderer { nullptr }; // the renderer window taken to full screen
};
