#include <com/Apartment.h>
#include <com/Object.h>
#include <com/RunningObjectTable.h>
#include <com/TaskMemory.h>

#include <base/Clock.h>

#include <atomic>
#include <mutex>

namespace {

struct Entry {
    DWORD cookie;
    IUnknown* object;
    IMoniker* name;
    FILETIME changed;
};

struct Table {
    std::mutex lock;
    std::vector<Entry> entries;
    DWORD next_cookie { 1 };
    std::atomic<bool> available { true };
};

Table& table()
{
    static Table instance;
    return instance;
}

bool same_name(IMoniker* a, IMoniker* b) { return a == b || a->IsEqual(b) == S_OK; }

class RunningObjectTable final : public com::Object<IRunningObjectTable> {
public:
    STDMETHODIMP Register(DWORD, IUnknown* object, IMoniker* name, DWORD* cookie) override
    {
        if (!cookie)
            return E_INVALIDARG;
        *cookie = 0;
        if (!object || !name)
            return E_INVALIDARG;
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        auto& t = table();
        std::lock_guard guard(t.lock);
        bool already = false;
        for (auto& entry : t.entries)
            already = already || same_name(entry.name, name);
        object->AddRef();
        name->AddRef();
        DWORD assigned = t.next_cookie++;
        if (t.next_cookie == 0)
            t.next_cookie = 1;
        t.entries.push_back({ assigned, object, name, now });
        *cookie = assigned;
        return already ? MK_S_MONIKERALREADYREGISTERED : S_OK;
    }

    STDMETHODIMP Revoke(DWORD cookie) override
    {
        Entry removed {};
        {
            auto& t = table();
            std::lock_guard guard(t.lock);
            auto it = t.entries.begin();
            while (it != t.entries.end() && it->cookie != cookie)
                ++it;
            if (it == t.entries.end())
                return E_INVALIDARG;
            removed = *it;
            t.entries.erase(it);
        }
        // Released outside the lock: the object's destructor may use the table.
        removed.name->Release();
        removed.object->Release();
        return S_OK;
    }

    STDMETHODIMP IsRunning(IMoniker* name) override
    {
        if (!name)
            return E_INVALIDARG;
        auto& t = table();
        std::lock_guard guard(t.lock);
        for (auto& entry : t.entries) {
            if (same_name(entry.name, name))
                return S_OK;
        }
        return S_FALSE;
    }

    STDMETHODIMP GetObject(IMoniker* name, IUnknown** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (!name)
            return E_INVALIDARG;
        auto& t = table();
        std::lock_guard guard(t.lock);
        for (auto& entry : t.entries) {
            if (same_name(entry.name, name)) {
                entry.object->AddRef();
                *object = entry.object;
                return S_OK;
            }
        }
        return MK_E_UNAVAILABLE;
    }

    STDMETHODIMP NoteChangeTime(DWORD cookie, FILETIME* time) override
    {
        if (!time)
            return E_INVALIDARG;
        auto& t = table();
        std::lock_guard guard(t.lock);
        for (auto& entry : t.entries) {
            if (entry.cookie == cookie) {
                entry.changed = *time;
                return S_OK;
            }
        }
        return E_INVALIDARG;
    }

    STDMETHODIMP GetTimeOfLastChange(IMoniker* name, FILETIME* time) override
    {
        if (!name || !time)
            return E_INVALIDARG;
        auto& t = table();
        std::lock_guard guard(t.lock);
        for (auto& entry : t.entries) {
            if (same_name(entry.name, name)) {
                *time = entry.changed;
                return S_OK;
            }
        }
        return MK_E_UNAVAILABLE;
    }

    STDMETHODIMP EnumRunning(IEnumMoniker** monikers) override
    {
        if (!monikers)
            return E_POINTER;
        std::vector<IMoniker*> names;
        auto& t = table();
        std::lock_guard guard(t.lock);
        for (auto& entry : t.entries)
            names.push_back(entry.name);
        return com::create_moniker_enumerator(names.data(), static_cast<ULONG>(names.size()), monikers);
    }
};

}

HRESULT GetRunningObjectTable(DWORD, LPRUNNINGOBJECTTABLE* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    if (!com::thread_initialized())
        return CO_E_NOTINITIALIZED;
    if (!table().available)
        return E_FAIL;
    *out = new RunningObjectTable;
    return S_OK;
}

namespace com {

std::vector<std::u16string> running_object_names()
{
    std::vector<IMoniker*> names;
    {
        auto& t = table();
        std::lock_guard guard(t.lock);
        for (auto& entry : t.entries) {
            entry.name->AddRef();
            names.push_back(entry.name);
        }
    }
    std::vector<std::u16string> result;
    for (IMoniker* name : names) {
        LPOLESTR text = nullptr;
        if (SUCCEEDED(name->GetDisplayName(nullptr, nullptr, &text)) && text) {
            result.emplace_back(text);
            CoTaskMemFree(text);
        } else {
            result.emplace_back();
        }
        name->Release();
    }
    return result;
}

void set_running_object_table_available(bool available) { table().available = available; }

void clear_running_object_table()
{
    std::vector<Entry> entries;
    {
        auto& t = table();
        std::lock_guard guard(t.lock);
        entries.swap(t.entries);
    }
    for (auto& entry : entries) {
        entry.name->Release();
        entry.object->Release();
    }
}

}
