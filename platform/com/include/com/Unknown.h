#pragma once

// IUnknown, the root of every COM interface, and the link from an interface type to its IID.
//
// Every interface is a struct of pure virtual methods deriving from IUnknown (or another
// interface). Declare its IID with COM_INTERFACE so that templates (com::Object, CComPtr,
// IID_PPV_ARGS) can find it:
//
//     struct IFoo : IUnknown { STDMETHOD(Bar)() PURE; };
//     DEFINE_GUID(IID_IFoo, ...);
//     COM_INTERFACE(IFoo, IID_IFoo, IUnknown);
//
//     IFoo* foo = nullptr;
//     unknown->QueryInterface(IID_PPV_ARGS(&foo));

#include <base/Types.h>
#include <com/Guid.h>

#include <type_traits>

#ifndef STDMETHOD
#    define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#    define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#    define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#    define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#    define PURE = 0
#endif

DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IUnknown {
    // Hands out another interface of the same object (AddRef'd), or E_NOINTERFACE with *out = NULL.
    STDMETHOD(QueryInterface)(REFIID iid, void** out) PURE;
    STDMETHOD_(ULONG, AddRef)() PURE;
    // Drops one reference; the object destroys itself at zero. Returns the remaining count.
    STDMETHOD_(ULONG, Release)() PURE;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

namespace com {

// The IID and the base interface of an interface type; specialised by COM_INTERFACE.
template<typename Interface>
struct InterfaceInfo;

template<>
struct InterfaceInfo<IUnknown> {
    static constexpr const IID& iid() { return IID_IUnknown; }
    using Base = void;
};

template<typename Interface>
constexpr const IID& iid_of() { return InterfaceInfo<std::remove_cv_t<Interface>>::iid(); }

}

#define COM_INTERFACE(Interface, Iid, BaseInterface)              \
    namespace com {                                               \
    template<>                                                    \
    struct InterfaceInfo<Interface> {                             \
        static constexpr const IID& iid() { return Iid; }         \
        using Base = BaseInterface;                               \
    };                                                            \
    }                                                             \
    static_assert(true)

// The IID and the out pointer of a typed interface pointer, for QueryInterface and CoCreateInstance.
#define IID_PPV_ARGS(pp) \
    ::com::iid_of<std::remove_pointer_t<std::remove_reference_t<decltype(*(pp))>>>(), reinterpret_cast<void**>(pp)
