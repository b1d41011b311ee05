#include <com/Enumerator.h>
#include <com/Moniker.h>

namespace com {

HRESULT create_moniker_enumerator(IMoniker* const* monikers, ULONG count, IEnumMoniker** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (count && !monikers)
        return E_INVALIDARG;
    std::vector<CComPtr<IMoniker>> list(monikers, monikers + count);
    *out = new SnapshotEnumerator<IEnumMoniker, InterfaceItems<IMoniker>>([list] { return list; });
    return S_OK;
}

}
