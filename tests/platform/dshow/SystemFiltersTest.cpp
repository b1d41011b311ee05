#include "Ffprobe.h"
#include "TempHome.h"
#include <TestFilters.h>

#include <base/Clock.h>
#include <base/Files.h>
#include <base/Path.h>
#include <base/Text.h>
#include <com/TaskMemory.h>
#include <dshow/AudioRenderer.h>
#include <dshow/AviMux.h>
#include <dshow/AviReader.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FileWriter.h>
#include <dshow/FilterGraph.h>
#include <dshow/SmartTee.h>
#include <dshow/SystemFilters.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <future>
#include <thread>

namespace {

using namespace test_filters;

constexpr LONG frame_bytes = 64 * 2 * 48; // yuy2_type()
constexpr LONG sound_bytes = 19200; // a tenth of a second of pcm_type()

std::vector<BYTE> frame(int number) { return std::vector<BYTE>(frame_bytes, static_cast<BYTE>(number)); }

// A sink whose Receive waits until the test opens its gate.
class GatedSink final : public dshow::BaseFilter {
public:
    class In final : public dshow::InputPin {
    public:
        using InputPin::InputPin;
        HRESULT check_media_type(const AM_MEDIA_TYPE&) override { return S_OK; }
        HRESULT receive(IMediaSample*) override
        {
            auto& sink = static_cast<GatedSink&>(filter());
            std::unique_lock guard(sink.lock_);
            ++sink.entered;
            sink.changed.notify_all();
            sink.changed.wait(guard, [&] { return sink.open; });
            ++sink.received;
            return S_OK;
        }
    };
    GatedSink()
        : BaseFilter(CLSID_TestSink)
    {
        make_pin<In>(u"Input");
    }
    void wait_entered()
    {
        std::unique_lock guard(lock_);
        changed.wait(guard, [&] { return entered > 0; });
    }
    void release()
    {
        std::lock_guard guard(lock_);
        open = true;
        changed.notify_all();
    }
    std::mutex lock_;
    std::condition_variable changed;
    bool open { false };
    int entered { 0 };
    int received { 0 };
};

class SystemFilters : public testing::Test {
protected:
    void SetUp() override
    {
        dshow::register_classes();
        objects = com::live_objects();
        blocks = com::outstanding_task_memory_blocks();
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, reinterpret_cast<void**>(&graph)), S_OK);
        graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
        folder = test_support::make_temp_dir("filters");
    }
    void TearDown() override
    {
        if (control)
            control->Stop();
        control.Release();
        graph.Release();
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), blocks);
    }

    // A system filter made through com and added to the graph (the graph keeps it alive).
    template<typename T = IBaseFilter>
    T* system_filter(REFCLSID clsid, const char16_t* name)
    {
        CComPtr<IBaseFilter> filter;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
        EXPECT_TRUE(SUCCEEDED(graph->AddFilter(filter, name)));
        if constexpr (std::is_same_v<T, IBaseFilter>)
            return filter.p;
        else
            return dynamic_cast<T*>(filter.p);
    }
    template<typename F>
    F* add(F* filter, const char16_t* name)
    {
        EXPECT_TRUE(SUCCEEDED(graph->AddFilter(filter, name)));
        filter->Release();
        return filter;
    }
    static CComPtr<IPin> pin(IBaseFilter* filter, const char16_t* id)
    {
        CComPtr<IPin> found;
        EXPECT_EQ(filter->FindPin(id, &found), S_OK) << base::to_utf8(id);
        return found;
    }
    HRESULT connect(IPin* out, IPin* in) { return graph->ConnectDirect(out, in, nullptr); }

    // Mux and writer to `file` (a name in the test folder); the writer's path is Windows-form.
    dshow::AviMux* mux_to(const std::string& file)
    {
        auto* mux = system_filter<dshow::AviMux>(CLSID_AviDest, u"AVI Mux");
        auto* writer = system_filter(CLSID_FileWriter, u"File Writer");
        CComPtr<IFileSinkFilter> sink;
        EXPECT_EQ(writer->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&sink)), S_OK);
        path = folder + "/" + file;
        EXPECT_EQ(sink->SetFileName(base::to_utf16(base::to_windows_path(path)).c_str(), nullptr), S_OK);
        EXPECT_EQ(connect(pin(mux, u"AVI Out"), pin(writer, u"in")), S_OK);
        return mux;
    }

    ComScope com_scope;
    std::int64_t objects {};
    std::int64_t blocks {};
    CComPtr<IGraphBuilder> graph;
    CComPtr<IMediaControl> control;
    std::string folder;
    std::string path;
};

