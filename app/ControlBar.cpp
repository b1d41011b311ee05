#include "ControlBar.h"

#include "PrivateMessages.h"

#include <owl/FrameWindow.h>
#include <user/Controls.h>

SControlBar::SControlBar(OWL::TWindow* parent, TTileDirection direction, OWL::TGadgetWindowFont* font,
    OWL::TModule* module)
    : OWL::TControlBar(parent, direction, font, module)
{
    OnMessage(WM_HSCROLL, [this](WPARAM w, LPARAM l) { return EvHScroll(w, l); });
    OnMessage(WM_COMMAND, [this](WPARAM w, LPARAM l) { return EvCommand(w, l); });
}

HWND SControlBar::ClientHandle() const
{
    auto* frame = dynamic_cast<OWL::TFrameWindow*>(GetParentO());
    OWL::TWindow* client = frame ? frame->GetClientWindow() : nullptr;
    return client ? client->GetHandle() : nullptr;
}

LRESULT SControlBar::EvHScroll(WPARAM wparam, LPARAM lparam)
{
    DefaultProcessing(WM_HSCROLL, wparam, lparam);
    if (HWND client = ClientHandle())
        PostMessageA(client, WM_HSCROLL, MAKEWPARAM(LOWORD(wparam), HIWORD(wparam)), lparam);
    return 0;
}

LRESULT SControlBar::EvCommand(WPARAM wparam, LPARAM lparam)
{
    if (lparam && LOWORD(wparam) == ChannelFieldId && HIWORD(wparam) == EN_CHANGE) {
        if (HWND client = ClientHandle())
            PostMessageA(client, WM_CHANNELTYPED, ChannelTypedWParam, ChannelTypedLParam);
        return 0;
    }
    return DefaultProcessing(WM_COMMAND, wparam, lparam);
}
