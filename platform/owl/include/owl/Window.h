#pragma once

// TWindow: a C++ object bound to a window of the window area.
//
// Construct it, set Attr, then Create(): the window class (GetClassName, GetWindowClass) is
// registered on first use, the window made, and SetupWindow runs from WM_CREATE (the base's
// SetupWindow creates the child windows whose objects name this one as parent). An object of a
// system class ("EDIT", "SCROLLBAR", a common control) is attached to its window right after it
// is made (its messages pass through the object to the class's procedure) and set up then. Messages go to
// the response table first, then to the virtual Ev... members, then to DefWindowProcA. Commands
// (WM_COMMAND) are routed through RouteCommand: the window itself, then the application.
//
// Attr.X, Y, W and H are 0 for the system's default, each one on its own.
//
//     auto* w = new TWindow(frame, "Picture");
//     w->Attr.Style |= WS_VISIBLE;
//     w->Create();

#include <owl/EventHandler.h>
#include <owl/Module.h>

#include <user/Window.h>

#include <string>
#include <vector>

struct DRAWITEMSTRUCT;

namespace OWL {

class TApplication;

struct TWindowAttr {
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
    UINT Id = 0;          // a child's control id
    UINT AccelTable = 0;  // the resource id of the accelerator table, 0 for none
};

class TWindow : virtual public TEventHandler {
public:
    TWindow(TWindow* parent, const char* title = nullptr, TModule* module = nullptr);
    // Destroys the window if it still exists (without running handlers: the derived parts are
    // gone by then), and the child objects it owns.
    ~TWindow() override;

    TWindowAttr Attr;

    // Makes the window (and, through SetupWindow, its children); false when it failed.
    virtual bool Create();
    // Binds the object to a window made elsewhere (a dialog's control): the window's procedure is
    // replaced by the library's and kept for the default processing, until the window is
    // destroyed. False when the object already has a window or the handle is not a window.
    bool Attach(HWND window);
    void Destroy();
    // Asks the children; true when every one may close.
    virtual bool CanClose();

    HWND GetHandle() const { return m_handle; }
    operator HWND() const { return m_handle; }
    TWindow* GetParentO() const { return m_parent; }
    TModule* GetModule() const { return m_module; }
    TApplication* GetApplication() const;

    bool Show(int command);
    void SetCaption(const char* title);
    const char* GetCaption() const { return m_title.c_str(); }

    // The window class name; registered with GetWindowClass's settings on first use.
    virtual const char* GetClassName();
    virtual void GetWindowClass(WNDCLASSA& wc);

    // Adds a child object; this window owns it from now on.
    void AddChild(TWindow* child);
    // Whether the object is one of this window's children now.
    bool HasChild(const TWindow* child) const;

    // Work while the application's queue is empty (command enabling of gadgets); the default
    // passes it to the children. True when more idle work is wanted.
    virtual bool IdleAction(long idle_count);

    // The object bound to a window handle, or null.
    static TWindow* FromHandle(HWND window);

    // The tables a command is offered to, in order: this window, then the application.
    virtual void GetCommandTargets(std::vector<TEventHandler*>& targets);
    // Command routing: true when some table handled the command / the enabler.
    bool RouteCommand(UINT id);
    bool RouteEnabler(TCommandEnabler& ce);
    // Whether some table along the route has a handler for the command.
    bool CommandHasHandler(UINT id);

protected:
    // For classes that share TWindow as a virtual base: the most derived class calls Init.
    TWindow();
    void Init(TWindow* parent, const char* title, TModule* module);

    // Creates the child windows.
    virtual void SetupWindow();
    // Runs when the window is being destroyed (WM_DESTROY).
    virtual void CleanupWindow() { }

    virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT DefaultProcessing(UINT message, WPARAM wparam, LPARAM lparam);
    // For destructors: destroys the window without running the handlers of classes already gone.
    void DestroyQuietly();
    // Binds the object to a window that is being made by someone else (a dialog's WM_INITDIALOG);
    // its messages reach WindowProc through whoever made it.
    void BindHandle(HWND window);
    // Hands WM_DRAWITEM to the owner-drawn child it names; true when a child object drew it.
    static bool ReflectDrawItem(LPARAM lparam);
    // An owner-drawn control's drawing, handed over by its parent; false when not drawn.
    virtual bool DrawReflected(DRAWITEMSTRUCT&) { return false; }
    // Unbinds the object from its window (which may live on).
    void Detach();
    // While being destroyed by a destructor: no handler may run.
    bool IsQuiet() const { return m_quiet; }

    // WM_CLOSE: destroys the window when CanClose agrees (the main window asks the application).
    virtual void EvClose();
    virtual void EvSize(UINT, int, int) { }
    virtual void EvInitMenuPopup(HMENU popup, UINT index, bool system);

private:
    static LRESULT CALLBACK StdWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static void SetQuiet(TWindow* window);

    HWND m_handle = nullptr;
    WNDPROC m_default_proc = nullptr; // the window's own procedure, for an attached window
    bool m_quiet = false;
    TWindow* m_parent = nullptr;
    TModule* m_module = nullptr;
    std::string m_title;
    std::vector<TWindow*> m_children;
};

}
