#pragma once

// The filter graph manager (CLSID_FilterGraph), its reference clock (CLSID_SystemClock), and the
// filters it may insert by itself.
//
// dshow::register_classes() registers the area's classes with com (the graph, the clock, the
// system device enumerator and the capture graph builder); start-up code and tests call it once
// (calling again is harmless).
//
// The graph object answers IGraphBuilder (IFilterGraph), IMediaControl, IMediaPosition,
// IBasicAudio, IVideoWindow and IPersistStream. Its behaviour:
//  - AddFilter gives a NULL name a made-up unique one and changes a taken name to "name 0001"...
//    (VFW_S_DUPLICATE_NAME); filters get the graph's clock. RemoveFilter needs a stopped graph
//    (VFW_E_NOT_STOPPED), disconnects both ends of the filter's pins and leaves the filter with no
//    graph and no clock. EnumFilters lists in the order added. Releasing the graph disconnects
//    and removes every filter.
//  - Connect: direct first, then through a filter already in the graph (a free input and a free
//    output, no loop), then through registered intermediate filters (added under their names,
//    removed again when they do not help). Render: a free input of a filter already in the
//    graph first (a filter with outputs has those rendered onward), then registered renderers,
//    then registered intermediate filters followed by a renderer.
//  - IMediaControl: Run pauses first when stopped and starts the filters downstream first; the
//    result is S_FALSE when a filter reports VFW_S_STATE_INTERMEDIATE. Pause goes downstream
//    first as well; Stop stops the sources first, so a multiplexer finishes its file before the
//    writer behind it closes. A failed Run stops the graph again.
//  - IMediaPosition::get_CurrentPosition: seconds of running time since Run, pauses not counted,
//    0 after Stop.
//  - IBasicAudio: put_Volume goes to every filter with IBasicAudio, the getters to the first;
//    IVideoWindow goes to the first filter with IVideoWindow. With no such filter: E_NOINTERFACE.
//  - IPersistStream::Save writes the graph-file text ("0003", FILTERS, CONNECTIONS, CLOCK, END)
//    in UTF-16LE with the filters' own persisted data and the connections' format blocks.

#include <com/Guid.h>
#include <dshow/GraphInterfaces.h>

#include <string>

DEFINE_GUID(CLSID_FilterGraph, 0xE436EBB3, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
DEFINE_GUID(CLSID_SystemClock, 0xE436EBB1, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);

// Filter merits: higher ones are tried first.
constexpr DWORD MERIT_PREFERRED = 0x800000;
constexpr DWORD MERIT_NORMAL = 0x600000;
constexpr DWORD MERIT_UNLIKELY = 0x400000;
constexpr DWORD MERIT_DO_NOT_USE = 0x200000;

namespace dshow {

void register_classes();

enum class FilterRole {
    Intermediate, // a converter or decoder Connect and Render may insert
    Renderer, // an end of a stream Render may add
};

// Makes a class (created through CoCreateInstance, so switching it off hides it) available to
// intelligent Connect and Render, under `name` in the graph. Replaces an earlier registration.
void register_graph_filter(REFCLSID clsid, std::u16string name, FilterRole role, DWORD merit = MERIT_NORMAL);
void unregister_graph_filter(REFCLSID clsid);

}