TEST_F(SystemFilters, AreRegisteredWithTheirClassIdsAndPins)
{
    struct Case {
        CLSID clsid;
        std::vector<std::u16string> pins;
    };
    const std::u16string rendered = u"Audio Input pin (rendered)";
    for (const Case& c : std::vector<Case> { { CLSID_SmartTee, { u"Input", u"Capture", u"Preview" } },
             { CLSID_AviDest, { u"AVI Out", u"Input 01" } }, { CLSID_FileWriter, { u"in" } }, { CLSID_DSoundRender, { rendered } },
             { CLSID_AudioRender, { rendered } } }) {
        CComPtr<IBaseFilter> filter;
        ASSERT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
        CLSID clsid {};
        filter->GetClassID(&clsid);
        EXPECT_TRUE(IsEqualGUID(clsid, c.clsid));
        CComPtr<IEnumPins> pins;
        filter->EnumPins(&pins);
        std::vector<std::u16string> names;
        for (IPin* p = nullptr; pins->Next(1, &p, nullptr) == S_OK; p->Release()) {
            PIN_INFO info {};
            p->QueryPinInfo(&info);
            info.pFilter->Release();
            names.emplace_back(info.achName);
        }
        EXPECT_EQ(names, c.pins);
    }

    // Both renderers are audio renderer devices, the DirectSound one first.
    CComPtr<ICreateDevEnum> devices;
    CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, reinterpret_cast<void**>(&devices));
    CComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(devices->CreateClassEnumerator(CLSID_AudioRendererCategory, &monikers, 0), S_OK);
    std::vector<CLSID> classes;
    for (IMoniker* m = nullptr; monikers->Next(1, &m, nullptr) == S_OK; m->Release()) {
        CComPtr<IBaseFilter> filter;
        ASSERT_EQ(m->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
        CLSID clsid {};
        filter->GetClassID(&clsid);
        classes.push_back(clsid);
    }
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_TRUE(IsEqualGUID(classes[0], CLSID_DSoundRender));
    EXPECT_TRUE(IsEqualGUID(classes[1], CLSID_AudioRender));
}

TEST_F(SystemFilters, SmartTeeOutputsFollowTheInputAndPreviewHasNoTimes)
{
    auto* source = add(new Source(), u"Source");
    auto* capture = add(new Sink(), u"Capture Sink");
    auto* preview = add(new Sink(MEDIATYPE_Video), u"Preview Sink");
    auto* tee = system_filter<dshow::SmartTee>(CLSID_SmartTee, u"Tee");

    EXPECT_FALSE(SUCCEEDED(connect(pin(tee, u"Capture"), capture->in)));
    ASSERT_EQ(connect(source->out, pin(tee, u"Input")), S_OK);
    CComPtr<IEnumMediaTypes> types;
    pin(tee, u"Preview")->EnumMediaTypes(&types);
    AM_MEDIA_TYPE* offered = nullptr;
    ASSERT_EQ(types->Next(1, &offered, nullptr), S_OK);
    EXPECT_TRUE(dshow::equal(*offered, yuy2_type().get()));
    DeleteMediaType(offered);
    EXPECT_EQ(pin(tee, u"Capture")->QueryAccept(&rgb_type().get()), S_FALSE);
    ASSERT_EQ(connect(pin(tee, u"Capture"), capture->in), S_OK);
    ASSERT_EQ(connect(pin(tee, u"Preview"), preview->in), S_OK);

    ASSERT_EQ(control->Run(), S_OK);
    for (int n = 0; n < 10; ++n) {
        ASSERT_EQ(source->out->deliver(frame(n), n * (UNITS / 25), (n + 1) * (UNITS / 25)), S_OK);
        tee->wait_preview_idle(); // one at a time: nothing is dropped
    }
    source->out->deliver_end_of_stream();
    tee->wait_preview_idle();

    ASSERT_EQ(capture->in->starts.size(), 10u);
    EXPECT_EQ(capture->in->starts[9], 9 * (UNITS / 25));
    EXPECT_EQ(capture->in->ends, 1);
    EXPECT_EQ(preview->in->starts, std::vector<REFERENCE_TIME>(10, -1));
    EXPECT_EQ(preview->in->lengths, std::vector<LONG>(10, frame_bytes));
    EXPECT_EQ(preview->in->ends, 1);
    EXPECT_EQ(tee->preview_delivered(), 10u);
    EXPECT_EQ(tee->preview_dropped(), 0u);
}

