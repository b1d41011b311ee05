#pragma once

// TFrameWindow: a top-level window with a menu, an accelerator table, icons and a client window
// that fills its client area and takes the keyboard focus the frame gets.
//
// Commands reach the frame first, then the client, then the application. The menu's enablers run
// when a popup opens (WM_INITMENUPOPUP, also for accelerators and tracked popup menus); an item
// without an enabler is enabled when a table along the route handles its command and greyed when
// none does (an accelerator of a greyed item sends nothing). The
// application's message loop gives each message to the main window's PreProcessMsg, which
// translates the keys of Attr.AccelTable.
//
//     auto* frame = new TFrameWindow(nullptr, "Orbivane", new TWindow(nullptr));
//     frame->AssignMenu(100);
//     frame->Attr.AccelTable = 100;

#include <owl/Window.h>

#ifndef ICON_SMALL
#    define ICON_SMALL 0
#    define ICON_BIG 1
#endif

namespace OWL {

class TFrameWindow : virtual public TWindow {
public:
    // The frame owns the client.
    TFrameWindow(TWindow* parent, const char* title = nullptr, TWindow* client = nullptr, bool shrink_to_client = false,
        TModule* module = nullptr);
    ~TFrameWindow() override;

    TWindow* GetClientWindow() const { return m_client; }
    // Sets the menu resource; loaded into the window at once when it exists.
    bool AssignMenu(UINT id);
    UINT GetMenuId() const { return m_menu_id; }
    // Big and small icons from a module's resources (WM_SETICON).
    bool SetIcon(TModule* module, UINT id);
    bool SetIconSm(TModule* module, UINT id);
    HICON GetIcon() const { return m_icon; }
    HICON GetIconSm() const { return m_icon_sm; }

    // Translates the accelerators; true when the message was used up.
    virtual bool PreProcessMsg(MSG& msg);

    void GetCommandTargets(std::vector<TEventHandler*>& targets) override;

protected:
    TFrameWindow();
    void InitFrame(TWindow* client);
    void SetupWindow() override;
    void EvSize(UINT kind, int width, int height) override;
    void GetWindowClass(WNDCLASSA& wc) override;

private:
    void ApplyIcon(bool small);

    TWindow* m_client = nullptr;
    UINT m_menu_id = 0;
    HACCEL m_accelerators = nullptr;
    UINT m_loaded_accel_id = 0;
    HICON m_icon = nullptr;
    HICON m_icon_sm = nullptr;
};

}
