#include <CardFixture.h>

#include <base/Text.h>
#include <sim/HardwareFile.h>

#include <fstream>

namespace {

using namespace card_test;

// A bound card in a graph, with its upstream filters found through the pins.
class Devices : public CardTest {
protected:
    void open(const sim::CaptureCard& card)
    {
        sim::install_cards({ card });
        graph = make_graph();
        ASSERT_EQ(bind(0, &capture), S_OK);
        ASSERT_EQ(graph->AddFilter(capture, nullptr), S_OK);
        crossbar_filter = peer_filter(capture, u"Analog Video In");
        crossbar = query<IAMCrossbar>(crossbar_filter, IID_IAMCrossbar);
        tuner_filter = crossbar ? peer_filter(crossbar_filter, u"Video Tuner In") : crossbar_filter;
        if (!crossbar)
            crossbar_filter.Release();
        tuner = query<IAMTVTuner>(tuner_filter, IID_IAMTVTuner);
    }
    void TearDown() override
    {
        tuner.Release();
        crossbar.Release();
        tuner_filter.Release();
        crossbar_filter.Release();
        capture.Release();
        graph.Release();
        CardTest::TearDown();
    }

    CComPtr<IGraphBuilder> graph;
    CComPtr<IBaseFilter> capture, crossbar_filter, tuner_filter;
    CComPtr<IAMCrossbar> crossbar;
    CComPtr<IAMTVTuner> tuner;
};

TEST_F(Devices, TunerRangeModesInputsAndCountry)
{
    open(sim::CaptureCard {});
    ASSERT_TRUE(tuner);
    LONG min = 0, max = 0;
    ASSERT_EQ(tuner->ChannelMinMax(&min, &max), S_OK);
    EXPECT_EQ(min, 2);
    EXPECT_EQ(max, 125);
    struct Case {
        LONG channel;
        HRESULT result;
    };
    for (Case c : { Case { 1, E_INVALIDARG }, Case { 2, S_OK }, Case { 125, S_OK }, Case { 126, E_INVALIDARG }, Case { -1, E_INVALIDARG } })
        EXPECT_EQ(tuner->put_Channel(c.channel, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT), c.result) << c.channel;
    LONG channel = 0, video = 0, audio = 0;
    tuner->get_Channel(&channel, &video, &audio);
    EXPECT_EQ(channel, 125); // refused channels leave the tuning alone

    EXPECT_EQ(tuner->put_Mode(AMTUNER_MODE_TV), S_OK);
    EXPECT_EQ(tuner->put_Mode(AMTUNER_MODE_FM_RADIO), E_INVALIDARG);
    LONG inputs = 0;
    tuner->get_NumInputConnections(&inputs);
    EXPECT_EQ(inputs, 2);
    for (LONG i = 0; i < 8; ++i)
        EXPECT_EQ(tuner->put_ConnectInput(i), i < inputs ? S_OK : E_INVALIDARG) << i;
    EXPECT_EQ(tuner->put_InputType(1, TunerInputCable), S_OK);
    EXPECT_EQ(tuner->put_InputType(2, TunerInputCable), E_INVALIDARG);
    TunerInputType type = TunerInputAntenna;
    tuner->get_InputType(1, &type);
    EXPECT_EQ(type, TunerInputCable);

    EXPECT_EQ(tuner->put_CountryCode(41), S_OK);
    LONG country = 0;
    tuner->get_CountryCode(&country);
    EXPECT_EQ(country, 41);
    EXPECT_EQ(query<IAMTuner>(tuner_filter, IID_IAMTuner).p, static_cast<IAMTuner*>(tuner.p));
    EXPECT_FALSE(query<IAMTVTuner>(tuner_filter, IID_IAMTVTunerAlt));
}

TEST_F(Devices, TunerIdentifiersAndReportedCountry)
{
    sim::CaptureCard card;
    card.tuner = sim::TunerInterface::Alternative;
    card.reported_country_code = 1;
    open(card);
    EXPECT_FALSE(tuner);
    auto alternative = query<IAMTVTuner>(tuner_filter, IID_IAMTVTunerAlt);
    ASSERT_TRUE(alternative);
    alternative->put_CountryCode(49);
    LONG country = 0;
    alternative->get_CountryCode(&country);
    EXPECT_EQ(country, 1);
}

TEST_F(Devices, NoTunerAndNoCrossbarMeansNoUpstreamFilters)
{
    sim::CaptureCard card;
    card.tuner = sim::TunerInterface::None;
    card.crossbar.reset();
    open(card);
    EXPECT_FALSE(pin(capture, u"Analog Video In"));
    EXPECT_FALSE(tuner_filter);
}

TEST_F(Devices, TunerWithoutCrossbarFeedsTheCaptureFilterDirectly)
{
    sim::CaptureCard card;
    card.crossbar.reset();
    open(card);
    EXPECT_FALSE(crossbar);
    EXPECT_TRUE(tuner);
}

TEST_F(Devices, CrossbarLayoutAndRoutes)
{
    open(sim::CaptureCard {});
    ASSERT_TRUE(crossbar);
    LONG outputs = 0, inputs = 0;
    ASSERT_EQ(crossbar->get_PinCounts(&outputs, &inputs), S_OK);
    EXPECT_EQ(outputs, 2);
    EXPECT_EQ(inputs, 5);
    const LONG types[] = { PhysConn_Video_Tuner, PhysConn_Video_Composite, PhysConn_Video_SVideo, PhysConn_Audio_Tuner, PhysConn_Audio_Line };
    const LONG related[] = { 3, 4, 4, 0, 1 };
    for (LONG i = 0; i < inputs; ++i) {
        LONG r = -2, t = 0;
        ASSERT_EQ(crossbar->get_CrossbarPinInfo(TRUE, i, &r, &t), S_OK);
        EXPECT_EQ(t, types[i]);
        EXPECT_EQ(r, related[i]);
    }
    LONG r = 0, t = 0;
    crossbar->get_CrossbarPinInfo(FALSE, 1, &r, &t);
    EXPECT_EQ(t, PhysConn_Audio_AudioDecoder);
    EXPECT_EQ(crossbar->get_CrossbarPinInfo(TRUE, 5, &r, &t), E_INVALIDARG);

    LONG routed = -2;
    crossbar->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(routed, 0);
    crossbar->get_IsRoutedTo(1, &routed);
    EXPECT_EQ(routed, 3);
    EXPECT_EQ(crossbar->CanRoute(0, 3), S_FALSE); // audio into video
    EXPECT_EQ(crossbar->Route(0, 3), E_FAIL);
    EXPECT_EQ(crossbar->Route(1, 4), S_OK);
    crossbar->get_IsRoutedTo(1, &routed);
    EXPECT_EQ(routed, 4);
    EXPECT_EQ(crossbar->Route(2, 0), E_INVALIDARG);
    EXPECT_EQ(crossbar->Route(0, -1), S_OK);
    crossbar->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(routed, -1);
}

TEST_F(Devices, CrossbarVariants)
{
    sim::CaptureCard card;
    card.crossbar = sim::Crossbar::without_audio_output();
    card.crossbar->route = sim::RoutePolicy::RefuseAll;
    open(card);
    LONG outputs = 0, inputs = 0;
    crossbar->get_PinCounts(&outputs, &inputs);
    EXPECT_EQ(outputs, 1);
    EXPECT_FALSE(pin(capture, u"Analog Audio In"));
    EXPECT_EQ(crossbar->Route(0, 1), E_FAIL);
    TearDown();

    card.crossbar = sim::Crossbar {};
    card.crossbar->route = sim::RoutePolicy::RefuseAudio;
    card.crossbar->pin_counts_fail = true;
    SetUp();
    open(card);
    EXPECT_EQ(crossbar->get_PinCounts(&outputs, &inputs), E_FAIL);
    EXPECT_EQ(crossbar->Route(0, 1), S_OK);
    EXPECT_EQ(crossbar->Route(1, 4), E_FAIL);
}

TEST_F(Devices, UpstreamWiringLastsWhileTheFilterIsInTheGraph)
{
    open(sim::CaptureCard {});
    EXPECT_TRUE(crossbar);
    tuner.Release();
    crossbar.Release();
    tuner_filter.Release();
    crossbar_filter.Release();
    ASSERT_EQ(graph->RemoveFilter(capture), S_OK);
    EXPECT_FALSE(peer_filter(capture, u"Analog Video In"));
    ASSERT_EQ(graph->AddFilter(capture, nullptr), S_OK);
    EXPECT_TRUE(query<IAMCrossbar>(peer_filter(capture, u"Analog Video In"), IID_IAMCrossbar));
}

TEST_F(Devices, CapturePinInterfacesAndCategories)
{
    sim::CaptureCard card;
    card.preview_pin = false;
    card.filter_pages = { CLSID_SimCrossbar, CLSID_SimTvTuner };
    open(card);
    EXPECT_FALSE(pin(capture, u"Preview"));
    CComPtr<IPin> capture_pin = pin(capture, u"Capture");
    auto properties = query<IKsPropertySet>(capture_pin, IID_IKsPropertySet);
    ASSERT_TRUE(properties);
    GUID category {};
    DWORD returned = 0;
    ASSERT_EQ(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category, &returned), S_OK);
    EXPECT_TRUE(IsEqualGUID(category, PIN_CATEGORY_CAPTURE));
    EXPECT_EQ(returned, sizeof(GUID));
    EXPECT_FALSE(query<IKsPropertySet>(pin(capture, u"Analog Video In"), IID_IKsPropertySet));
    for (REFIID iid : { IID_IAMStreamConfig, IID_IAMVideoCompression, IID_IAMDroppedFrames, IID_IAMStreamControl, IID_ISpecifyPropertyPages })
        EXPECT_TRUE(query<IUnknown>(capture_pin, iid));

