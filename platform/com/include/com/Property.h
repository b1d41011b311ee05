#pragma once

// A COM property kept in a member and guarded by the object's lock.
//
// Getters and setters of automation-style interfaces mostly copy one member in or out under a
// lock: `get_locked` checks the out pointer (E_POINTER) and copies the member out, `put_locked`
// stores the value. A setter that validates its argument returns E_INVALIDARG first, then puts:
//
//     STDMETHODIMP Tuner::get_TuningSpace(LONG* space) { return com::get_locked(m_lock, m_space, space); }

#include <base/Errors.h>

#include <mutex>
#include <type_traits>

namespace com {

template <class Lock, class T>
HRESULT get_locked(Lock& lock, const T& member, T* out)
{
    if (!out)
        return E_POINTER;
    std::lock_guard guard(lock);
    *out = member;
    return S_OK;
}

template <class Lock, class T>
HRESULT put_locked(Lock& lock, T& member, std::type_identity_t<T> value)
{
    std::lock_guard guard(lock);
    member = value;
    return S_OK;
}

}
