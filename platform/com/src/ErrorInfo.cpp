#include <com/ErrorInfo.h>

#include <com/Object.h>

#include <string>

namespace {

class ErrorObject final : public com::Object<IErrorInfo> {
public:
    ErrorObject(std::u16string source, std::u16string description)
        : m_source(std::move(source))
        , m_description(std::move(description))
    {
    }
    STDMETHODIMP GetGUID(GUID* guid) override
    {
        if (!guid)
            return E_POINTER;
        *guid = GUID {};
        return S_OK;
    }
    STDMETHODIMP GetSource(BSTR* source) override { return copy(m_source, source); }
    STDMETHODIMP GetDescription(BSTR* description) override { return copy(m_description, description); }
    STDMETHODIMP GetHelpFile(BSTR* help_file) override { return copy(u"", help_file); }
    STDMETHODIMP GetHelpContext(DWORD* help_context) override
    {
        if (!help_context)
            return E_POINTER;
        *help_context = 0;
        return S_OK;
    }

private:
    static HRESULT copy(const std::u16string& text, BSTR* out)
    {
        if (!out)
            return E_POINTER;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    const std::u16string m_source;
    const std::u16string m_description;
};

// Released when the thread ends.
struct ThreadError {
    IErrorInfo* info { nullptr };
    ~ThreadError()
    {
        if (info)
            info->Release();
    }
};
thread_local ThreadError t_error;

}

HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info)
{
    if (reserved != 0)
        return E_INVALIDARG;
    if (info)
        info->AddRef();
    if (IErrorInfo* old = t_error.info)
        old->Release();
    t_error.info = info;
    return S_OK;
}

HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (reserved != 0)
        return E_INVALIDARG;
    if (!t_error.info)
        return S_FALSE;
    *info = t_error.info;
    t_error.info = nullptr;
    return S_OK;
}

namespace com {

IErrorInfo* make_error_info(const char16_t* source, const char16_t* description)
{
    return new ErrorObject(source ? source : u"", description ? description : u"");
}

void set_error_description(const char16_t* source, const char16_t* description)
{
    IErrorInfo* info = make_error_info(source, description);
    SetErrorInfo(0, info);
    info->Release();
}

}
