#include <com/BindContext.h>
#include <com/Object.h>
#include <com/RunningObjectTable.h>

#include "Text.h"

#include <map>
#include <mutex>
#include <vector>

namespace {

class BindContext final : public com::Object<IBindCtx> {
public:
    ~BindContext() override
    {
        ReleaseBoundObjects();
        for (auto& [key, object] : m_params)
            object->Release();
    }

    STDMETHODIMP RegisterObjectBound(IUnknown* object) override
    {
        if (!object)
            return E_INVALIDARG;
        std::lock_guard guard(m_lock);
        object->AddRef();
        m_bound.push_back(object);
        return S_OK;
    }

    STDMETHODIMP RevokeObjectBound(IUnknown* object) override
    {
        std::unique_lock guard(m_lock);
        for (auto it = m_bound.begin(); it != m_bound.end(); ++it) {
            if (*it == object) {
                m_bound.erase(it);
                guard.unlock();
                object->Release();
                return S_OK;
            }
        }
        return MK_E_NOTBINDABLE;
    }

    STDMETHODIMP ReleaseBoundObjects() override
    {
        std::vector<IUnknown*> bound;
        {
            std::lock_guard guard(m_lock);
            bound.swap(m_bound);
        }
        for (IUnknown* object : bound)
            object->Release();
        return S_OK;
    }

    STDMETHODIMP SetBindOptions(BIND_OPTS* options) override
    {
        if (!options || options->cbStruct < sizeof(BIND_OPTS))
            return E_INVALIDARG;
        std::lock_guard guard(m_lock);
        m_options = *options;
        m_options.cbStruct = sizeof(BIND_OPTS);
        return S_OK;
    }

    STDMETHODIMP GetBindOptions(BIND_OPTS* options) override
    {
        if (!options || options->cbStruct < sizeof(BIND_OPTS))
            return E_INVALIDARG;
        std::lock_guard guard(m_lock);
        *options = m_options;
        return S_OK;
    }

    STDMETHODIMP GetRunningObjectTable(IRunningObjectTable** table) override { return ::GetRunningObjectTable(0, table); }

    STDMETHODIMP RegisterObjectParam(LPOLESTR key, IUnknown* object) override
    {
        if (!key || !object)
            return E_INVALIDARG;
        std::lock_guard guard(m_lock);
        object->AddRef();
        auto& slot = m_params[std::u16string(com::detail::wide_view(key))];
        if (slot)
            slot->Release();
        slot = object;
        return S_OK;
    }

    STDMETHODIMP GetObjectParam(LPOLESTR key, IUnknown** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        std::lock_guard guard(m_lock);
        auto it = m_params.find(std::u16string(com::detail::wide_view(key)));
        if (it == m_params.end())
            return E_FAIL;
        it->second->AddRef();
        *object = it->second;
        return S_OK;
    }

    STDMETHODIMP EnumObjectParam(IEnumString** keys) override
    {
        if (keys)
            *keys = nullptr;
        return E_NOTIMPL;
    }

    STDMETHODIMP RevokeObjectParam(LPOLESTR key) override
    {
        IUnknown* object = nullptr;
        {
            std::lock_guard guard(m_lock);
            auto it = m_params.find(std::u16string(com::detail::wide_view(key)));
            if (it == m_params.end())
                return S_FALSE;
            object = it->second;
            m_params.erase(it);
        }
        object->Release();
        return S_OK;
    }

private:
    std::mutex m_lock;
    std::vector<IUnknown*> m_bound;
    std::map<std::u16string, IUnknown*> m_params;
    BIND_OPTS m_options { sizeof(BIND_OPTS), 0, 0x2 /* STGM_READWRITE */, 0 };
};

}

HRESULT CreateBindCtx(DWORD reserved, LPBC* context)
{
    if (!context)
        return E_INVALIDARG;
    *context = nullptr;
    if (reserved != 0)
        return E_INVALIDARG;
    return com::create_instance<BindContext>(nullptr, IID_IBindCtx, reinterpret_cast<void**>(context));
}
