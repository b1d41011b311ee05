#include <CardFixture.h>

#include <base/Text.h>
#include <sim/SoundCard.h>

namespace card_test {

namespace {

std::vector<std::u16string> audio_inputs()
{
    CComPtr<ICreateDevEnum> devices;
    CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, reinterpret_cast<void**>(&devices));
    CComPtr<IEnumMoniker> monikers;
    std::vector<std::u16string> names;
    if (devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory, &monikers, 0) != S_OK)
        return names;
    for (CComPtr<IMoniker> m; monikers->Next(1, &m, nullptr) == S_OK; m.Release()) {
        CComPtr<IPropertyBag> bag;
        m->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag));
        VARIANT name;
        VariantInit(&name);
        bag->Read(u"FriendlyName", &name, nullptr);
        names.push_back(name.bstrVal);
        VariantClear(&name);
    }
    return names;
}

sim::SoundCardDescription card(const char* wave_in)
{
    sim::SoundCardDescription d;
    if (wave_in)
        d.wave_in = mm::WaveDevice { wave_in };
    d.has_mixer = false;
    return d;
}

}

using WaveInDevice = CardTest;

TEST_F(WaveInDevice, EachWaveInIsAnAudioCaptureDeviceUntilTheCardsAreReplaced)
{
    sim::install_sound_cards({ card("First In"), card(nullptr), card("Third In") });
    EXPECT_EQ(audio_inputs(), (std::vector<std::u16string> { u"First In", u"Third In" }));
    sim::install_sound_cards({ card("Other") });
    EXPECT_EQ(audio_inputs(), (std::vector<std::u16string> { u"Other" }));
    sim::install_sound_cards({});
    EXPECT_TRUE(audio_inputs().empty());
}

TEST_F(WaveInDevice, RecordsTheLineInputsToneInTimedBlocks)
{
    sim::install_sound_cards({ card("Line") });
    CComPtr<ICreateDevEnum> devices;
    CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, reinterpret_cast<void**>(&devices));
    CComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory, &monikers, 0), S_OK);
    CComPtr<IMoniker> device;
    ASSERT_EQ(monikers->Next(1, &device, nullptr), S_OK);
    CComPtr<IBaseFilter> wave_in;
    ASSERT_EQ(device->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&wave_in)), S_OK);

    CComPtr<IGraphBuilder> graph = make_graph();
    CComPtr<Recorder> recorder;
    recorder.Attach(new Recorder(MEDIATYPE_Audio));
    graph->AddFilter(wave_in, u"wave in");
    graph->AddFilter(recorder, u"recorder");
    ASSERT_EQ(graph->ConnectDirect(pin(wave_in, u"Capture"), recorder->in, nullptr), S_OK);
    CComPtr<IMediaControl> control = query<IMediaControl>(graph, IID_IMediaControl);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ASSERT_TRUE(recorder->wait_for([](auto& frames) { return frames.size() >= 5; }));
    control->Stop();
    auto frames = recorder->frames();
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(frames[i].timed);
        EXPECT_EQ(frames[i].start, static_cast<REFERENCE_TIME>(i) * (UNITS / 10));
        EXPECT_EQ(frames[i].sound, sim::PictureSource::input(1));
    }
    sim::install_sound_cards({});
}

}
