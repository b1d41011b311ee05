#pragma once

// com::Object, the base of the layer's COM objects: exact reference counting, QueryInterface over
// the listed interfaces (and their bases), and a process-wide count of live objects for tests.
//
// An object starts with one reference, owned by its creator:
//
//     class Stream final : public com::Object<IStream> { ... implements IStream ... };
//     IStream* s = new Stream;      // count 1
//     s->Release();                 // destroyed; com::live_objects() drops by one
//
// A class that exposes more than its listed interfaces overrides find_interface and calls the
// base for the rest. Reference counts are atomic, so objects may be shared between threads.
// com::create_instance is the usual body of a class factory function (ClassRegistry.h).

#include <com/Unknown.h>

#include <atomic>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

namespace com {

// Objects derived from com::Object that exist now, in this process.
std::int64_t live_objects();

namespace detail {
void object_created();
void object_destroyed();

template<typename Interface, typename Self>
void* match_interface(Self* self, REFIID iid)
{
    if constexpr (std::is_void_v<Interface>) {
        return nullptr;
    } else {
        if (IsEqualIID(iid, iid_of<Interface>()))
            return static_cast<Interface*>(self);
        return match_interface<typename InterfaceInfo<Interface>::Base>(static_cast<Interface*>(self), iid);
    }
}
}

template<typename... Interfaces>
class Object : public Interfaces... {
public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        void* found = find_interface(iid);
        if (!found) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *out = found;
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }

    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    // The current reference count (for tests and assertions only).
    ULONG reference_count() const { return m_references.load(); }

protected:
    Object() { detail::object_created(); }
    virtual ~Object() { detail::object_destroyed(); }

    // Returns the interface pointer for `iid` (not AddRef'd) or nullptr.
    virtual void* find_interface(REFIID iid)
    {
        void* found = nullptr;
        ((found = found ? found : detail::match_interface<Interfaces>(this, iid)), ...);
        return found;
    }

private:
    std::atomic<ULONG> m_references { 1 };
};

// The usual factory body: refuses aggregation, makes a T with `args`, queries it for `iid`.
template<typename T, typename... Args>
HRESULT create_instance(IUnknown* outer, REFIID iid, void** out, Args&&... args)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    if (!object)
        return E_OUTOFMEMORY;
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

}
