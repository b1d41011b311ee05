#include <owl/Application.h>
#include <owl/Window.h>

#include <gdi/Colors.h>
#include <user/Controls.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace OWL {

namespace {

std::mutex s_lock;
std::unordered_map<HWND, TWindow*> s_bound;
thread_local TWindow* s_creating = nullptr;

void bind(HWND window, TWindow* object)
{
    std::lock_guard guard(s_lock);
    s_bound[window] = object;
}

}

TWindow::TWindow() = default;

TWindow::TWindow(TWindow* parent, const char* title, TModule* module)
{
    Init(parent, title, module);
}

void TWindow::Init(TWindow* parent, const char* title, TModule* module)
{
    m_module = module ? module : GetGlobalModule();
    m_title = title ? title : "";
    Attr.Style = parent ? (WS_CHILD | WS_VISIBLE) : WS_OVERLAPPEDWINDOW;
    if (parent && parent != m_parent)
        parent->AddChild(this);
}

TWindow::~TWindow()
{
    DestroyQuietly();
    Detach();
    std::vector<TWindow*> children;
    children.swap(m_children);
    for (TWindow* child : children) {
        child->m_parent = nullptr;
        delete child;
    }
    if (m_parent)
        std::erase(m_parent->m_children, this);
}

void TWindow::AddChild(TWindow* child)
{
    if (child->m_parent)
        std::erase(child->m_parent->m_children, child);
    child->m_parent = this;
    m_children.push_back(child);
}

bool TWindow::HasChild(const TWindow* child) const
{
    return std::find(m_children.begin(), m_children.end(), child) != m_children.end();
}

bool TWindow::IdleAction(long idle_count)
{
    bool more = false;
    std::vector<TWindow*> children = m_children;
    for (TWindow* child : children) {
        if (child->GetHandle())
            more = child->IdleAction(idle_count) || more;
    }
    return more;
}

TApplication* TWindow::GetApplication() const
{
    return GetApplicationObject();
}

const char* TWindow::GetClassName()
{
    return "OwlWindow";
}

void TWindow::GetWindowClass(WNDCLASSA& wc)
{
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = m_module->GetHandle();
    wc.hCursor = nullptr;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = GetClassName();
}

bool TWindow::Create()
{
    if (m_handle)
        return true;
    const char* class_name = GetClassName();
    WNDCLASSA existing {};
    if (!GetClassInfoA(m_module->GetHandle(), class_name, &existing)) {
        WNDCLASSA wc {};
        GetWindowClass(wc);
        wc.lpfnWndProc = StdWndProc;
        wc.lpszClassName = class_name;
        if (!RegisterClassA(&wc))
            return false;
    }

    // Zero fields take the system's default one at a time: create with the defaults the window
    // area knows, then put the given fields in place.
    bool child = (Attr.Style & WS_CHILD) != 0;
    int x = child ? 0 : CW_USEDEFAULT;
    int y = 0;
    int w = child ? 0 : CW_USEDEFAULT;
    int h = 0;
    HWND parent = m_parent ? m_parent->GetHandle() : nullptr;
    HMENU id = child ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(Attr.Id)) : nullptr;

    TWindow* outer = s_creating;
    s_creating = this;
    HWND made = CreateWindowExA(Attr.ExStyle, class_name, m_title.c_str(), Attr.Style & ~WS_VISIBLE, x, y, w, h,
        parent, id, m_module->GetHandle(), this);
    s_creating = outer;
    if (!made) {
        m_handle = nullptr;
        return false;
    }
    if (!m_handle) {
        // A system class's window: its messages pass through the object on their way to the
        // class's own procedure, which saw WM_CREATE alone; set up here.
        Attach(made);
        SetupWindow();
    }

    RECT r {};
    GetWindowRect(made, &r);
    if (child) {
        POINT origin { r.left, r.top };
        ScreenToClient(parent, &origin);
        r = { origin.x, origin.y, origin.x + (r.right - r.left), origin.y + (r.bottom - r.top) };
    }
    int nx = Attr.X ? Attr.X : r.left;
    int ny = Attr.Y ? Attr.Y : r.top;
    int nw = Attr.W ? Attr.W : r.right - r.left;
    int nh = Attr.H ? Attr.H : r.bottom - r.top;
    if (nx != r.left || ny != r.top || nw != r.right - r.left || nh != r.bottom - r.top)
        MoveWindow(made, nx, ny, nw, nh, TRUE);
    if (Attr.Style & WS_VISIBLE)
        ShowWindow(made, SW_SHOWNORMAL);
    return true;
}

bool TWindow::Attach(HWND window)
{
    if (m_handle || !IsWindow(window) || FromHandle(window))
        return false;
    m_handle = window;
    bind(window, this);
    m_default_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc)));
    char text[260] = {};
    GetWindowTextA(window, text, sizeof text);
    m_title = text;
    return true;
}

void TWindow::BindHandle(HWND window)
{
    m_handle = window;
    bind(window, this);
}

bool TWindow::ReflectDrawItem(LPARAM lparam)
{
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
    TWindow* child = item ? FromHandle(item->hwndItem) : nullptr;
    return child && child->DrawReflected(*item);
}

void TWindow::SetQuiet(TWindow* window)
{
    window->m_quiet = true;
    for (TWindow* child : window->m_children)
        SetQuiet(child);
}

void TWindow::DestroyQuietly()
{
    if (!m_handle)
        return;
    SetQuiet(this);
    DestroyWindow(m_handle);
}

