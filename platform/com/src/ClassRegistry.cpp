#include <com/Apartment.h>
#include <com/ClassRegistry.h>

#include <map>
#include <mutex>
#include <set>

namespace {

struct ClassEntry {
    com::ClassFactoryFunction factory;
    DWORD contexts { 0 };
};

struct Registry {
    std::mutex lock;
    std::map<CLSID, ClassEntry, com::GuidLess> classes;
    std::set<CLSID, com::GuidLess> disabled;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

// Finds the factory for a class reachable in `context`, or the failure CoCreateInstance reports.
HRESULT find_factory(REFCLSID clsid, DWORD context, com::ClassFactoryFunction& factory)
{
    if (!com::thread_initialized())
        return CO_E_NOTINITIALIZED;
    auto& r = registry();
    std::lock_guard guard(r.lock);
    auto it = r.classes.find(clsid);
    if (it == r.classes.end() || r.disabled.contains(clsid) || (it->second.contexts & context) == 0)
        return REGDB_E_CLASSNOTREG;
    factory = it->second.factory;
    return S_OK;
}

class ClassFactory final : public com::Object<IClassFactory> {
public:
    explicit ClassFactory(com::ClassFactoryFunction factory)
        : m_factory(std::move(factory))
    {
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        HRESULT hr = m_factory(outer, iid, out);
        if (FAILED(hr))
            *out = nullptr;
        return hr;
    }

    STDMETHODIMP LockServer(BOOL lock) override
    {
        m_locks += lock ? 1 : -1;
        return S_OK;
    }

private:
    com::ClassFactoryFunction m_factory;
    std::atomic<int> m_locks { 0 };
};

}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    com::ClassFactoryFunction factory;
    HRESULT hr = find_factory(clsid, context, factory);
    if (FAILED(hr))
        return hr;
    hr = factory(outer, iid, out);
    if (FAILED(hr))
        *out = nullptr;
    return hr;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID, REFIID iid, LPVOID* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    com::ClassFactoryFunction factory;
    HRESULT hr = find_factory(clsid, context, factory);
    if (FAILED(hr))
        return hr;
    return com::create_instance<ClassFactory>(nullptr, iid, out, std::move(factory));
}

namespace com {

void register_class(REFCLSID clsid, ClassFactoryFunction factory, DWORD contexts)
{
    auto& r = registry();
    std::lock_guard guard(r.lock);
    r.classes[clsid] = ClassEntry { std::move(factory), contexts };
}

void unregister_class(REFCLSID clsid)
{
    auto& r = registry();
    std::lock_guard guard(r.lock);
    r.classes.erase(clsid);
}

bool is_class_registered(REFCLSID clsid)
{
    auto& r = registry();
    std::lock_guard guard(r.lock);
    return r.classes.contains(clsid) && !r.disabled.contains(clsid);
}

void set_class_enabled(REFCLSID clsid, bool enabled)
{
    auto& r = registry();
    std::lock_guard guard(r.lock);
    if (enabled)
        r.disabled.erase(clsid);
    else
        r.disabled.insert(clsid);
}

void enable_all_classes()
{
    auto& r = registry();
    std::lock_guard guard(r.lock);
    r.disabled.clear();
}

}
