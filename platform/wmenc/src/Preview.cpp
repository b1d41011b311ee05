// The preview collection of a video source and the preview view.

#include "Core.h"

#include <user/Window.h>

#include <map>

namespace wmenc::detail {

namespace {

DEFINE_GUID(IID_IPreviewAttach, 0x2F1C7A51, 0x0B7E, 0x4C8F, 0x9E, 0x0A, 0x5B, 0x31, 0x6D, 0x77, 0x20, 0x11);

// How a collection tells a view which picture its cookie shows.
struct IPreviewAttach : IUnknown {
    virtual void attach(LONG cookie, std::shared_ptr<PreviewLink> link) = 0;
    virtual void detach(LONG cookie) = 0;
};

}

}

COM_INTERFACE(wmenc::detail::IPreviewAttach, wmenc::detail::IID_IPreviewAttach, IUnknown);

namespace wmenc::detail {

namespace {

class ViewCollection final : public com::Object<IWMEncDataViewCollection> {
public:
    explicit ViewCollection(std::shared_ptr<PreviewLink> link)
        : m_link(std::move(link))
    {
    }
    ~ViewCollection() override
    {
        for (auto& [cookie, view] : m_views)
            view->detach(cookie);
    }
    COM_NO_DISPATCH

    STDMETHODIMP get_Count(LONG* count) override
    {
        if (!count)
            return E_POINTER;
        std::lock_guard guard(m_lock);
        *count = static_cast<LONG>(m_views.size());
        return S_OK;
    }
    WMENC_RESERVED_IMPL(8)
    WMENC_RESERVED_IMPL(9)
    STDMETHODIMP Add(IUnknown* view, LONG* cookie) override
    {
        if (!cookie)
            return E_POINTER;
        *cookie = -1;
        CComPtr<IPreviewAttach> attachable;
        if (!view || FAILED(view->QueryInterface(com::iid_of<IPreviewAttach>(), reinterpret_cast<void**>(&attachable))))
            return E_INVALIDARG;
        std::lock_guard guard(m_lock);
        LONG made = m_next++;
        attachable->attach(made, m_link);
        m_views.emplace(made, attachable);
        *cookie = made;
        return S_OK;
    }
    STDMETHODIMP Remove(LONG cookie) override
    {
        std::lock_guard guard(m_lock);
        auto found = m_views.find(cookie);
        if (found == m_views.end())
            return E_INVALIDARG;
        found->second->detach(cookie);
        m_views.erase(found);
        return S_OK;
    }

private:
    const std::shared_ptr<PreviewLink> m_link;
    std::mutex m_lock;
    std::map<LONG, CComPtr<IPreviewAttach>> m_views;
    LONG m_next { 1 };
};

class PreviewView final : public com::Object<IWMEncDataView, IPreviewAttach> {
public:
    STDMETHODIMP SetViewProperties(LONG cookie, DWORD size, BYTE* data) override
    {
        if (!data)
            return E_POINTER;
        std::lock_guard guard(m_lock);
        auto found = m_streams.find(cookie);
        if (found == m_streams.end())
            return E_INVALIDARG;
        // A window handle is pointer-sized: 4 bytes would name another window.
        if (size != sizeof(HWND))
            return E_INVALIDARG;
        HWND parent = *reinterpret_cast<HWND*>(data);
        if (parent && !IsWindow(parent))
            return E_INVALIDARG;
        found->second.parent = parent;
        found->second.placed = -1;
        return S_OK;
    }
    STDMETHODIMP GetViewProperties(LONG cookie, DWORD size, BYTE* data) override
    {
        if (!data)
            return E_POINTER;
        std::lock_guard guard(m_lock);
        auto found = m_streams.find(cookie);
        if (found == m_streams.end() || size != sizeof(HWND))
            return E_INVALIDARG;
        *reinterpret_cast<HWND*>(data) = found->second.parent;
        return S_OK;
    }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved8() override { return E_NOTIMPL; }

    STDMETHODIMP StartView(LONG cookie) override
    {
        std::unique_lock guard(m_lock);
        auto found = m_streams.find(cookie);
        if (found == m_streams.end())
            return E_INVALIDARG;
        Stream& stream = found->second;
        CComPtr<IVideoWindow> window;
        int generation = 0;
        {
            std::lock_guard link(stream.link->lock);
            window = stream.link->window;
            generation = stream.link->generation;
        }
        if (!window)
            return E_UNEXPECTED;
        // The window goes into its parent once per recording; afterwards the program may move it.
        if (stream.placed != generation && stream.parent) {
            window->put_Owner(reinterpret_cast<OAHWND>(stream.parent));
            window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
            RECT client {};
            GetClientRect(stream.parent, &client);
            window->SetWindowPosition(0, 0, client.right, client.bottom);
            stream.placed = generation;
        }
        return window->put_Visible(OATRUE);
    }
    STDMETHODIMP StopView(LONG cookie) override
    {
        std::lock_guard guard(m_lock);
        auto found = m_streams.find(cookie);
        if (found == m_streams.end())
            return E_INVALIDARG;
        CComPtr<IVideoWindow> window;
        {
            std::lock_guard link(found->second.link->lock);
            window = found->second.link->window;
        }
        if (window)
            window->put_Visible(OAFALSE);
        return S_OK;
    }

    void attach(LONG cookie, std::shared_ptr<PreviewLink> link) override
    {
        std::lock_guard guard(m_lock);
        m_streams[cookie] = Stream { std::move(link), nullptr, -1 };
    }
    void detach(LONG cookie) override
    {
        std::lock_guard guard(m_lock);
        m_streams.erase(cookie);
    }

private:
    struct Stream {
        std::shared_ptr<PreviewLink> link;
        HWND parent { nullptr };
        int placed { -1 }; // the recording the window was put into `parent` for
    };
    std::mutex m_lock;
    std::map<LONG, Stream> m_streams;
};

}

IWMEncDataViewCollection* make_view_collection(std::shared_ptr<PreviewLink> link) { return new ViewCollection(std::move(link)); }

HRESULT create_preview_view(IUnknown* outer, REFIID iid, void** out) { return com::create_instance<PreviewView>(outer, iid, out); }

}