void TWindow::Destroy()
{
    if (m_handle)
        DestroyWindow(m_handle);
}

bool TWindow::CanClose()
{
    return std::all_of(m_children.begin(), m_children.end(), [](TWindow* child) {
        return !child->GetHandle() || child->CanClose();
    });
}

bool TWindow::Show(int command)
{
    if (!m_handle)
        return false;
    ShowWindow(m_handle, command);
    return true;
}

void TWindow::SetCaption(const char* title)
{
    m_title = title ? title : "";
    if (m_handle)
        SetWindowTextA(m_handle, m_title.c_str());
}

TWindow* TWindow::FromHandle(HWND window)
{
    std::lock_guard guard(s_lock);
    auto it = s_bound.find(window);
    return it == s_bound.end() ? nullptr : it->second;
}

void TWindow::GetCommandTargets(std::vector<TEventHandler*>& targets)
{
    targets.push_back(this);
    if (TApplication* app = GetApplication())
        targets.push_back(app);
}

bool TWindow::RouteCommand(UINT id)
{
    std::vector<TEventHandler*> targets;
    GetCommandTargets(targets);
    for (TEventHandler* target : targets) {
        if (target->DispatchCommand(id))
            return true;
    }
    return false;
}

bool TWindow::RouteEnabler(TCommandEnabler& ce)
{
    std::vector<TEventHandler*> targets;
    GetCommandTargets(targets);
    for (TEventHandler* target : targets) {
        if (target->DispatchEnabler(ce))
            return true;
    }
    return false;
}

bool TWindow::CommandHasHandler(UINT id)
{
    std::vector<TEventHandler*> targets;
    GetCommandTargets(targets);
    return std::any_of(targets.begin(), targets.end(), [id](TEventHandler* t) { return t->HasCommand(id); });
}

void TWindow::SetupWindow()
{
    std::vector<TWindow*> children = m_children;
    for (TWindow* child : children) {
        if (!child->GetHandle())
            child->Create();
    }
}

void TWindow::EvClose()
{
    TApplication* app = GetApplication();
    bool main = app && app->GetMainWindow() == this;
    if (main ? app->CanClose() : CanClose())
        Destroy();
}

void TWindow::EvInitMenuPopup(HMENU popup, UINT, bool system)
{
    if (system)
        return;
    std::vector<TEventHandler*> targets;
    GetCommandTargets(targets);
    for (TEventHandler* target : targets)
        target->PreparePopupMenu(popup);
    // An item is set by its enabler; without one it is enabled when some table handles it and
    // greyed when none does.
    int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        UINT id = GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1))
            continue;
        TMenuItemEnabler ce(popup, id, i);
        if (!RouteEnabler(ce))
            ce.Enable(CommandHasHandler(id));
    }
}

LRESULT TWindow::DefaultProcessing(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (m_default_proc)
        return CallWindowProcA(m_default_proc, m_handle, message, wparam, lparam);
    return DefWindowProcA(m_handle, message, wparam, lparam);
}

LRESULT TWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam)
{
    LRESULT result = 0;
    if (DispatchMsg(message, wparam, lparam, result))
        return result;
    // Registered messages the main window does not answer go to the application.
    if (message >= 0xC000 && message <= 0xFFFF) {
        TApplication* app = GetApplication();
        if (app && app->GetMainWindow() == this && app->DispatchMsg(message, wparam, lparam, result))
            return result;
    }
    switch (message) {
    case WM_CREATE:
        SetupWindow();
        return 0;
    case WM_COMMAND:
        if (lparam == 0 && RouteCommand(LOWORD(wparam)))
            return 0;
        break;
    case WM_CLOSE:
        EvClose();
        return 0;
    case WM_SIZE:
        EvSize(static_cast<UINT>(wparam), LOWORD(lparam), HIWORD(lparam));
        break;
    case WM_DRAWITEM:
        if (ReflectDrawItem(lparam))
            return TRUE;
        break;
    case WM_INITMENUPOPUP:
        EvInitMenuPopup(reinterpret_cast<HMENU>(wparam), LOWORD(lparam), HIWORD(lparam) != 0);
        return 0;
    case WM_DESTROY: {
        CleanupWindow();
        TApplication* app = GetApplication();
        if (app && app->GetMainWindow() == this)
            PostQuitMessage(0);
        break;
    }
    default:
        break;
    }
    return DefaultProcessing(message, wparam, lparam);
}

void TWindow::Detach()
{
    if (!m_handle)
        return;
    if (m_default_proc && IsWindow(m_handle))
        SetWindowLongPtrA(m_handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_default_proc));
    m_default_proc = nullptr;
    std::lock_guard guard(s_lock);
    s_bound.erase(m_handle);
    m_handle = nullptr;
}

LRESULT CALLBACK TWindow::StdWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    TWindow* object = FromHandle(window);
    if (!object && s_creating && !s_creating->m_handle) {
        object = s_creating;
        object->m_handle = window;
        bind(window, object);
    }
    if (!object)
        return DefWindowProcA(window, message, wparam, lparam);
    if (object->m_quiet) {
        LRESULT result = object->DefaultProcessing(message, wparam, lparam);
        if (message == WM_NCDESTROY)
            object->Detach();
        return result;
    }
    if (message == WM_NCDESTROY) {
        LRESULT result = object->DefaultProcessing(message, wparam, lparam);
        object->Detach();
        return result;
    }
    return object->WindowProc(message, wparam, lparam);
}

}
