#pragma once

// The output pin of a filter that writes a file format through the file writer: it offers one
// byte-stream subtype (MEDIASUBTYPE_Avi, MEDIASUBTYPE_WAVE...) and connects only to a peer that
// gives the file writer's IFileWriterTarget, through which the filter writes the file itself.

#include <dshow/FileWriter.h>
#include <dshow/Pins.h>
#include <dshow/VfwErrors.h>

namespace dshow {

class FileStreamPin final : public OutputPin {
public:
    FileStreamPin(BaseFilter& filter, std::u16string name, const GUID& subtype)
        : OutputPin(filter, std::move(name))
        , m_subtype(subtype)
    {
    }
    HRESULT check_media_type(const AM_MEDIA_TYPE& type) override
    {
        return IsEqualGUID(type.majortype, MEDIATYPE_Stream) && IsEqualGUID(type.subtype, m_subtype) ? S_OK : S_FALSE;
    }
    std::vector<MediaType> media_types() override { return { MediaType::of(MEDIATYPE_Stream, m_subtype) }; }

    // The file writer's way to its file; null while unconnected.
    CComPtr<IFileWriterTarget> target() const
    {
        CComPtr<IFileWriterTarget> found;
        if (CComPtr<IPin> connected = peer())
            connected->QueryInterface(IID_IFileWriterTarget, reinterpret_cast<void**>(&found));
        return found;
    }

protected:
    HRESULT complete_connect(IPin*) override { return target() ? S_OK : VFW_E_NO_TRANSPORT; }
    LONG buffer_size(const AM_MEDIA_TYPE&) override { return 1; }

private:
    GUID m_subtype;
};

}
