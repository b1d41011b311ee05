#include <com/HResults.h>
#include <com/Stream.h>

namespace com {

HRESULT seek_target(ULONGLONG position, ULONGLONG size, LARGE_INTEGER move, DWORD origin, ULONGLONG& target)
{
    LONGLONG base = 0;
    switch (origin) {
    case STREAM_SEEK_SET:
        break;
    case STREAM_SEEK_CUR:
        base = static_cast<LONGLONG>(position);
        break;
    case STREAM_SEEK_END:
        base = static_cast<LONGLONG>(size);
        break;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    LONGLONG moved = base + move.QuadPart;
    if (moved < 0)
        return STG_E_INVALIDFUNCTION;
    target = static_cast<ULONGLONG>(moved);
    return S_OK;
}

}
