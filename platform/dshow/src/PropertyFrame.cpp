// The OLE property frame: a modal dialog with a tab per property page, an inner dialog that hosts
// the active page's window, and OK, Cancel and Apply.

#include <dshow/PropertyFrame.h>
#include <dshow/Testing.h>

#include <base/Text.h>
#include <base/Threads.h>
#include <com/ComPtr.h>
#include <com/ClassRegistry.h>
#include <com/Object.h>
#include <com/TaskMemory.h>
#include <dshow/FilterInterfaces.h>
#include <user/CommonControls.h>
#include <user/Controls.h>
#include <user/Dialogs.h>

#include <algorithm>
#include <mutex>

namespace dshow::detail {
namespace {

constexpr const char* kFrameTemplate = "OLEPROPERTYFRAME";
constexpr const char* kInnerTemplate = "OLEPROPERTYFRAMEPAGES";

// Layout in pixels.
constexpr int kMargin = 7;
constexpr int kTabHeight = 21; // the tab control: its row of tabs and the line under it
constexpr int kPageGap = 4; // between the tabs and the page
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

std::mutex& hook_lock()
{
    static std::mutex lock;
    return lock;
}

struct Hooks {
    dshow::testing::PropertyFrameScript script;
    std::vector<dshow::testing::PropertyFrame> open;
    std::vector<dshow::testing::ClosedPropertyFrame> journal;
    std::string separator = " ";
};

Hooks& hooks()
{
    static Hooks h;
    return h;
}

struct Frame;

// The site each page talks to; it outlives the frame when a page keeps it, and then does nothing.
class PageSite final : public com::Object<IPropertyPageSite> {
public:
    PageSite(Frame* frame, LCID locale)
        : m_frame(frame)
        , m_locale(locale)
    {
    }
    void detach() { m_frame = nullptr; }

    STDMETHODIMP OnStatusChange(DWORD flags) override;
    STDMETHODIMP GetLocaleID(LCID* locale) override
    {
        if (!locale)
            return E_POINTER;
        *locale = m_locale;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown** container) override
    {
        if (container)
            *container = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

private:
    Frame* m_frame;
    const LCID m_locale;
};

struct Page {
    CComPtr<IPropertyPage> page;
    CComPtr<PageSite> site;
    std::string title;
    SIZE size {};
};

struct Frame {
    std::vector<Page> pages;
    SIZE page_size {};
    std::string caption;
    POINT at {};
    HWND owner = nullptr;
    HWND window = nullptr;
    HWND tab = nullptr;
    HWND inner = nullptr;
    HWND apply = nullptr;
    int current = -1;
    bool done = false;
    int result = IDCANCEL;
};

STDMETHODIMP PageSite::OnStatusChange(DWORD flags)
{
    if (m_frame && m_frame->apply && (flags & PROPPAGESTATUS_DIRTY))
        EnableWindow(m_frame->apply, TRUE);
    return S_OK;
}

RECT page_rect(const Frame& f)
{
    return RECT { 0, 0, f.page_size.cx, f.page_size.cy };
}

void activate(Frame& f, int index)
{
    if (index == f.current || index < 0 || index >= static_cast<int>(f.pages.size()))
        return;
    if (f.current >= 0)
        f.pages[static_cast<std::size_t>(f.current)].page->Deactivate();
    f.current = index;
    Page& p = f.pages[static_cast<std::size_t>(index)];
    RECT r = page_rect(f);
    if (SUCCEEDED(p.page->Activate(f.inner, &r, TRUE)))
        p.page->Show(SW_SHOWNORMAL);
}

void apply_dirty(Frame& f)
{
    for (auto& p : f.pages)
        if (p.page->IsPageDirty() == S_OK)
            p.page->Apply();
    if (f.apply)
        EnableWindow(f.apply, FALSE);
}

void finish(Frame& f, int result)
{
    if (f.done)
        return;
    f.done = true;
    f.result = result;
    PostMessageA(f.window, WM_NULL, 0, 0); // wakes the loop when this came from another thread
}

HWND add_button(HWND frame, const char* text, int id, DWORD style, int x, int y)
{
    HWND b = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, kButtonWidth,
        kButtonHeight, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageA(b, WM_SETFONT, static_cast<WPARAM>(SendMessageA(frame, WM_GETFONT, 0, 0)), FALSE);
    return b;
}

// Builds the frame's children for the largest page, places the frame and activates the first page.
void build(HWND window, Frame& f)
{
    f.window = window;
    SetWindowTextA(window, f.caption.c_str());
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));

