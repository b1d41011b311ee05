#pragma once

// The fixture of the virtual card tests: COM, the graph classes, a fresh device list, a virtual
// clock, and the check that every object and task-memory block is gone at the end. Helpers bind
// the n-th video input device and walk a filter's pins upstream, as a capture graph builder does.

#include "TestFilters.h"

#include <base/Clock.h>
#include <com/TaskMemory.h>
#include <dshow/CaptureInterfaces.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <dshow/GraphInterfaces.h>
#include <dshow/PinCategory.h>
#include <dshow/PropertyPages.h>
#include <sim/TestPicture.h>
#include <sim/TestTone.h>
#include <sim/VirtualHardware.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace card_test {

using test_filters::ComScope;

// A renderer-like sink that reads back what each sample shows.
class Recorder final : public dshow::BaseFilter {
public:
    struct Frame {
        std::optional<sim::PictureIdentity> picture;
        std::optional<sim::PictureSource> sound;
        REFERENCE_TIME start = -1;
        bool timed = false;
    };
    class In final : public dshow::InputPin {
    public:
        In(BaseFilter& filter, GUID major)
            : InputPin(filter, u"In")
            , major(major)
        {
        }
        HRESULT check_media_type(const AM_MEDIA_TYPE& type) override { return IsEqualGUID(type.majortype, major) ? S_OK : S_FALSE; }
        HRESULT receive(IMediaSample* sample) override
        {
            Frame frame;
            REFERENCE_TIME stop = -1;
            frame.timed = sample->GetTime(&frame.start, &stop) == S_OK;
            BYTE* data = nullptr;
            sample->GetPointer(&data);
            dshow::MediaType type = connection_type();
            if (const VIDEOINFOHEADER* video = type.video_info()) {
                int width = video->bmiHeader.biWidth, height = std::abs(video->bmiHeader.biHeight);
                if (video->bmiHeader.biBitCount == 16) {
                    frame.picture = sim::identify_picture(data, width, height);
                } else {
                    // RGB24, bottom-up: to top-down 0x00RRGGBB for the reader.
                    std::vector<DWORD> pixels(static_cast<std::size_t>(width) * height);
                    std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
                    for (int y = 0; y < height; ++y) {
                        const BYTE* row = data + stride * (height - 1 - y);
                        for (int x = 0; x < width; ++x)
                            pixels[y * width + x] = row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16);
                    }
                    frame.picture = sim::identify_picture_rgb32(pixels.data(), width, height, width);
                }
            } else if (const WAVEFORMATEX* wave = type.wave_format()) {
                std::size_t frames = sample->GetActualDataLength() / wave->nBlockAlign;
                frame.sound = sim::identify_tone(reinterpret_cast<const std::int16_t*>(data), frames, wave->nChannels, wave->nSamplesPerSec);
            }
            std::lock_guard guard(lock);
            frames.push_back(frame);
            return S_OK;
        }
        GUID major;
        std::mutex lock;
        std::vector<Frame> frames;
    };

    explicit Recorder(GUID major = MEDIATYPE_Video)
        : BaseFilter(test_filters::CLSID_TestSink)
    {
        in = make_pin<In>(major);
    }
    std::vector<Frame> frames()
    {
        std::lock_guard guard(in->lock);
        return in->frames;
    }
    void clear()
    {
        std::lock_guard guard(in->lock);
        in->frames.clear();
    }
    // Waits (in real time, generously) until `done` holds for the frames received.
    bool wait_for(const std::function<bool(const std::vector<Frame>&)>& done)
    {
        for (int i = 0; i < 2000; ++i) {
            if (done(frames()))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    In* in;
};

class CardTest : public testing::Test {
protected:
    void SetUp() override
    {
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 3, 1, 20, 0, 0));
        dshow::register_classes();
        dshow::clear_devices();
        objects = com::live_objects();
        blocks = com::outstanding_task_memory_blocks();
    }
    void TearDown() override
    {
        sim::uninstall_cards();
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), blocks);
        base::Clock::install_real();
    }

    static CComPtr<IMoniker> moniker(std::size_t index)
    {
        CComPtr<ICreateDevEnum> devices;
        CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, reinterpret_cast<void**>(&devices));
        CComPtr<IEnumMoniker> monikers;
        if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) != S_OK)
            return {};
        CComPtr<IMoniker> found;
        for (std::size_t i = 0; i <= index; ++i) {
            found.Release();
            if (monikers->Next(1, &found, nullptr) != S_OK)
                return {};
        }
        return found;
    }
    static HRESULT bind(std::size_t index, IBaseFilter** filter)
    {
        CComPtr<IMoniker> device = moniker(index);
        if (!device)
            return E_FAIL;
        return device->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
    }
    static CComPtr<IPin> pin(IBaseFilter* filter, const char16_t* id)
    {
        CComPtr<IPin> found;
        filter->FindPin(id, &found);
        return found;
    }
    // The filter connected to `filter`'s pin `id`, or empty.
    static CComPtr<IBaseFilter> peer_filter(IBaseFilter* filter, const char16_t* id)
    {
        CComPtr<IPin> mine = pin(filter, id);
        CComPtr<IPin> other;
        if (!mine || mine->ConnectedTo(&other) != S_OK)
            return {};
        PIN_INFO info {};
        other->QueryPinInfo(&info);
        CComPtr<IBaseFilter> result;
        result.Attach(info.pFilter);
        return result;
    }
    template<typename I>
    static CComPtr<I> query(IUnknown* object, REFIID iid)
    {
        CComPtr<I> result;
        if (object)
            object->QueryInterface(iid, reinterpret_cast<void**>(&result));
        return result;
    }
    CComPtr<IGraphBuilder> make_graph()
    {
        CComPtr<IGraphBuilder> graph;
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph)), S_OK);
        return graph;
    }

    ComScope com_scope;
    std::int64_t objects = 0;
    std::int64_t blocks = 0;
};

}
