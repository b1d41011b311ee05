#pragma once

// App: the application object. It owns the audio-format block published in the settings, knows
// the help file's paths, loads the settings when made and saves them before the main window
// closes, keeps the recent-files list, builds the main window, and answers the application-level commands (mixer tools,
// multimedia properties, Preferences, save settings, exit).

#include <owl/Application.h>
#include <owl/PropertySheet.h>
#include <owl/RecentFiles.h>

#include <base/Types.h>

#include <dialogs/ContextHelpWin.h> // the help file's paths

constexpr LONG MaxWaveFormatSize = 2000;

class App : public OWL::TApplication, public OWL::TRecentFiles {
public:
    App();
    ~App() override;

    bool CanClose() override;
    void InitMainWindow() override;

    void LoadSettings();
    void SaveSettings();

    // The Preferences pages, in their order, into `sheet`; the pages that choose the recording
    // format share `format`.
    static void AddPreferencesPages(OWL::TPropertySheet& sheet, LONG* format);

private:
    void CmHelpContents();
    // The About box over the main window.
    void CmAbout();
    // The Preferences sheet; whatever it returns, the settings are saved and the frame re-applies them.
    void CmPreferences();
    void CmMixerPlay();
    void CmMixerRecord();
    void CmSoundVolume();
    void CmMmProperties();
    void CmExit();

    BYTE* m_audio_format = nullptr;
};
