#pragma once

// CComPtr<T>, a smart pointer that holds one counted reference to an interface.
//
// Copying AddRefs, moving transfers, destruction and Release() drop the reference. `&ptr` hands
// the address of the raw pointer to an out parameter (the pointer must be empty then):
//
//     CComPtr<IGraphBuilder> graph;
//     CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph));
//     CComPtr<IMediaControl> control;
//     graph.QueryInterface(&control);

#include <com/Unknown.h>

#include <cassert>
#include <memory>
#include <utility>

template<typename T>
class CComPtr {
public:
    CComPtr() = default;
    CComPtr(std::nullptr_t) { }
    // Takes a new reference to `p`.
    CComPtr(T* p)
        : p(p)
    {
        if (p)
            p->AddRef();
    }
    CComPtr(const CComPtr& other)
        : CComPtr(other.p)
    {
    }
    CComPtr(CComPtr&& other) noexcept
        : p(std::exchange(other.p, nullptr))
    {
    }
    ~CComPtr() { Release(); }

    CComPtr& operator=(T* other)
    {
        if (other)
            other->AddRef();
        T* old = std::exchange(p, other);
        if (old)
            old->Release();
        return *this;
    }
    CComPtr& operator=(const CComPtr& other) { return *this = other.p; }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != std::addressof(other)) {
            T* old = std::exchange(p, std::exchange(other.p, nullptr));
            if (old)
                old->Release();
        }
        return *this;
    }
    CComPtr& operator=(std::nullptr_t)
    {
        Release();
        return *this;
    }

    // Drops the reference held, if any.
    void Release()
    {
        if (T* old = std::exchange(p, nullptr))
            old->Release();
    }
    // Takes over a reference the caller already owns.
    void Attach(T* other)
    {
        T* old = std::exchange(p, other);
        if (old)
            old->Release();
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(p, nullptr); }

    // Queries the held object for another interface into an empty pointer or raw out pointer.
    template<typename Q>
    HRESULT QueryInterface(Q** out) const
    {
        if (!out)
            return E_POINTER;
        if (!p) {
            *out = nullptr;
            return E_POINTER;
        }
        return p->QueryInterface(com::iid_of<Q>(), reinterpret_cast<void**>(out));
    }
    // Copies the reference into an out pointer (AddRef'd).
    HRESULT CopyTo(T** out) const
    {
        if (!out)
            return E_POINTER;
        *out = p;
        if (p)
            p->AddRef();
        return S_OK;
    }
    bool IsEqualObject(IUnknown* other) const;

    T* operator->() const
    {
        assert(p);
        return p;
    }
    T& operator*() const { return *p; }
    operator T*() const { return p; }
    T** operator&()
    {
        assert(!p);
        return &p;
    }

    T* p { nullptr };
};

template<typename T>
bool CComPtr<T>::IsEqualObject(IUnknown* other) const
{
    if (!p && !other)
        return true;
    if (!p || !other)
        return false;
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
    other->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
    bool same = a && a == b;
    if (a)
        a->Release();
    if (b)
        b->Release();
    return same;
}
