// The program's entry: the command line, the application object, the single-instance rule and
// the run of the message loop.

#include "App.h"
#include "CommandLine.h"
#include "MainFrame.h"

#include <dialogs/SetApp.h>
#include <resources/MainMenu.h>
#include <resources/StateIcons.h>
#include <resources/TrayMenu.h>
#include <settings/Settings.h>

#include <dshow/FilterGraph.h>
#include <present/Present.h>
#include <sim/SoundCard.h>
#include <sim/VirtualHardware.h>
#include <user/User.h>
#include <wmenc/Encoder.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <vector>

namespace {

// The machine's devices: DirectShow's classes, the capture cards of the platform home's
// hardware description (one TV card without one) and the sound card.
void install_machine()
{
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
}

[[noreturn]] void on_terminate()
{
    MessageBoxA(nullptr, "foo", "bar", MB_OK);
    std::abort();
}

// Activates the running instance's main window; false when there is none.
bool activate_running_instance()
{
    HWND window = FindWindowA(MainWindowClass, nullptr);
    if (!window)
        return false;
    // Minimised, or hidden to the tray: shown at its normal size.
    if (IsIconic(window) || !IsWindowVisible(window))
        ShowWindow(window, SW_SHOWNORMAL);
    BringWindowToTop(GetLastActivePopup(window));
    SetForegroundWindow(window);
    return true;
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
    auto app = std::make_unique<App>();
    if (activate_running_instance())
        return 0;

    std::set_terminate(on_terminate);
    present::start(); // shows the windows when a display is there; headless otherwise
    int result = -1;
    try {
        result = app->Run();
    } catch (...) {
    }
    present::stop();
    return result;
}