    // The stream configuration's pages come from the same pin object.
    auto config = query<IAMStreamConfig>(capture_pin, IID_IAMStreamConfig);
    auto pages = query<ISpecifyPropertyPages>(config, IID_ISpecifyPropertyPages);
    EXPECT_TRUE(pages);

    auto filter_pages = query<ISpecifyPropertyPages>(capture, IID_ISpecifyPropertyPages);
    CAUUID list {};
    ASSERT_EQ(filter_pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 2u);
    EXPECT_TRUE(IsEqualGUID(list.pElems[1], CLSID_SimTvTuner));
    CoTaskMemFree(list.pElems);

    auto tuner_pages = query<ISpecifyPropertyPages>(tuner, IID_ISpecifyPropertyPages);
    ASSERT_EQ(tuner_pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 1u); // the card's own tuner page by default
    EXPECT_TRUE(IsEqualGUID(list.pElems[0], CLSID_SimTunerPage));
    CoTaskMemFree(list.pElems);
}

TEST_F(Devices, StreamConfigFormats)
{
    open(sim::CaptureCard {});
    auto config = query<IAMStreamConfig>(pin(capture, u"Capture"), IID_IAMStreamConfig);
    int count = 0, bytes = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &bytes), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(bytes, static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)));
    VIDEO_STREAM_CONFIG_CAPS caps {};
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(config->GetStreamCaps(1, &type, reinterpret_cast<BYTE*>(&caps)), S_OK);
    EXPECT_TRUE(IsEqualGUID(type->subtype, MEDIASUBTYPE_RGB24));
    EXPECT_EQ(caps.MaxOutputSize.cx, 720);
    DeleteMediaType(type);
    EXPECT_EQ(config->GetStreamCaps(2, &type, reinterpret_cast<BYTE*>(&caps)), S_FALSE);

    dshow::MediaType small = dshow::MediaType::video(MEDIASUBTYPE_YUY2, dshow::make_yuy2_format(352, 288, UNITS / 25));
    EXPECT_EQ(config->SetFormat(&small.get()), S_OK);
    ASSERT_EQ(config->GetFormat(&type), S_OK);
    EXPECT_EQ(dshow::MediaType(*type).video_info()->bmiHeader.biWidth, 352);
    DeleteMediaType(type);
    dshow::MediaType huge = dshow::MediaType::video(MEDIASUBTYPE_YUY2, dshow::make_yuy2_format(1920, 1080, UNITS / 25));
    EXPECT_EQ(config->SetFormat(&huge.get()), VFW_E_INVALIDMEDIATYPE);
    dshow::MediaType sound = dshow::MediaType::audio(dshow::make_pcm_format(44100, 2, 16));
    EXPECT_EQ(config->SetFormat(&sound.get()), VFW_E_INVALIDMEDIATYPE);

    auto audio = query<IAMStreamConfig>(pin(capture, u"Audio"), IID_IAMStreamConfig);
    AUDIO_STREAM_CONFIG_CAPS audio_caps {};
    ASSERT_EQ(audio->GetStreamCaps(0, &type, reinterpret_cast<BYTE*>(&audio_caps)), S_OK);
    EXPECT_EQ(dshow::MediaType(*type).wave_format()->nSamplesPerSec, 44100u);
    EXPECT_EQ(audio_caps.MaximumChannels, 2u);
    DeleteMediaType(type);
}