    // The tabs sit above the page rather than around it: siblings do not clip one another here.
    int buttons_width = 3 * kButtonWidth + 2 * kMargin;
    int tab_width = std::max<int>(f.page_size.cx, buttons_width);
    int client_width = tab_width + 2 * kMargin;
    int page_top = kMargin + kTabHeight + kPageGap;
    int client_height = page_top + f.page_size.cy + kMargin + kButtonHeight + kMargin;

    f.tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, kMargin, kMargin, tab_width,
        kTabHeight, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(PROPFRAME_TAB)), nullptr, nullptr);
    SendMessageA(f.tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (std::size_t i = 0; i < f.pages.size(); ++i) {
        TCITEMA item {};
        item.mask = TCIF_TEXT;
        item.pszText = f.pages[i].title.data();
        SendMessageA(f.tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }

    f.inner = CreateDialogParamA(nullptr, kInnerTemplate, window, nullptr, 0);
    SetWindowPos(f.inner, nullptr, kMargin, page_top, f.page_size.cx, f.page_size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(f.inner, SW_SHOWNORMAL);

    int y = page_top + f.page_size.cy + kMargin;
    int x = client_width - kMargin - 3 * kButtonWidth - 2 * kMargin;
    add_button(window, "OK", IDOK, BS_DEFPUSHBUTTON, x, y);
    add_button(window, "Cancel", IDCANCEL, BS_PUSHBUTTON, x + kButtonWidth + kMargin, y);
    f.apply = add_button(window, "Apply", PROPFRAME_APPLY, BS_PUSHBUTTON, x + 2 * (kButtonWidth + kMargin), y);
    EnableWindow(f.apply, FALSE);

    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    DWORD ex_style = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    RECT r { 0, 0, client_width, client_height };
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
    SetWindowPos(window, nullptr, f.at.x, f.at.y, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);

    activate(f, 0);
}

INT_PTR CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lparam);
        build(window, *reinterpret_cast<Frame*>(lparam));
        return TRUE;
    }
    auto* f = reinterpret_cast<Frame*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!f)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            apply_dirty(*f);
            finish(*f, IDOK);
            return TRUE;
        case IDCANCEL:
            finish(*f, IDCANCEL);
            return TRUE;
        case PROPFRAME_APPLY:
            apply_dirty(*f);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header && header->hwndFrom == f->tab && header->code == TCN_SELCHANGE)
            activate(*f, static_cast<int>(SendMessageA(f->tab, TCM_GETCURSEL, 0, 0)));
        return TRUE;
    }
    }
    return FALSE;
}

void register_templates()
{
    static std::once_flag once;
    std::call_once(once, [] {
        InitCommonControls();
        user::DialogTemplate frame;
        frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_ABSALIGN;
        frame.cx = 100;
        frame.cy = 50;
        user::register_dialog(kFrameTemplate, frame);
        user::DialogTemplate inner;
        inner.style = WS_CHILD | DS_CONTROL;
        inner.cx = 10;
        inner.cy = 10;
        user::register_dialog(kInnerTemplate, inner);
    });
}

// The name the frame is titled with when the caller gives no caption.
std::string object_name(IUnknown* object)
{
    CComPtr<IBaseFilter> filter;
    if (SUCCEEDED(object->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter))) && filter) {
        FILTER_INFO info {};
        if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
            if (info.pGraph)
                info.pGraph->Release();
            return base::to_utf8(info.achName);
        }
    }
    CComPtr<IPin> pin;
    if (SUCCEEDED(object->QueryInterface(IID_IPin, reinterpret_cast<void**>(&pin))) && pin) {
        PIN_INFO info {};
        if (SUCCEEDED(pin->QueryPinInfo(&info))) {
            if (info.pFilter)
                info.pFilter->Release();
            return base::to_utf8(info.achName);
        }
    }
    return {};
}

void free_info(PROPPAGEINFO& info)
{
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);
}

// Creates a page and binds it to the objects; false leaves it out of the frame.
bool make_page(Frame& f, REFCLSID clsid, ULONG object_count, IUnknown** objects, LCID locale)
{
    Page p;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
            reinterpret_cast<void**>(&p.page)))
        || !p.page)
        return false;
    p.site.Attach(new PageSite(&f, locale));
    PROPPAGEINFO info {};
    info.cb = sizeof info;
    if (FAILED(p.page->SetPageSite(p.site))) {
        p.site->detach();
        return false;
    }
    if (FAILED(p.page->SetObjects(object_count, objects)) || FAILED(p.page->GetPageInfo(&info))) {
        free_info(info);
        p.page->SetObjects(0, nullptr);
        p.page->SetPageSite(nullptr);
        p.site->detach();
        return false;
    }
    p.title = info.pszTitle ? base::to_utf8(info.pszTitle) : std::string();
    p.size = info.size;
    free_info(info);
    f.page_size.cx = std::max(f.page_size.cx, p.size.cx);
    f.page_size.cy = std::max(f.page_size.cy, p.size.cy);
    f.pages.push_back(std::move(p));
    return true;
}

