#include <com/ClassRegistry.h>
#include <dshow/AudioRenderer.h>
#include <dshow/AviMux.h>
#include <dshow/Compressors.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FileSource.h>
#include <dshow/FileWriter.h>
#include <dshow/FilterGraph.h>
#include <dshow/Mpeg2.h>
#include <dshow/SmartTee.h>
#include <dshow/SystemFilters.h>
#include <dshow/VideoRenderer.h>
#include <dshow/WavDest.h>

#include <mutex>
#include <vector>

namespace dshow {

namespace {

template<typename T, typename... Args>
com::ClassFactoryFunction factory_of(Args... args)
{
    return [=](IUnknown* outer, REFIID iid, void** out) { return com::create_instance<T>(outer, iid, out, args...); };
}

}

void register_audio_renderer_devices()
{
    static std::mutex lock;
    static std::vector<int> ids;
    std::lock_guard guard(lock);
    for (int id : ids)
        unregister_device(id);
    ids.clear();
    ids.push_back(register_device({ CLSID_AudioRendererCategory, u"Default DirectSound Device", CLSID_DSoundRender, {},
        factory_of<AudioRenderer>(CLSID_DSoundRender) }));
    ids.push_back(register_device({ CLSID_AudioRendererCategory, u"Default WaveOut Device", CLSID_AudioRender, {},
        factory_of<AudioRenderer>(CLSID_AudioRender) }));
}

void register_system_filters()
{
    com::register_class(CLSID_SmartTee, factory_of<SmartTee>());
    com::register_class(CLSID_AviDest, factory_of<AviMux>());
    com::register_class(CLSID_FileWriter, factory_of<FileWriter>());
    com::register_class(CLSID_FileSource, factory_of<FileSource>());
    com::register_class(CLSID_WavDest, factory_of<WavDest>());
    com::register_class(CLSID_DSoundRender, factory_of<AudioRenderer>(CLSID_DSoundRender));
    com::register_class(CLSID_AudioRender, factory_of<AudioRenderer>(CLSID_AudioRender));
    com::register_class(CLSID_VideoRenderer, factory_of<VideoRenderer>());
    register_graph_filter(CLSID_DSoundRender, u"Default DirectSound Device", FilterRole::Renderer, MERIT_PREFERRED);
    register_graph_filter(CLSID_AudioRender, u"Default WaveOut Device", FilterRole::Renderer, MERIT_NORMAL);
    register_graph_filter(CLSID_VideoRenderer, u"Video Renderer", FilterRole::Renderer, MERIT_PREFERRED);
    register_audio_renderer_devices();
    register_compressors();
    register_compressor_devices();
    register_mpeg2_filters();
}

}