TEST_F(Devices, InterfaceSwitchesTurnCapturePinInterfacesOff)
{
    sim::CaptureCard card;
    card.stream_config = card.stream_control = card.dropped_frames = card.video_compression = false;
    open(card);
    CComPtr<IPin> capture_pin = pin(capture, u"Capture");
    for (REFIID iid : { IID_IAMStreamConfig, IID_IAMVideoCompression, IID_IAMDroppedFrames, IID_IAMStreamControl, IID_ISpecifyPropertyPages })
        EXPECT_FALSE(query<IUnknown>(capture_pin, iid));
}

class Binding : public CardTest { };

// The FriendlyName in a device's property bag; empty when it cannot be read.
std::u16string friendly_name(IMoniker* device)
{
    CComPtr<IPropertyBag> bag;
    if (!device || device->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)) != S_OK)
        return {};
    VARIANT name;
    VariantInit(&name);
    if (bag->Read(u"FriendlyName", &name, nullptr) != S_OK)
        return {};
    std::u16string text(name.bstrVal);
    VariantClear(&name);
    return text;
}

TEST_F(Binding, FailureSwitches)
{
    sim::CaptureCard first_binds_fail;
    first_binds_fail.name = u"Flaky";
    first_binds_fail.fail_first_binds = 2;
    sim::CaptureCard busy;
    busy.name = u"Busy";
    busy.busy_while_open = true;
    sim::CaptureCard broken;
    broken.name = u"Broken";
    broken.always_fail_bind = true;
    sim::CaptureCard nameless;
    nameless.name_readable = false;
    sim::install_cards({ first_binds_fail, busy, broken, nameless });

    CComPtr<IBaseFilter> filter;
    EXPECT_TRUE(FAILED(bind(0, &filter)));
    EXPECT_TRUE(FAILED(bind(0, &filter)));
    EXPECT_EQ(bind(0, &filter), S_OK);
    EXPECT_EQ(sim::card_binds(0), 3);
    filter.Release();

    CComPtr<IBaseFilter> held, second;
    ASSERT_EQ(bind(1, &held), S_OK);
    EXPECT_EQ(bind(1, &second), HRESULT_FROM_WIN32(170));
    EXPECT_EQ(sim::card_filters_alive(1), 1);
    held.Release();
    EXPECT_EQ(sim::card_filters_alive(1), 0);
    EXPECT_EQ(bind(1, &second), S_OK);
    second.Release();

    EXPECT_TRUE(FAILED(bind(2, &filter)));

    CComPtr<IMoniker> device = moniker(3);
    CComPtr<IPropertyBag> bag;
    EXPECT_TRUE(FAILED(device->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))));
    EXPECT_EQ(bind(3, &filter), S_OK);
}

