// Source groups and their sources.

#include "Core.h"

#include <base/Text.h>
#include <dshow/DeviceEnumerator.h>

#include <algorithm>

namespace wmenc::detail {

namespace {

constexpr std::u16string_view kDevicePrefix = u"DEVICE://";

class GroupCollection final : public CoreObject<IWMEncSourceGroupCollection> {
public:
    using CoreObject::CoreObject;

    STDMETHODIMP get_Count(LONG* count) override { return count_of(m_core->groups, count); }
    WMENC_RESERVED_IMPL(8)
    STDMETHODIMP Item(LONG index, IWMEncSourceGroup** group) override
    {
        if (!group)
            return E_POINTER;
        *group = nullptr;
        std::lock_guard guard(m_core->lock);
        if (index < 0 || index >= static_cast<LONG>(m_core->groups.size()))
            return E_INVALIDARG;
        *group = m_core->groups[index].p;
        (*group)->AddRef();
        return S_OK;
    }
    WMENC_RESERVED_IMPL(10)
    STDMETHODIMP Add(const OLECHAR* name, IWMEncSourceGroup** group) override
    {
        if (!group)
            return E_POINTER;
        *group = nullptr;
        std::u16string text = text_of(name);
        std::lock_guard guard(m_core->lock);
        if (text.empty())
            return fail_with(E_INVALIDARG, u"A source group needs a name.");
        for (const auto& g : m_core->groups) {
            if (same_name(g->name(), text))
                return fail_with(E_INVALIDARG, u"A source group of that name exists already.");
        }
        CComPtr<GroupObject> made;
        made.Attach(new GroupObject(text));
        m_core->groups.push_back(made);
        *group = made.Detach();
        return S_OK;
    }
    WMENC_RESERVED_IMPL(12)
    WMENC_RESERVED_IMPL(13)
    STDMETHODIMP get_Active(IWMEncSourceGroup** group) override
    {
        if (!group)
            return E_POINTER;
        std::lock_guard guard(m_core->lock);
        *group = m_core->active;
        if (!*group)
            return S_FALSE;
        (*group)->AddRef();
        return S_OK;
    }
    STDMETHODIMP put_Active(IWMEncSourceGroup* group) override
    {
        std::lock_guard guard(m_core->lock);
        for (const auto& g : m_core->groups) {
            if (static_cast<IWMEncSourceGroup*>(g.p) == group) {
                m_core->active = g.p;
                return S_OK;
            }
        }
        return E_INVALIDARG;
    }

};

}

IWMEncSourceGroupCollection* make_group_collection(std::shared_ptr<Core> core) { return new GroupCollection(std::move(core)); }

SourceObject::SourceObject(LONG type)
    : m_type(type)
{
}

void* SourceObject::find_interface(REFIID iid)
{
    // Only a video source answers the video interface.
    if (IsEqualIID(iid, IID_IWMEncVideoSource) && m_type != WMENC_VIDEO)
        return nullptr;
    return Object::find_interface(iid);
}

STDMETHODIMP SourceObject::get_Type(LONG* type)
{
    if (!type)
        return E_POINTER;
    *type = m_type;
    return S_OK;
}

STDMETHODIMP SourceObject::SetInput(const OLECHAR* input, const OLECHAR* scheme, const OLECHAR* initialization)
{
    std::u16string text = text_of(input);
    if (!text_of(scheme).empty() || !text_of(initialization).empty())
        return fail_with(E_INVALIDARG, u"Only device inputs are supported.");
    if (text.size() < kDevicePrefix.size() || !same_name(text.substr(0, kDevicePrefix.size()), std::u16string(kDevicePrefix)))
        return fail_with(E_INVALIDARG, u"The input is not a device.");
    std::u16string device = text.substr(kDevicePrefix.size());
    bool video = m_type == WMENC_VIDEO;
    if (device == (video ? u"Default_Video_Device" : u"Default_Audio_Device"))
        device.clear();
    if (!find_device(video ? CLSID_VideoInputDeviceCategory : CLSID_AudioInputDeviceCategory, device))
        return fail_with(E_INVALIDARG, (video ? u"There is no video device \"" : u"There is no audio device \"") + text.substr(kDevicePrefix.size()) + u"\".");
    std::lock_guard guard(m_lock);
    m_input = text;
    m_device = device;
    m_has_input = true;
    return S_OK;
}

STDMETHODIMP SourceObject::get_Input(BSTR* input)
{
    std::lock_guard guard(m_lock);
    return copy_out(m_input, input);
}

STDMETHODIMP SourceObject::get_PreviewCollection(IWMEncDataViewCollection** views)
{
    if (!views)
        return E_POINTER;
    std::lock_guard guard(m_lock);
    if (!m_views) {
        m_link = std::make_shared<PreviewLink>();
        m_views.Attach(make_view_collection(m_link));
    }
    return m_views.CopyTo(views);
}

std::shared_ptr<PreviewLink> SourceObject::preview() const
{
    std::lock_guard guard(m_lock);
    return m_link;
}

GroupObject::GroupObject(std::u16string name)
    : m_name(std::move(name))
{
}

STDMETHODIMP GroupObject::get_Name(BSTR* name) { return copy_out(m_name, name); }

STDMETHODIMP GroupObject::get_SourceCount(LONG type, SHORT* count)
{
    if (!count)
        return E_POINTER;
    if (type != WMENC_AUDIO && type != WMENC_VIDEO)
        return E_INVALIDARG;
    *count = source(type) ? 1 : 0;
    return S_OK;
}

STDMETHODIMP GroupObject::get_Source(LONG type, SHORT index, IWMEncSource** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    CComPtr<SourceObject> found = source(type);
    if (!found || index != 0)
        return E_INVALIDARG;
    *out = found.Detach();
    return S_OK;
}

STDMETHODIMP GroupObject::AddSource(LONG type, IWMEncSource** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (type != WMENC_AUDIO && type != WMENC_VIDEO)
        return E_INVALIDARG;
    std::lock_guard guard(m_lock);
    CComPtr<SourceObject>& slot = type == WMENC_AUDIO ? m_audio : m_video;
    if (slot)
        return fail_with(E_INVALIDARG, u"The source group has a source of that type already.");
    slot.Attach(new SourceObject(type));
    *out = slot.p;
    (*out)->AddRef();
    return S_OK;
}

STDMETHODIMP GroupObject::RemoveSource(LONG type, VARIANT index)
{
    LONG position = index.vt == VT_I2 ? index.iVal : index.vt == VT_I4 ? index.lVal : -1;
    if (type != WMENC_AUDIO && type != WMENC_VIDEO)
        return E_INVALIDARG;
    std::lock_guard guard(m_lock);
    CComPtr<SourceObject>& slot = type == WMENC_AUDIO ? m_audio : m_video;
    if (!slot || position != 0)
        return E_INVALIDARG;
    slot.Release();
    return S_OK;
}

STDMETHODIMP GroupObject::put_Profile(VARIANT value)
{
    if (value.vt != VT_DISPATCH || !value.pdispVal)
        return E_INVALIDARG;
    CComPtr<IWMEncProfile> given;
    if (FAILED(value.pdispVal->QueryInterface(IID_IWMEncProfile, reinterpret_cast<void**>(&given))))
        return E_INVALIDARG;
    BSTR name = nullptr;
    given->get_Name(&name);
    Profile found;
    bool known = find_profile(base::to_utf8(name ? name : u""), found);
    SysFreeString(name);
    if (!known)
        return fail_with(E_INVALIDARG, u"The profile is not one of the encoder's.");
    std::lock_guard guard(m_lock);
    m_profile = std::move(found);
    m_has_profile = true;
    return S_OK;
}

CComPtr<SourceObject> GroupObject::source(LONG type) const
{
    std::lock_guard guard(m_lock);
    return type == WMENC_AUDIO ? m_audio : type == WMENC_VIDEO ? m_video : CComPtr<SourceObject> {};
}

bool GroupObject::profile(Profile& out) const
{
    std::lock_guard guard(m_lock);
    if (m_has_profile)
        out = m_profile;
    return m_has_profile;
}

}