TEST_F(SystemFilters, SmartTeeDropsPreviewWhileTheCaptureStreamGoesOn)
{
    auto* source = add(new Source(), u"Source");
    auto* capture = add(new Sink(), u"Capture Sink");
    auto* slow = add(new GatedSink(), u"Slow Preview");
    auto* tee = system_filter<dshow::SmartTee>(CLSID_SmartTee, u"Tee");
    ASSERT_EQ(connect(source->out, pin(tee, u"Input")), S_OK);
    ASSERT_EQ(connect(pin(tee, u"Capture"), capture->in), S_OK);
    ASSERT_EQ(connect(pin(tee, u"Preview"), pin(slow, u"Input")), S_OK);
    ASSERT_EQ(control->Run(), S_OK);

    ASSERT_EQ(source->out->deliver(frame(0), 0, 1), S_OK);
    slow->wait_entered(); // the preview thread is now stuck in the first sample
    for (int n = 1; n < 20; ++n)
        ASSERT_EQ(source->out->deliver(frame(n), n, n + 1), S_OK);
    EXPECT_EQ(capture->in->starts.size(), 20u);
    EXPECT_EQ(tee->preview_dropped(), 20u - 1 - dshow::SmartTee::preview_queue_limit);
    slow->release();
    tee->wait_preview_idle();
    EXPECT_EQ(slow->received, 1 + static_cast<int>(dshow::SmartTee::preview_queue_limit));
}