TEST_F(Binding, MachineFromHardwareFileInTheHome)
{
    {
        std::ofstream file(sim::hardware_file_path());
        file << R"({ "capture_cards": [
            { "name": "Sim Tuner Card", "tuner": "both", "channels": [1, 99], "stations": [3, 4],
              "crossbar": { "inputs": [ { "type": 2, "related": 1 }, { "type": 4097, "related": 0 } ],
                            "outputs": [ { "type": 12, "related": 1 }, { "type": 4105, "related": 0 } ],
                            "route": "refuse_audio" },
              "preview_pin": false, "width": 640, "height": 480, "fps": 30, "fail_first_binds": 7,
              "filter_pages": ["{5A3C0003-6F1D-4E21-9B30-514D43415244}"] },
            { "name": "Plain Capture", "tuner": "none", "crossbar": "none", "audio_pin": false } ] })";
    }
    std::string error;
    ASSERT_TRUE(sim::install_machine(&error)) << error;
    std::remove(sim::hardware_file_path().c_str());

    auto cards = sim::load_hardware(sim::hardware_file_path());
    EXPECT_FALSE(cards);

    EXPECT_EQ(friendly_name(moniker(1)), u"Plain Capture");
    EXPECT_FALSE(moniker(2));
}

TEST(HardwareFile, ParsesEveryFieldAndRejectsMistakes)
{
    auto cards = sim::parse_hardware(R"({ "capture_cards": [
        { "name": "Sim Tuner Card", "tuner": "alternative", "channels": [1, 99], "stations": [3, 4],
          "country_code": 41, "reported_country_code": 1, "tuner_inputs": 1,
          "crossbar": "no_audio_output", "private_crossbar": true, "mpeg2": true, "preview_pin": false, "rgb": true, "audio_rate": 48000, "audio_channels": 1,
          "stream_control": false, "drop_every": 20, "busy_while_open": true, "run_fails": true, "stop_fails": true,
          "name_readable": false, "always_fail_bind": true, "fail_first_binds": 8,
          "tuner_pages": ["{5A3C0002-6F1D-4E21-9B30-514D43415244}"], "filter_pages": ["video_input", "tuner"],
          "stream_pages": [], "filter_specifies_pages": false,
          "tuner_page": { "title": "TV Tuner", "button": "Enter", "edit": false },
          "bt848": { "module": "bt848_32.dll", "tuner_address": 198, "fine_offset": -3 } },
        {} ] })");
    ASSERT_TRUE(cards);
    ASSERT_EQ(cards->size(), 2u);
    const sim::CaptureCard& card = cards->front();
    EXPECT_EQ(card.name, u"Sim Tuner Card");
    EXPECT_EQ(card.tuner, sim::TunerInterface::Alternative);
    EXPECT_EQ(card.channel_min, 1);
    EXPECT_EQ(card.channel_max, 99);
    EXPECT_TRUE(card.has_station(4));
    EXPECT_FALSE(card.has_station(5));
    EXPECT_EQ(card.reported_country_code, 1);
    ASSERT_TRUE(card.crossbar);
    EXPECT_EQ(card.crossbar->outputs.size(), 1u);
    EXPECT_TRUE(card.private_crossbar);
    EXPECT_TRUE(card.mpeg2);
    EXPECT_FALSE(card.preview_pin);
    EXPECT_TRUE(card.rgb);
    EXPECT_EQ(card.audio_channels, 1);
    EXPECT_FALSE(card.stream_control);
    EXPECT_EQ(card.drop_every, 20);
    EXPECT_TRUE(card.busy_while_open && card.run_fails && card.stop_fails && card.always_fail_bind);
    EXPECT_FALSE(card.name_readable);
    EXPECT_EQ(card.fail_first_binds, 8);
    ASSERT_EQ(card.tuner_pages.size(), 1u);
    EXPECT_TRUE(IsEqualGUID(card.tuner_pages[0], CLSID_SimTvTuner));
    ASSERT_EQ(card.filter_pages.size(), 2u);
    EXPECT_TRUE(IsEqualGUID(card.filter_pages[0], CLSID_SimVideoInputPage));
    EXPECT_TRUE(IsEqualGUID(card.filter_pages[1], CLSID_SimTunerPage));
    EXPECT_TRUE(card.stream_pages.empty());
    ASSERT_EQ(card.crossbar_pages.size(), 1u); // not given: the default stays
    EXPECT_FALSE(card.filter_specifies_pages);
    EXPECT_EQ(card.tuner_page.title, "TV Tuner");
    EXPECT_EQ(card.tuner_page.button, "Enter");
    EXPECT_FALSE(card.tuner_page.edit);
    ASSERT_TRUE(card.bt848);
    EXPECT_EQ(card.bt848->module, "bt848_32.dll");
    EXPECT_EQ(card.bt848->tuner_address, 0xC6);
    EXPECT_EQ(card.bt848->fine_offset, -3);
    EXPECT_FALSE(cards->back().bt848);
    EXPECT_EQ(cards->back().name, u"Sim TV Card"); // defaults
    EXPECT_EQ(cards->back().tuner_page.title, "TVTuner Property Page");
    EXPECT_TRUE(cards->back().has_station(125));

    const char* mistakes[] = {
        R"({ "capture_cards": [ { "nmae": "x" } ] })",
        R"({ "capture_cards": [ { "tuner": "radio" } ] })",
        R"({ "capture_cards": [ { "preview_pin": 1 } ] })",
        R"({ "capture_cards": [ { "channels": [9, 2] } ] })",
        R"({ "capture_cards": [ { "crossbar": { "route": "sometimes" } } ] })",
        R"({ "capture_cards": [ { "filter_pages": ["not a guid"] } ] })",
        R"({ "capture_cards": [ { "tuner_page": { "colour": "red" } } ] })",
        R"({ "capture_cards": [ { "tuner_page": { "edit": "yes" } } ] })",
        R"({ "capture_cards": [ { "fps": 0 } ] })",
        R"({ "capture_cards": [ { "bt848": { "module": "bt878_32.dll" } } ] })",
        R"({ "capture_cards": [ { "bt848": { "tuner_address": 195 } } ] })",
        R"({ "capture_cards": [ { "bt848": { "tuner_address": 300 } } ] })",
        R"({ "capture_cards": [ { "bt848": { "fine_offset": 41 } } ] })",
        R"({ "cards": [] })",
        R"({ "capture_cards": [ )",
    };
    for (const char* text : mistakes) {
        std::string error;
        EXPECT_FALSE(sim::parse_hardware(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// Each bad field is refused with a message naming it and its line, before anything is built.
TEST(HardwareFile, OutOfRangeFieldsAreRefusedWithTheirPathAndLine)
{
    std::string thirty_three_pins;
    for (int i = 0; i < 33; ++i)
        thirty_three_pins += std::string(i ? "," : "") + R"({ "type": 1 })";
    struct Case {
        std::string card;       // the card's fields, on the description's third line
        std::string message;    // what the reason must say
    } cases[] = {
        { R"("width": 4294968016)", "line 3: capture_cards[0].width: 4294968016 is out of range (32 to 4096)" },
        { R"("width": -720)", "capture_cards[0].width: -720 is out of range" },
        { R"("height": 18446744073709551615)", "capture_cards[0].height: 18446744073709551615 is out of range" },
        { R"("width": 720.5)", "capture_cards[0].width: must be a whole number" },
        { R"("tuner_inputs": 2147483647)", "capture_cards[0].tuner_inputs: 2147483647 is out of range (0 to 16)" },
        { R"("audio_rate": 4294967296)", "capture_cards[0].audio_rate: 4294967296 is out of range" },
        { R"("audio_channels": 65538)", "capture_cards[0].audio_channels: 65538 is out of range (1 to 2)" },
        { R"("fail_first_binds": 4294967297)", "capture_cards[0].fail_first_binds: 4294967297 is out of range" },
        { R"("channels": [2, 4294967298])", "line 3: capture_cards[0].channels[1]: 4294967298 is out of range (0 to 300)" },
        { R"("stations": [1, 2, -3])", "capture_cards[0].stations[2]: -3 is out of range" },
        { R"("country_code": 99999999999)", "capture_cards[0].country_code: 99999999999 is out of range" },
        { R"("drop_every": -1)", "capture_cards[0].drop_every: -1 is out of range" },
        { R"("crossbar": { "inputs": [ { "type": 1, "related": 5 } ] })",
            "capture_cards[0].crossbar.inputs[0].related: 5 is out of range (-1 to 0)" },
        { R"("crossbar": { "outputs": [ { "type": 4294967296 } ] })", "capture_cards[0].crossbar.outputs[0].type: 4294967296 is out of range" },
        { R"("crossbar": { "inputs": [ )" + thirty_three_pins + " ] }",
            "capture_cards[0].crossbar.inputs: holds 33 items; at most 32 are allowed" },
        { R"("filter_pages": ["tuner", 7])", "capture_cards[0].filter_pages[1]: must be text" },
        { R"("name": ")" + std::string(300, 'n') + "\"", "capture_cards[0].name: is longer than 255 bytes" },
        { R"("tuner": 3)", "capture_cards[0].tuner: unknown value 3" },
    };
    for (const Case& c : cases) {
        std::string text = "{\n  \"capture_cards\": [\n    { " + c.card + " }\n  ]\n}\n";
        std::string error;
        EXPECT_FALSE(sim::parse_hardware(text, &error)) << c.card;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }

    // Too many cards, nesting too deep, and a syntax error with its line.
    std::string many = "{ \"capture_cards\": [";
    for (int i = 0; i < 17; ++i)
        many += std::string(i ? "," : "") + "{}";
    std::string error;
    EXPECT_FALSE(sim::parse_hardware(many + "] }", &error));
    EXPECT_NE(error.find("capture_cards: holds 17 items; at most 16 are allowed"), std::string::npos) << error;
    EXPECT_FALSE(sim::parse_hardware(std::string(100000, '[') + std::string(100000, ']'), &error));
    EXPECT_NE(error.find("nested more than"), std::string::npos) << error;
    EXPECT_FALSE(sim::parse_hardware("{\n \"capture_cards\": [\n {}\n\n", &error));
    EXPECT_EQ(error.rfind("line 5: ", 0), 0u) << error;
}

TEST_F(Binding, UnusableHardwareFileIsReportedAndTheDefaultMachineRuns)
{
    std::ofstream(sim::hardware_file_path()) << "{ \"capture_cards\": [\n  { \"name\": \"Wide\",\n    \"width\": 4294968016 } ] }\n";
    testing::internal::CaptureStderr();
    std::string error;
    EXPECT_FALSE(sim::install_machine(&error));
    std::string reported = testing::internal::GetCapturedStderr();
    std::remove(sim::hardware_file_path().c_str());
    EXPECT_EQ(error, sim::hardware_file_path() + ": line 3: capture_cards[0].width: 4294968016 is out of range (32 to 4096)");
    EXPECT_NE(reported.find(error), std::string::npos) << reported;

    EXPECT_EQ(friendly_name(moniker(0)), u"Sim TV Card");
    EXPECT_FALSE(moniker(1));
}

TEST_F(Binding, DefaultMachineWithoutHardwareFile)
{
    EXPECT_TRUE(sim::install_machine());
    CComPtr<IBaseFilter> filter;
    ASSERT_EQ(bind(0, &filter), S_OK);
    CLSID clsid {};
    filter->GetClassID(&clsid);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_SimCaptureFilter));
    EXPECT_FALSE(moniker(1));
}

}
