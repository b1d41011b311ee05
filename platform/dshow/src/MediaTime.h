#pragma once

// IMediaSeeking's time formats where only media time (100 ns units) is known, as the file source
// and the graph have it: the members that answer for the format, shared by both.

#include <dshow/SeekingInterfaces.h>

namespace dshow::detail {

inline HRESULT is_media_time(const GUID* format)
{
    if (!format)
        return E_POINTER;
    return IsEqualGUID(*format, TIME_FORMAT_MEDIA_TIME) ? S_OK : S_FALSE;
}

inline HRESULT media_time(GUID* format)
{
    if (!format)
        return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

inline HRESULT set_media_time(const GUID* format)
{
    if (!format)
        return E_POINTER;
    return IsEqualGUID(*format, TIME_FORMAT_MEDIA_TIME) ? S_OK : E_INVALIDARG;
}

inline HRESULT convert_media_time(LONGLONG* target, const GUID* target_format, LONGLONG source, const GUID* source_format)
{
    if (!target)
        return E_POINTER;
    bool media = (!target_format || IsEqualGUID(*target_format, TIME_FORMAT_MEDIA_TIME))
        && (!source_format || IsEqualGUID(*source_format, TIME_FORMAT_MEDIA_TIME));
    if (!media)
        return E_INVALIDARG;
    *target = source;
    return S_OK;
}

// CheckCapabilities over the capabilities `have`: keeps those asked that are there; S_OK for
// all, S_FALSE for some, E_FAIL for none.
inline HRESULT check_capabilities(DWORD have, DWORD* capabilities)
{
    if (!capabilities)
        return E_POINTER;
    DWORD asked = *capabilities;
    *capabilities &= have;
    return *capabilities == asked ? S_OK : *capabilities ? S_FALSE : E_FAIL;
}

}