TEST_F(SystemFilters, TeeMuxAndWriterRecordAnAviFileThatReadersAccept)
{
    auto* video = add(new Source(), u"Video");
    auto* audio = add(new Source({ pcm_type() }, u"Audio"), u"Audio");
    auto* tee = system_filter(CLSID_SmartTee, u"Tee");
    auto* mux = mux_to("capture.avi");
    ASSERT_EQ(connect(video->out, pin(tee, u"Input")), S_OK);
    ASSERT_EQ(connect(pin(tee, u"Capture"), pin(mux, u"Input 01")), S_OK);
    ASSERT_EQ(connect(audio->out, pin(mux, u"Input 02")), S_OK);
    EXPECT_EQ(mux->SetOutputCompatibilityIndex(TRUE), S_OK);
    EXPECT_EQ(mux->SetMasterStream(1), S_OK);
    EXPECT_EQ(mux->put_Mode(INTERLEAVE_CAPTURE), S_OK);

    ASSERT_EQ(control->Run(), S_OK);
    // The writer holds the file while recording: readable, not deletable.
    EXPECT_NE(GetFileAttributesA(base::to_windows_path(path).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(DeleteFileA(base::to_windows_path(path).c_str()));
    for (int n = 0; n < 50; ++n) {
        ASSERT_EQ(video->out->deliver(frame(n), n * (UNITS / 25), (n + 1) * (UNITS / 25)), S_OK);
        for (int k = n % 5 == 0 ? n / 5 * 2 : 1; k < (n % 5 == 0 ? n / 5 * 2 + 2 : 0); ++k)
            ASSERT_EQ(audio->out->deliver(std::vector<BYTE>(sound_bytes, 0x11), k * (UNITS / 10), (k + 1) * (UNITS / 10)), S_OK);
    }
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(mux->last_result(), S_OK);

    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    ASSERT_EQ(reader.streams().size(), 2u);
    EXPECT_TRUE(reader.streams()[0].video);
    EXPECT_EQ(reader.streams()[0].chunks, 50u);
    EXPECT_EQ(reader.streams()[0].bitmap.biWidth, 64);
    EXPECT_EQ(reader.streams()[0].bitmap.biHeight, 48);
    EXPECT_EQ(reader.streams()[1].bytes, 20u * sound_bytes);
    EXPECT_NEAR(reader.streams()[0].duration_seconds(), 2.0, 1e-6);
    EXPECT_TRUE(reader.has_idx1());
    EXPECT_TRUE(reader.main_header().dwFlags & dshow::avi::AVIF_ISINTERLEAVED);
    std::vector<BYTE> data;
    ASSERT_EQ(reader.read_frame(0, 17, data), S_OK);
    EXPECT_EQ(data, frame(17));
    EXPECT_TRUE(DeleteFileA(base::to_windows_path(path).c_str())); // closed at Stop
}

TEST_F(SystemFilters, FfprobeReadsTheRecordedFile)
{
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto* video = add(new Source(), u"Video");
    auto* mux = mux_to("probe.avi");
    ASSERT_EQ(connect(video->out, pin(mux, u"Input 01")), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    for (int n = 0; n < 30; ++n)
        ASSERT_EQ(video->out->deliver(frame(n), n * (UNITS / 25), (n + 1) * (UNITS / 25)), S_OK);
    ASSERT_EQ(control->Stop(), S_OK);
    auto probe = test_support::ffprobe(path, "v:0", "stream=nb_read_frames,width,height");
    EXPECT_EQ(probe["nb_read_frames"], "30") << probe["error"];
    EXPECT_EQ(probe["width"], "64");
    EXPECT_EQ(probe["height"], "48");
}

TEST_F(SystemFilters, InterleaveModesReachTheFile)
{
    struct Case {
        InterleavingMode mode;
        bool interleaved;
    };
    for (Case c : { Case { INTERLEAVE_NONE, false }, Case { INTERLEAVE_CAPTURE, true }, Case { INTERLEAVE_FULL, true },
             Case { INTERLEAVE_NONE_BUFFERED, false } }) {
        SCOPED_TRACE(c.mode);
        auto* video = add(new Source(), u"Video");
        auto* audio = add(new Source({ pcm_type() }, u"Audio"), u"Audio");
        auto* mux = mux_to("mode" + std::to_string(c.mode) + ".avi");
        ASSERT_EQ(connect(video->out, pin(mux, u"Input 01")), S_OK);
        ASSERT_EQ(connect(audio->out, pin(mux, u"Input 02")), S_OK);
        ASSERT_EQ(mux->put_Mode(c.mode), S_OK);
        const REFERENCE_TIME half = UNITS / 2;
        ASSERT_EQ(mux->put_Interleaving(&half, nullptr), S_OK);
        ASSERT_EQ(control->Run(), S_OK);
        InterleavingMode mode {};
        EXPECT_EQ(mux->get_Mode(&mode), S_OK);
        EXPECT_EQ(mode, c.mode);
        EXPECT_EQ(mux->put_Mode(INTERLEAVE_NONE), VFW_E_WRONG_STATE);
        // Sound arrives a second late, all at once: full interleaving puts it back in place.
        for (int n = 0; n < 25; ++n)
            ASSERT_EQ(video->out->deliver(frame(n), n * (UNITS / 25), (n + 1) * (UNITS / 25)), S_OK);
        for (int n = 0; n < 10; ++n)
            ASSERT_EQ(audio->out->deliver(std::vector<BYTE>(sound_bytes, 1), n * (UNITS / 10), (n + 1) * (UNITS / 10)), S_OK);
        video->out->deliver_end_of_stream();
        audio->out->deliver_end_of_stream();
        ASSERT_EQ(control->Stop(), S_OK);

        dshow::AviReader reader;
        ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
        EXPECT_EQ(reader.streams()[0].chunks, 25u);
        EXPECT_EQ(reader.streams()[1].bytes, 10u * sound_bytes);
        EXPECT_EQ((reader.main_header().dwFlags & dshow::avi::AVIF_ISINTERLEAVED) != 0, c.interleaved);
        // Where the first sound chunk lies among the video chunks.
        size_t video_before_sound = 0;
        for (auto& chunk : reader.chunks()) {
            if (chunk.stream == 1)
                break;
            ++video_before_sound;
        }
        if (c.mode == INTERLEAVE_FULL)
            EXPECT_EQ(video_before_sound, 0u);
        else if (c.mode == INTERLEAVE_CAPTURE)
            EXPECT_GT(video_before_sound, 0u);
        else
            EXPECT_EQ(video_before_sound, 25u);

        for (IBaseFilter* f : { static_cast<IBaseFilter*>(video), static_cast<IBaseFilter*>(audio), static_cast<IBaseFilter*>(mux) })
            graph->RemoveFilter(f);
        CComPtr<IBaseFilter> writer;
        graph->FindFilterByName(u"File Writer", &writer);
        graph->RemoveFilter(writer);
    }
}

TEST_F(SystemFilters, MuxSettingsAndInputs)
{
    auto* mux = system_filter<dshow::AviMux>(CLSID_AviDest, u"AVI Mux");
    LONG master = 0;
    EXPECT_EQ(mux->GetMasterStream(&master), S_OK);
    EXPECT_EQ(master, -1);
    EXPECT_EQ(mux->SetMasterStream(-2), E_INVALIDARG);
    EXPECT_EQ(mux->put_Mode(static_cast<InterleavingMode>(4)), E_INVALIDARG);
    const REFERENCE_TIME zero = 0, negative = -1;
    EXPECT_EQ(mux->put_Interleaving(&zero, nullptr), E_INVALIDARG);
    EXPECT_EQ(mux->put_Interleaving(nullptr, &negative), E_INVALIDARG);
    const REFERENCE_TIME preroll = UNITS / 5;
    EXPECT_EQ(mux->put_Interleaving(nullptr, &preroll), S_OK);
    REFERENCE_TIME interleave = 0, got_preroll = 0;
    EXPECT_EQ(mux->get_Interleaving(&interleave, &got_preroll), S_OK);
    EXPECT_EQ(interleave, UNITS);
    EXPECT_EQ(got_preroll, preroll);
    InterleavingMode mode {};
    mux->get_Mode(&mode);
    EXPECT_EQ(mode, INTERLEAVE_CAPTURE);

    // Each connection adds the next input; MPEG-2 video is refused.
    auto* a = add(new Source(), u"A");
    auto* b = add(new Source({ pcm_type() }, u"B"), u"B");
    ASSERT_EQ(connect(a->out, pin(mux, u"Input 01")), S_OK);
    ASSERT_EQ(connect(b->out, pin(mux, u"Input 02")), S_OK);
    auto mpeg2 = dshow::MediaType::of(MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO);
    std::vector<BYTE> block(200);
    mpeg2.set_format(FORMAT_MPEG2Video, block);
    EXPECT_EQ(pin(mux, u"Input 03")->QueryAccept(&mpeg2.get()), S_FALSE);
    CComPtr<IPin> none;
    EXPECT_EQ(mux->FindPin(u"Input 04", &none), VFW_E_NOT_FOUND);

    // "AVI Out" feeds only the file writer; without it the mux cannot start.
    auto* stream_sink = add(new Sink(MEDIATYPE_Stream), u"Stream Sink");
    EXPECT_FALSE(SUCCEEDED(connect(pin(mux, u"AVI Out"), stream_sink->in)));
    EXPECT_EQ(mux->Pause(), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(mux->Stop(), S_OK);
}

TEST_F(SystemFilters, MasterStreamBeyondTheStreamsLeavesAValidVideoOnlyFile)
{
    auto* video = add(new Source(), u"Video");
    auto* mux = mux_to("video.wav");
    ASSERT_EQ(connect(video->out, pin(mux, u"Input 01")), S_OK);
    ASSERT_EQ(mux->SetMasterStream(1), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    for (int n = 0; n < 10; ++n)
        ASSERT_EQ(video->out->deliver(frame(n), n * (UNITS / 25), (n + 1) * (UNITS / 25)), S_OK);
    ASSERT_EQ(control->Stop(), S_OK);
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(path), S_OK) << reader.problem();
    ASSERT_EQ(reader.streams().size(), 1u);
    EXPECT_EQ(reader.streams()[0].chunks, 10u);
    EXPECT_EQ(reader.main_header().dwMicroSecPerFrame, 40000u);
}

TEST_F(SystemFilters, RelativeNamesFollowTheCurrentFolder)
{
    char previous[260] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(base::to_windows_path(folder).c_str()));
    auto* video = add(new Source(), u"Video");
    auto* mux = system_filter(CLSID_AviDest, u"AVI Mux");
    auto* writer = system_filter(CLSID_FileWriter, u"File Writer");
    CComPtr<IFileSinkFilter> sink;
    writer->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&sink));
    ASSERT_EQ(sink->SetFileName(u".\\tmp.avi", nullptr), S_OK);
    ASSERT_EQ(connect(pin(mux, u"AVI Out"), pin(writer, u"in")), S_OK);
    ASSERT_EQ(connect(video->out, pin(mux, u"Input 01")), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    for (int n = 0; n < 3; ++n)
        ASSERT_EQ(video->out->deliver(frame(n), n * (UNITS / 25), (n + 1) * (UNITS / 25)), S_OK);
    ASSERT_EQ(control->Stop(), S_OK);
    SetCurrentDirectoryA(previous);
    dshow::AviReader reader;
    ASSERT_EQ(reader.open(folder + "/tmp.avi"), S_OK) << reader.problem();
    EXPECT_EQ(reader.streams()[0].chunks, 3u);
}

TEST_F(SystemFilters, FileWriterChecksThePathAtOnceAndWritesStreamsAtTheirOffsets)
{
    auto* writer = system_filter<dshow::FileWriter>(CLSID_FileWriter, u"File Writer");
    LPOLESTR name = nullptr;
    EXPECT_EQ(writer->GetCurFile(&name, nullptr), E_FAIL);
    EXPECT_EQ(name, nullptr);

    std::string held = base::to_windows_path(folder + "/held.avi");
    HANDLE other = CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    struct Case {
        std::string path;
        HRESULT expected;
    };
    for (const Case& c : { Case { base::to_windows_path(folder + "/missing/a.avi"), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) },
             Case { held, HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) }, Case { "", E_INVALIDARG } }) {
        EXPECT_EQ(writer->SetFileName(base::to_utf16(c.path).c_str(), nullptr), c.expected) << c.path;
    }
    CloseHandle(other);

    // A good name creates nothing yet; GetCurFile gives it back as written.
    std::string file = base::to_windows_path(folder + "/Bytes.BIN");
    ASSERT_EQ(writer->SetFileName(base::to_utf16(file).c_str(), nullptr), S_OK);
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    AM_MEDIA_TYPE type {};
    ASSERT_EQ(writer->GetCurFile(&name, &type), S_OK);
    EXPECT_EQ(base::to_utf8(name), file);
    CoTaskMemFree(name);
    FreeMediaType(type);

    // A byte stream source: samples land at the offsets their start times give.
    auto* source = add(new Source({ dshow::MediaType::of(MEDIATYPE_Stream, MEDIASUBTYPE_None) }, u"Stream"), u"Stream");
    ASSERT_EQ(connect(source->out, pin(writer, u"in")), S_OK);
    ASSERT_EQ(control->Run(), S_OK);
    const std::string tail = "abcd", head = "XY";
    ASSERT_EQ(source->out->deliver({ reinterpret_cast<const BYTE*>(tail.data()), tail.size() }, 4, -1), S_OK);
    ASSERT_EQ(source->out->deliver({ reinterpret_cast<const BYTE*>(head.data()), head.size() }, 0, -1), S_OK);
    source->out->deliver_end_of_stream();
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(writer->bytes_received(), 6u);
    EXPECT_EQ(writer->ends(), 1);
    std::ifstream in(folder + "/Bytes.BIN", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, std::string("XY\0\0abcd", 8));
}

