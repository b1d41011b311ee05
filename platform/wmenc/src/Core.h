#pragma once

// The encoder's shared state (internal): what the encoder object and the objects reached from it
// (groups, sources, statistics ...) read and change. Each of those objects holds the core by a
// shared pointer; the core holds the groups and the preview links, so nothing holds the encoder
// object itself and releasing it ends the recording and drops the groups.

#include "Recording.h"

#include <wmenc/Encoder.h>
#include <wmenc/Preview.h>

#include <com/Object.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace wmenc::detail {

// What a video source's preview collection shares with the views added to it.
struct PreviewLink {
    std::mutex lock;
    CComPtr<IVideoWindow> window; // the renderer's, while a recording is prepared
    int generation { 0 }; // counts the recordings, so a view re-parents once per recording
};

class SourceObject;
class GroupObject;

struct Core {
    std::recursive_mutex lock;

    bool auto_stop { false };
    bool auto_archive { true };
    bool remote_admin { false };
    bool auto_index { false };

    std::vector<CComPtr<GroupObject>> groups;
    GroupObject* active { nullptr };

    std::u16string file_name;
    std::u16string title, author, copyright, rating, description;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;

    std::unique_ptr<Recording> recording; // prepared or running
    bool running { false };
    std::shared_ptr<AsfWriter> last_file; // kept after Stop for the statistics

    std::int64_t index_start_ms { -1 };
    std::int64_t index_length_ms { 0 };

    // The indexer's state and progress now.
    LONG indexer_state();
    LONG indexer_percent();
    LONG indexer_files();
    // Ends a recording (Stop, and the encoder's release).
    HRESULT stop_recording();
};

// Fails with `hr`, leaving `text` in the thread's error object.
HRESULT fail_with(HRESULT hr, const std::u16string& text);
// A new BSTR of `text` into *out (E_POINTER for NULL).
HRESULT copy_out(const std::u16string& text, BSTR* out);
// Reads an automation boolean; E_INVALIDARG unless VARIANT_TRUE or VARIANT_FALSE.
HRESULT read_bool(VARIANT_BOOL value, bool& out);
HRESULT write_bool(bool value, VARIANT_BOOL* out);
// Plain UTF-16 text to its terminator; empty for NULL.
std::u16string text_of(const OLECHAR* text);

// An object reached from the encoder, over its core.
template<typename Interface>
class CoreObject : public com::Object<Interface> {
public:
    explicit CoreObject(std::shared_ptr<Core> core)
        : m_core(std::move(core))
    {
    }
    COM_NO_DISPATCH

protected:
    // The body of a collection's get_Count over a list of the core.
    template<typename List>
    HRESULT count_of(const List& list, LONG* count)
    {
        if (!count)
            return E_POINTER;
        std::lock_guard guard(m_core->lock);
        *count = static_cast<LONG>(list.size());
        return S_OK;
    }
    const std::shared_ptr<Core> m_core;
};

// Names compare without regard to ASCII case.
bool same_name(const std::u16string& a, const std::u16string& b);

#define WMENC_RESERVED_IMPL(n) \
    STDMETHODIMP Reserved##n() override { return E_NOTIMPL; }

// A source of a group: its type and its input device.
class SourceObject final : public com::Object<IWMEncVideoSource> {
public:
    explicit SourceObject(LONG type);
    COM_NO_DISPATCH

    STDMETHODIMP get_Type(LONG* type) override;
    STDMETHODIMP SetInput(const OLECHAR* input, const OLECHAR* scheme, const OLECHAR* initialization) override;
    STDMETHODIMP get_Input(BSTR* input) override;
    WMENC_RESERVED_IMPL(10)
    WMENC_RESERVED_IMPL(11)
    WMENC_RESERVED_IMPL(12)
    WMENC_RESERVED_IMPL(13)
    WMENC_RESERVED_IMPL(14)
    WMENC_RESERVED_IMPL(15)
    WMENC_RESERVED_IMPL(16)
    WMENC_RESERVED_IMPL(17)
    WMENC_RESERVED_IMPL(18)
    STDMETHODIMP get_PreviewCollection(IWMEncDataViewCollection** views) override;

    LONG type() const { return m_type; }
    bool has_input() const { return m_has_input; }
    // The device's friendly name; empty for the default device.
    const std::u16string& device() const { return m_device; }
    // The preview link when views were added, else null.
    std::shared_ptr<PreviewLink> preview() const;

protected:
    void* find_interface(REFIID iid) override;

private:
    const LONG m_type;
    std::u16string m_input;
    std::u16string m_device;
    bool m_has_input { false };
    mutable std::mutex m_lock;
    CComPtr<IWMEncDataViewCollection> m_views;
    std::shared_ptr<PreviewLink> m_link;
};

// A source group: at most one source of each type, and a profile.
class GroupObject final : public com::Object<IWMEncSourceGroup> {
public:
    explicit GroupObject(std::u16string name);
    COM_NO_DISPATCH

    STDMETHODIMP get_Name(BSTR* name) override;
    WMENC_RESERVED_IMPL(8)
    STDMETHODIMP get_SourceCount(LONG type, SHORT* count) override;
    STDMETHODIMP get_Source(LONG type, SHORT index, IWMEncSource** source) override;
    STDMETHODIMP AddSource(LONG type, IWMEncSource** source) override;
    STDMETHODIMP RemoveSource(LONG type, VARIANT index) override;
    WMENC_RESERVED_IMPL(13)
    STDMETHODIMP put_Profile(VARIANT profile) override;

    const std::u16string& name() const { return m_name; }
    CComPtr<SourceObject> source(LONG type) const;
    // False when no profile was set.
    bool profile(Profile& out) const;

private:
    const std::u16string m_name;
    mutable std::mutex m_lock;
    CComPtr<SourceObject> m_audio;
    CComPtr<SourceObject> m_video;
    bool m_has_profile { false };
    Profile m_profile;
};

// Objects reached from the encoder, each over the core.
IWMEncSourceGroupCollection* make_group_collection(std::shared_ptr<Core> core);
IWMEncProfileCollection* make_profile_collection();
IWMEncDisplayInfo* make_display_info(std::shared_ptr<Core> core);
IWMEncAttributes* make_attributes(std::shared_ptr<Core> core);
IWMEncFile* make_file(std::shared_ptr<Core> core);
IWMEncStatistics* make_statistics(std::shared_ptr<Core> core);
// A preview collection whose views show the picture of `link`.
IWMEncDataViewCollection* make_view_collection(std::shared_ptr<PreviewLink> link);

}