void release_pages(Frame& f)
{
    if (f.current >= 0)
        f.pages[static_cast<std::size_t>(f.current)].page->Deactivate();
    f.current = -1;
    for (auto& p : f.pages) {
        p.page->SetObjects(0, nullptr);
        p.page->SetPageSite(nullptr);
        p.site->detach();
    }
    f.pages.clear();
}

dshow::testing::PropertyFrame describe(const Frame& f)
{
    dshow::testing::PropertyFrame d { f.window, GetCurrentThreadId(), f.owner, f.caption, {} };
    for (auto& p : f.pages)
        d.tabs.push_back(p.title);
    return d;
}

void forget_open(HWND window)
{
    std::lock_guard guard(hook_lock());
    auto& open = hooks().open;
    open.erase(std::remove_if(open.begin(), open.end(), [&](auto& o) { return o.frame == window; }), open.end());
}

}
}

using namespace dshow::detail;

HRESULT OleCreatePropertyFrame(HWND owner, UINT x, UINT y, LPCOLESTR caption, ULONG object_count, IUnknown** objects,
    ULONG page_count, const CLSID* pages, LCID locale, DWORD, LPVOID)
{
    if ((object_count && !objects) || (page_count && !pages))
        return E_POINTER;
    if (!object_count || !objects[0])
        return E_INVALIDARG;
    register_templates();

    Frame f;
    for (ULONG i = 0; i < page_count; ++i)
        make_page(f, pages[i], object_count, objects, locale);
    if (f.pages.empty())
        return E_FAIL;

    std::string separator;
    {
        std::lock_guard guard(hook_lock());
        separator = hooks().separator;
    }
    std::string name = caption ? base::to_utf8(caption) : object_name(objects[0]);
    f.caption = name.empty() ? "Properties" : name + separator + "Properties";

    if (owner && !IsWindow(owner))
        owner = nullptr;
    f.owner = owner;
    f.at = { static_cast<LONG>(x), static_cast<LONG>(y) };
    if (owner)
        ClientToScreen(owner, &f.at);
    HWND top_owner = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    bool disabled = top_owner && IsWindowEnabled(top_owner) && !EnableWindow(top_owner, FALSE);

    HWND window = CreateDialogParamA(nullptr, kFrameTemplate, top_owner, frame_proc, reinterpret_cast<LPARAM>(&f));
    if (!window) {
        if (disabled)
            EnableWindow(top_owner, TRUE);
        release_pages(f);
        return E_OUTOFMEMORY;
    }
    ShowWindow(window, SW_SHOWNORMAL);

    dshow::testing::PropertyFrame described = describe(f);
    dshow::testing::PropertyFrameScript script;
    {
        std::lock_guard guard(hook_lock());
        hooks().open.push_back(described);
        script = hooks().script;
    }
    if (script)
        script(described);

    bool quit = false;
    int quit_code = 0;
    while (!f.done && IsWindow(window)) {
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0 || msg.message == WM_QUIT) {
            quit = true;
            quit_code = static_cast<int>(msg.wParam);
            break;
        }
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    forget_open(window);
    if (disabled)
        EnableWindow(top_owner, TRUE);
    release_pages(f);
    if (IsWindow(window))
        DestroyWindow(window);
    if (quit)
        PostQuitMessage(quit_code); // the application's loop must see it too
    {
        std::lock_guard guard(hook_lock());
        hooks().journal.push_back({ described, f.done ? f.result : IDCANCEL });
    }
    return S_OK;
}

namespace dshow::testing {

void set_property_frame_script(PropertyFrameScript script)
{
    std::lock_guard guard(hook_lock());
    hooks().script = std::move(script);
}

std::vector<PropertyFrame> open_property_frames()
{
    std::lock_guard guard(hook_lock());
    return hooks().open;
}

std::vector<ClosedPropertyFrame> property_frame_journal()
{
    std::lock_guard guard(hook_lock());
    return hooks().journal;
}

void close_property_frame(HWND frame, int button)
{
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(button, 0), 0);
}

void set_property_frame_separator(std::string separator)
{
    std::lock_guard guard(hook_lock());
    hooks().separator = std::move(separator);
}

void reset()
{
    std::lock_guard guard(hook_lock());
    hooks().script = nullptr;
    hooks().journal.clear();
    hooks().separator.assign(1, ' ');
}

}
