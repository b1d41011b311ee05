// The engine's calls of its capture graph builder, in one place.
//
// The builder class is not part of this build yet: until it is, no builder can be made, so a
// device is never opened past binding (the bound filter is released again).

#include <capture/Tv.h>

bool STv::NewBuilder()
{
    DeleteBuilder();
    return false;
}

void STv::DeleteBuilder()
{
    m_builder = nullptr;
}

HRESULT STv::BuilderSetFiltergraph()
{
    return E_UNEXPECTED;
}

HRESULT STv::BuilderFindInterface(const GUID*, const GUID*, REFIID, void** out)
{
    if (out)
        *out = nullptr;
    return E_NOINTERFACE;
}

bool STv::BuilderIsMpeg2Capture()
{
    return false;
}

HRESULT STv::BuilderRenderStream(const GUID*, const GUID*, IUnknown*, IBaseFilter*, IBaseFilter*)
{
    return E_UNEXPECTED;
}