TEST_F(SystemFilters, AudioRendererVolumeAndBalanceRanges)
{
    auto* renderer = system_filter<dshow::AudioRenderer>(CLSID_DSoundRender, u"audioOut");
    struct Case {
        LONG value;
        HRESULT volume;
        HRESULT balance;
    };
    for (Case c : { Case { -10001, E_INVALIDARG, E_INVALIDARG }, Case { -10000, S_OK, S_OK }, Case { -2500, S_OK, S_OK },
             Case { 0, S_OK, S_OK }, Case { 1, E_INVALIDARG, S_OK }, Case { 10000, E_INVALIDARG, S_OK },
             Case { 10001, E_INVALIDARG, E_INVALIDARG } }) {
        LONG before_volume = 0, before_balance = 0, now = 0;
        renderer->get_Volume(&before_volume);
        renderer->get_Balance(&before_balance);
        EXPECT_EQ(renderer->put_Volume(c.value), c.volume) << c.value;
        EXPECT_EQ(renderer->put_Balance(c.value), c.balance) << c.value;
        renderer->get_Volume(&now);
        EXPECT_EQ(now, c.volume == S_OK ? c.value : before_volume);
        renderer->get_Balance(&now);
        EXPECT_EQ(now, c.balance == S_OK ? c.value : before_balance);
    }
    // The graph's IBasicAudio reaches it.
    CComPtr<IBasicAudio> audio;
    ASSERT_EQ(graph->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&audio)), S_OK);
    EXPECT_EQ(audio->put_Volume(-5000), S_OK);
    LONG volume = 0;
    renderer->get_Volume(&volume);
    EXPECT_EQ(volume, -5000);
    // It takes 16-bit PCM only.
    EXPECT_EQ(pin(renderer, u"Audio Input pin (rendered)")->QueryAccept(&pcm_type().get()), S_OK);
    EXPECT_EQ(pin(renderer, u"Audio Input pin (rendered)")->QueryAccept(&yuy2_type().get()), S_FALSE);
}

