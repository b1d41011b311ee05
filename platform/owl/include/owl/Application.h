#pragma once

// TApplication: the program's application object, its main window and its message loop.
//
// The library's main() calls the program's OwlMain(argc, argv). The program derives from
// TApplication, overrides InitMainWindow to make its frame and SetMainWindow it, and calls Run:
// InitMainWindow, the main window's creation and showing, then the loop until WM_QUIT, with one
// IdleAction each time the queue runs empty. When the
// main window gets WM_CLOSE, the application's CanClose decides; yes destroys the main window,
// which ends the loop. The application is the last stop of command routing.
//
//     int OwlMain(int argc, char* argv[])
//     {
//         MyApp app("Orbivane");
//         return app.Run();
//     }

#include <owl/FrameWindow.h>
#include <owl/Module.h>

namespace OWL {

class TApplication : public TModule, virtual public TEventHandler {
public:
    explicit TApplication(const char* name = nullptr);
    // Destroys the main window.
    ~TApplication() override;

    // Makes the main window; the default one is a bare frame titled with the name.
    virtual void InitMainWindow();
    // The application owns the main window; returns the previous one (now the caller's).
    TFrameWindow* SetMainWindow(TFrameWindow* window);
    TFrameWindow* GetMainWindow() const { return m_main_window; }

    // Asked when the main window is to close; the default asks the main window.
    virtual bool CanClose();

    // InitMainWindow, create and show the main window, then the message loop; the WM_QUIT code.
    virtual int Run();
    // The loop alone.
    int MessageLoop();
    // Gives a message to the main window before dispatch; true when it was used up.
    virtual bool ProcessAppMsg(MSG& msg);
    // Runs each time the loop finds the queue empty (idle_count counts the calls since the last
    // message); the default gives it to the main window (command enabling of its gadgets).
    virtual bool IdleAction(long idle_count);

    // How Run shows the main window.
    int nCmdShow = SW_SHOWNORMAL;

private:
    TFrameWindow* m_main_window = nullptr;
};

// The application object alive now, or null.
TApplication* GetApplicationObject();

}

// The program's entry point, which the library's main() calls.
int OwlMain(int argc, char* argv[]);
// Legacy queue sizing; the queues here need none.
inline BOOL SetMessageQueue(int) { return TRUE; }
