// Publishing the graph for inspection: the running-object table and the graph file.

#include <capture/Tv.h>

#include <base/Process.h>
#include <base/Text.h>
#include <com/RunningObjectTable.h>
#include <com/Storage.h>

#include <cstdint>

bool STv::PublishGraph()
{
    if (!m_graph)
        return false;
    AddToRot(m_graph, &m_graphRegistration);
    if (m_graphFilePath[0])
        SaveGraphFile(m_graph, m_graphFilePath);
    return true;
}

HRESULT STv::AddToRot(IUnknown* graph, DWORD* cookie)
{
    if (!graph || !cookie)
        return E_POINTER;
    if (*cookie)
        RemoveFromRot(*cookie);

    IRunningObjectTable* table = nullptr;
    if (FAILED(GetRunningObjectTable(0, &table)))
        return E_FAIL;

    // Eight hexadecimal digits of the pointer, as graph editors expect.
    WCHAR item[128];
    wsprintfW(item, u"FilterGraph %08x pid %08x", static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(graph)),
        GetCurrentProcessId());
    IMoniker* moniker = nullptr;
    HRESULT hr = CreateItemMoniker(u"!", item, &moniker);
    if (SUCCEEDED(hr)) {
        hr = table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, graph, moniker, cookie);
        moniker->Release();
    }
    table->Release();
    return hr;
}

void STv::RemoveFromRot(DWORD& cookie)
{
    IRunningObjectTable* table = nullptr;
    if (SUCCEEDED(GetRunningObjectTable(0, &table))) {
        table->Revoke(cookie);
        table->Release();
    }
    cookie = 0;
}

HRESULT STv::SaveGraphFile(IGraphBuilder* graph, const char* path)
{
    if (!graph)
        return E_FAIL;
    if (!path)
        return E_POINTER;

    WCHAR wide_path[260] = {};
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide_path, 260);
    wide_path[259] = 0;

    IStorage* storage = nullptr;
    HRESULT hr = StgCreateDocfile(wide_path, STGM_CREATE | STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage);
    if (FAILED(hr))
        return hr;

    IStream* stream = nullptr;
    hr = storage->CreateStream(u"ActiveMovieGraph", STGM_WRITE | STGM_CREATE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (FAILED(hr)) {
        storage->Release();
        return hr;
    }

    IPersistStream* persist = nullptr;
    hr = graph->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist));
    if (SUCCEEDED(hr)) {
        hr = persist->Save(stream, TRUE);
        persist->Release();
    }
    stream->Release();
    if (SUCCEEDED(hr))
        hr = storage->Commit(STGC_DEFAULT);
    storage->Release();
    return hr;
}