TEST_F(SystemFilters, AudioRendererPlaysOnTheClock)
{
    base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 12, 7, 20, 0, 0));
    auto* source = add(new Source({ pcm_type() }, u"Audio"), u"Audio");
    auto* renderer = system_filter<dshow::AudioRenderer>(CLSID_DSoundRender, u"audioOut");
    ASSERT_EQ(connect(source->out, pin(renderer, u"Audio Input pin (rendered)")), S_OK);
    const std::vector<BYTE> sound(sound_bytes, 0);

    ASSERT_EQ(control->Pause(), S_OK);
    // Untimed sound plays at once, even paused; timed sound waits for Run.
    auto* out = source->out;
    CComPtr<IMediaSample> untimed;
    ASSERT_EQ(out->get_delivery_buffer(&untimed), S_OK);
    untimed->SetActualDataLength(100);
    ASSERT_EQ(out->deliver(untimed), S_OK);
    EXPECT_EQ(renderer->rendered_bytes(), 100u);

    auto timed = std::async(std::launch::async, [&] { return out->deliver(sound, 2 * UNITS, 2 * UNITS + UNITS / 10); });
    EXPECT_EQ(timed.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    EXPECT_EQ(renderer->rendered_samples(), 1u);
    std::int64_t run_ticks = base::Clock::ticks_ms();
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_EQ(timed.get(), S_OK);
    EXPECT_EQ(renderer->rendered_bytes(), 100u + sound_bytes);
    EXPECT_GE(base::Clock::ticks_ms() - run_ticks, 2000); // it waited for its time

    // Stop releases a waiting sample unplayed.
    ASSERT_EQ(control->Pause(), S_OK);
    auto waiting = std::async(std::launch::async, [&] { return out->deliver(sound, 60 * UNITS, -1); });
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    ASSERT_EQ(control->Stop(), S_OK);
    EXPECT_EQ(waiting.get(), S_FALSE);
    EXPECT_EQ(renderer->rendered_samples(), 2u);
    base::Clock::install_real();
}

}
