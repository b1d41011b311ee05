#include <dshow/DeviceEnumerator.h>

#include <base/Text.h>
#include <com/ComPtr.h>
#include <com/LeafMoniker.h>
#include <com/TaskMemory.h>
#include <dshow/FilterInterfaces.h>

#include <memory>
#include <mutex>
#include <vector>

namespace dshow {

namespace {

struct Device {
    int id;
    DeviceDescription description;
};

struct Devices {
    std::mutex lock;
    std::vector<std::shared_ptr<const Device>> list;
    int next_id { 1 };
};

Devices& devices()
{
    static Devices instance;
    return instance;
}

std::u16string_view view(LPCOLESTR text) { return { text, base::u16_length(text) }; }

class DevicePropertyBag final : public com::Object<IPropertyBag> {
public:
    explicit DevicePropertyBag(std::shared_ptr<const Device> device)
        : m_device(std::move(device))
    {
    }

    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        if (!name || !value)
            return E_POINTER;
        const auto& d = m_device->description;
        std::u16string text;
        if (view(name) == u"FriendlyName")
            text = d.friendly_name;
        else if (view(name) == u"CLSID")
            text = base::to_utf16(com::guid_to_string(d.clsid));
        else if (view(name) == u"DevicePath" && !d.device_path.empty())
            text = d.device_path;
        else
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        VARTYPE wanted = value->vt;
        VARIANT stored;
        VariantInit(&stored);
        stored.vt = VT_BSTR;
        stored.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!stored.bstrVal)
            return E_OUTOFMEMORY;
        if (wanted == VT_EMPTY || wanted == VT_BSTR) {
            VariantClear(value);
            *value = stored;
            return S_OK;
        }
        HRESULT hr = VariantChangeType(value, &stored, 0, wanted);
        VariantClear(&stored);
        return hr;
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_ACCESSDENIED; }

private:
    std::shared_ptr<const Device> m_device;
};

class DeviceMoniker final : public com::LeafMoniker {
public:
    explicit DeviceMoniker(std::shared_ptr<const Device> device)
        : LeafMoniker(CLSID_CDeviceMoniker, MKSYS_NONE)
        , m_device(std::move(device))
    {
    }

    STDMETHODIMP BindToObject(IBindCtx*, IMoniker* left, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (left)
            return E_INVALIDARG;
        if (!m_device->description.factory)
            return MK_E_NOOBJECT;
        HRESULT hr = m_device->description.factory(nullptr, iid, out);
        if (FAILED(hr))
            *out = nullptr;
        return hr;
    }
    STDMETHODIMP BindToStorage(IBindCtx*, IMoniker* left, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (left)
            return E_INVALIDARG;
        if (!m_device->description.name_readable)
            return E_FAIL;
        return com::create_instance<DevicePropertyBag>(nullptr, iid, out, m_device);
    }
    STDMETHODIMP Hash(DWORD* hash) override
    {
        if (!hash)
            return E_POINTER;
        *hash = static_cast<DWORD>(m_device->id);
        return S_OK;
    }
    // Devices are never in the running-object table.
    STDMETHODIMP IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return S_FALSE; }
    STDMETHODIMP GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }

protected:
    // "@device:sw:{category}\{clsid}", or "@device:pnp:" and the device path when there is one.
    std::u16string display_name() const override
    {
        const auto& d = m_device->description;
        return d.device_path.empty()
            ? u"@device:sw:" + base::to_utf16(com::guid_to_string(d.category)) + u"\\" + base::to_utf16(com::guid_to_string(d.clsid))
            : u"@device:pnp:" + d.device_path;
    }
    bool same_as(const LeafMoniker& other) const override
    {
        return static_cast<const DeviceMoniker&>(other).m_device->id == m_device->id;
    }

private:
    std::shared_ptr<const Device> m_device;
};

class SystemDeviceEnum final : public com::Object<ICreateDevEnum> {
public:
    STDMETHODIMP CreateClassEnumerator(REFCLSID category, IEnumMoniker** out, DWORD) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        std::vector<CComPtr<IMoniker>> monikers;
        {
            auto& d = devices();
            std::lock_guard guard(d.lock);
            for (auto& device : d.list) {
                if (IsEqualCLSID(device->description.category, category)) {
                    CComPtr<IMoniker> moniker;
                    moniker.Attach(new DeviceMoniker(device));
                    monikers.push_back(moniker);
                }
            }
        }
        if (monikers.empty())
            return S_FALSE;
        std::vector<IMoniker*> raw;
        for (auto& m : monikers)
            raw.push_back(m);
        return com::create_moniker_enumerator(raw.data(), static_cast<ULONG>(raw.size()), out);
    }
};

}

int register_device(DeviceDescription description)
{
    auto& d = devices();
    std::lock_guard guard(d.lock);
    int id = d.next_id++;
    d.list.push_back(std::make_shared<const Device>(Device { id, std::move(description) }));
    return id;
}

void unregister_device(int id)
{
    auto& d = devices();
    std::lock_guard guard(d.lock);
    std::erase_if(d.list, [id](auto& device) { return device->id == id; });
}

void clear_devices()
{
    auto& d = devices();
    std::lock_guard guard(d.lock);
    d.list.clear();
}

namespace detail {

void register_device_enumerator()
{
    com::register_class(CLSID_SystemDeviceEnum, [](IUnknown* outer, REFIID iid, void** out) {
        return com::create_instance<SystemDeviceEnum>(outer, iid, out);
    });
}

}

}
