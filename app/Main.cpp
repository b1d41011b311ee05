// The program's entry: the command line, the application object, the single-instance rule and
// the run of the message loop.

#include "App.h"
#include "CommandLine.h"
#include "MainFrame.h"

#include <dialogs/SetApp.h>
#include <resources/BarBitmaps.h>
#include <resources/MainMenu.h>
#include <resources/StateIcons.h>
#include <resources/TrayMenu.h>
#include <resources/VersionResource.h>
#include <settings/Settings.h>

#include <dshow/FilterGraph.h>
#include <present/Present.h>
#include <sim/MachineClock.h>
#include <sim/SoundCard.h>
#include <sim/VirtualHardware.h>
#include <user/SessionEnd.h>
#include <user/User.h>
#include <wmenc/Encoder.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <vector>

namespace {

// The machine: its clock (virtual when the platform home says so), DirectShow's classes, the
// capture cards of the platform home's hardware description (one TV card without one) and the
// sound card.
void install_machine()
{
    sim::install_machine_clock();
    static std::vector<std::shared_ptr<sim::SoundCard>> cards;
    if (cards.empty())
        cards = sim::install_sound_cards({ sim::default_sound_card() });
    dshow::register_classes();
    wmenc::register_classes();
    sim::install_machine();
    RegisterMainMenu();
    RegisterMainAccelerators();
    RegisterTrayMenu();
    RegisterStateIcons();
    RegisterBarBitmaps();
    RegisterVersionResource();
}

[[noreturn]] void on_terminate()
{
    MessageBoxA(nullptr, "foo", "bar", MB_OK);
    std::abort();
}

// How long the running instance has to answer; the desktop adds its margin for the answer's way
// back, about five seconds in all.
constexpr UINT kAnswerWaitMs = 3000;

enum class RunningInstance { None, Activated, NotAnswering };

// Activates the running instance's main window. One that does not answer (stopped or hung) is
// reported, and no second instance starts beside it.
RunningInstance activate_running_instance()
{
    HWND window = FindWindowA(MainWindowClass, nullptr);
    if (!window)
        return RunningInstance::None;
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerWaitMs, &ignored)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        std::fprintf(stderr, "orbivane: the running instance (process %lu) does not answer; no second one is started\n",
            static_cast<unsigned long>(process));
        return RunningInstance::NotAnswering;
    }
    // Minimised, or hidden to the tray: shown at its normal size.
    if (IsIconic(window) || !IsWindowVisible(window))
        ShowWindow(window, SW_SHOWNORMAL);
    BringWindowToTop(GetLastActivePopup(window));
    SetForegroundWindow(window);
    return RunningInstance::Activated;
}

}

int OwlMain(int argc, char* argv[])
{
    SetMessageQueue(20);
    Settings.StartMinimized = 0;
    Settings.DebugMode = 0;
    CommandLineOptions options = ParseCommandLine(argc, argv);
    Settings.DebugMode = options.debug ? 1 : 0;
    Settings.StartMinimized = options.minimized ? 1 : 0;
    if (options.uninstall) {
        RemoveAutostart();
        return 1;
    }

    install_machine();
    // The display first: the settings loaded with the application fit the window to the screen's
    // size, which is known once the display is open.
    present::start(); // shows the windows when a display is there; headless otherwise
    auto app = std::make_unique<App>();
    if (RunningInstance running = activate_running_instance(); running != RunningInstance::None) {
        app.reset();
        present::stop();
        return running == RunningInstance::Activated ? 0 : 1;
    }

    std::set_terminate(on_terminate);
    user::end_session_on_signals();
    int result = -1;
    try {
        result = app->Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orbivane: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "orbivane: an unknown error ended the program\n");
    }
    present::stop();
    return result;
}
