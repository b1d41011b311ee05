#include <owl/Application.h>
#include <owl/FrameWindow.h>

#include <user/Messages.h>

namespace OWL {

TFrameWindow::TFrameWindow() = default;

TFrameWindow::TFrameWindow(TWindow* parent, const char* title, TWindow* client, bool, TModule* module)
{
    Init(parent, title, module);
    InitFrame(client);
}

void TFrameWindow::InitFrame(TWindow* client)
{
    Attr.Style |= WS_CLIPCHILDREN;
    // The keyboard focus the frame gets goes on to its client.
    OnMessage(WM_SETFOCUS, [this](WPARAM, LPARAM) {
        if (m_client && m_client->GetHandle() && IsWindowVisible(m_client->GetHandle()))
            SetFocus(m_client->GetHandle());
        return LRESULT(0);
    });
    if (!client)
        return;
    m_client = client;
    client->Attr.Style = (client->Attr.Style & ~(WS_OVERLAPPEDWINDOW | WS_POPUP)) | WS_CHILD | WS_VISIBLE;
    AddChild(client);
}

TFrameWindow::~TFrameWindow()
{
    DestroyQuietly();
    if (m_accelerators)
        DestroyAcceleratorTable(m_accelerators);
}

void TFrameWindow::GetWindowClass(WNDCLASSA& wc)
{
    TWindow::GetWindowClass(wc);
    wc.style |= CS_HREDRAW | CS_VREDRAW;
}

bool TFrameWindow::AssignMenu(UINT id)
{
    m_menu_id = id;
    if (!GetHandle())
        return true;
    HMENU menu = GetModule()->LoadMenu(id);
    if (!menu)
        return false;
    HMENU old = GetMenu(GetHandle());
    SetMenu(GetHandle(), menu);
    if (old)
        DestroyMenu(old);
    DrawMenuBar(GetHandle());
    return true;
}

bool TFrameWindow::SetIcon(TModule* module, UINT id)
{
    m_icon = (module ? module : GetModule())->LoadIcon(id);
    ApplyIcon(false);
    return m_icon != nullptr;
}

bool TFrameWindow::SetIconSm(TModule* module, UINT id)
{
    m_icon_sm = (module ? module : GetModule())->LoadIcon(id);
    ApplyIcon(true);
    return m_icon_sm != nullptr;
}

void TFrameWindow::ApplyIcon(bool small)
{
    if (GetHandle())
        SendMessageA(GetHandle(), WM_SETICON, small ? ICON_SMALL : ICON_BIG,
            reinterpret_cast<LPARAM>(small ? m_icon_sm : m_icon));
}

void TFrameWindow::SetupWindow()
{
    if (m_menu_id)
        AssignMenu(m_menu_id);
    if (m_icon)
        ApplyIcon(false);
    if (m_icon_sm)
        ApplyIcon(true);
    TWindow::SetupWindow();
}

void TFrameWindow::EvSize(UINT kind, int, int)
{
    if (kind == SIZE_MINIMIZED || !m_client || !m_client->GetHandle())
        return;
    RECT r {};
    GetClientRect(GetHandle(), &r);
    MoveWindow(m_client->GetHandle(), 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
}

bool TFrameWindow::PreProcessMsg(MSG& msg)
{
    if (!Attr.AccelTable || !GetHandle())
        return false;
    if (m_loaded_accel_id != Attr.AccelTable) {
        if (m_accelerators)
            DestroyAcceleratorTable(m_accelerators);
        m_accelerators = GetModule()->LoadAccelerators(Attr.AccelTable);
        m_loaded_accel_id = Attr.AccelTable;
    }
    return m_accelerators && TranslateAcceleratorA(GetHandle(), m_accelerators, &msg);
}

void TFrameWindow::GetCommandTargets(std::vector<TEventHandler*>& targets)
{
    targets.push_back(this);
    if (m_client)
        m_client->GetCommandTargets(targets);
    else if (TApplication* app = GetApplication())
        targets.push_back(app);
}

}
