#include "EncoderFixture.h"

#include <dshow/VideoRenderer.h>
#include <gdi/Surface.h>
#include <user/User.h>

#include "PlainWindow.h"

namespace encoder_test {

namespace {

constexpr char16_t kEmailProfile[] = u"Video for e-mail and dual-channel ISDN (128 Kbps)";
constexpr char16_t kRadioProfile[] = u"Audio for FM radio quality for dial-up modems (28.8 Kbps stereo)";

void set_display(IWMEncoder* encoder)
{
    CComPtr<IWMEncDisplayInfo> info;
    encoder->get_DisplayInfo(&info);
    auto put = [&](HRESULT (STDMETHODCALLTYPE IWMEncDisplayInfo::*member)(BSTR), const char16_t* text) {
        BSTR b = SysAllocString(text);
        EXPECT_EQ((info->*member)(b), S_OK);
        SysFreeString(b);
    };
    put(&IWMEncDisplayInfo::put_Title, u"News at eight");
    put(&IWMEncDisplayInfo::put_Author, u"Channel 5");
    put(&IWMEncDisplayInfo::put_Copyright, u"(c) Channel 5");
    put(&IWMEncDisplayInfo::put_Description, u"The evening news");
    put(&IWMEncDisplayInfo::put_Rating, u"G");
    CComPtr<IWMEncAttributes> attributes;
    encoder->get_Attributes(&attributes);
    BSTR name = SysAllocString(u"Recorded by");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(u"Orbivane");
    EXPECT_EQ(attributes->Add(name, value), S_OK);
    VariantClear(&value);
    SysFreeString(name);
}

}

TEST_F(EncoderTest, RecordsPictureAndSoundAtTheProfilesFormatWithTheDisplayInformation)
{
    std::string file = path("news.wmv");
    Setup s = make_encoder(true, kEmailProfile, file);
    set_display(s.encoder);
    s.encoder->put_EnableAutoArchive(VARIANT_FALSE);
    ASSERT_EQ(s.encoder->PrepareToEncode(VARIANT_TRUE), S_OK) << base::to_utf8(error_description());
    std::int64_t start = base::Clock::ticks_ms();
    ASSERT_EQ(s.encoder->Start(), S_OK);
    ASSERT_EQ(s.encoder->Archive(WMENC_ARCHIVE_LOCAL, WMENC_ARCHIVE_START), S_OK);
    LONG state = 0;
    s.encoder->get_RunState(&state);
    EXPECT_EQ(state, WMENC_ENCODER_RUNNING);
    run_until(start, 3000);
    ASSERT_EQ(s.encoder->Stop(), S_OK);
    double recorded = (base::Clock::ticks_ms() - start) / 1000.0;
    s.encoder->get_RunState(&state);
    EXPECT_EQ(state, WMENC_ENCODER_STOPPED);

    // The statistics hold the file's final values.
    LONG bytes = archived(s.encoder, true);
    EXPECT_EQ(bytes, static_cast<LONG>(std::filesystem::file_size(file)));
    EXPECT_NEAR(archived(s.encoder, false) / 1000.0, recorded, 0.5);

    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto video = test_support::ffprobe(file, "v", "stream=codec_name,width,height", false);
    EXPECT_EQ(video["codec_name"], "wmv2");
    EXPECT_EQ(video["width"], "320");
    EXPECT_EQ(video["height"], "240");
    auto audio = test_support::ffprobe(file, "a", "stream=codec_name,sample_rate,channels", false);
    EXPECT_EQ(audio["codec_name"], "wmav2");
    EXPECT_EQ(audio["sample_rate"], "22050");
    EXPECT_EQ(audio["channels"], "2");
    auto format = test_support::ffprobe(file, "a", "format=duration,nb_streams:format_tags", false);
    EXPECT_EQ(format["nb_streams"], "2");
    EXPECT_NEAR(std::stod(format["duration"]), recorded, 0.5);
    EXPECT_EQ(format["TAG:title"], "News at eight");
    EXPECT_EQ(format["TAG:artist"], "Channel 5"); // the author, as the reader names it
    EXPECT_EQ(format["TAG:copyright"], "(c) Channel 5");
    EXPECT_EQ(format["TAG:comment"], "The evening news");
    EXPECT_EQ(format["TAG:rating"], "G");
    EXPECT_EQ(format["TAG:Recorded by"], "Orbivane");
}

TEST_F(EncoderTest, SoundOnlyRecordsOneAudioStream)
{
    std::string file = path("radio.wma");
    Setup s = make_encoder(false, kRadioProfile, file);
    std::int64_t start = base::Clock::ticks_ms();
    ASSERT_EQ(s.encoder->Start(), S_OK) << base::to_utf8(error_description()); // prepares and archives by itself
    run_until(start, 2000);
    ASSERT_EQ(s.encoder->Stop(), S_OK);
    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto format = test_support::ffprobe(file, "a", "format=nb_streams:stream=codec_name", false);
    EXPECT_EQ(format["nb_streams"], "1");
    EXPECT_EQ(format["codec_name"], "wmav2");
}

// The program calls the objects by their positions in the tables; so does this test.
TEST_F(EncoderTest, MethodsSitAtTheirTablePositions)
{
    auto slot = [](void* object, int index) { return (*reinterpret_cast<void***>(object))[index]; };
    using Get = HRESULT (*)(void*, void*);
    using PutBool = HRESULT (*)(void*, VARIANT_BOOL);

    CComPtr<IWMEncoder> encoder;
    ASSERT_EQ(CoCreateInstance(CLSID_WMEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncoder, reinterpret_cast<void**>(&encoder)), S_OK);
    LONG state = 0;
    EXPECT_EQ(reinterpret_cast<Get>(slot(encoder, 35))(encoder, &state), S_OK);
    EXPECT_EQ(state, WMENC_ENCODER_STOPPED);
    EXPECT_EQ(reinterpret_cast<PutBool>(slot(encoder, 45))(encoder, VARIANT_TRUE), S_OK);
    VARIANT_BOOL on = 0;
    encoder->get_AutoIndex(&on);
    EXPECT_EQ(on, VARIANT_TRUE);
    EXPECT_EQ(reinterpret_cast<PutBool>(slot(encoder, 20))(encoder, 1), E_INVALIDARG) << "only automation booleans";

    IWMEncProfileCollection* profiles = nullptr;
    EXPECT_EQ(reinterpret_cast<Get>(slot(encoder, 34))(encoder, &profiles), S_OK);
    ASSERT_TRUE(profiles);
    LONG count = 0;
    EXPECT_EQ(reinterpret_cast<Get>(slot(profiles, 8))(profiles, &count), S_OK);
    EXPECT_GE(count, 3);
    IWMEncProfile* profile = nullptr;
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, LONG, void*)>(slot(profiles, 12))(profiles, 0, &profile), S_OK);
    BSTR name = nullptr;
    EXPECT_EQ(reinterpret_cast<Get>(slot(profile, 7))(profile, &name), S_OK);
    EXPECT_EQ(std::u16string(name), u"Video for single-channel ISDN (64 Kbps)");
    SysFreeString(name);
    profile->Release();
    profiles->Release();

    IWMEncSourceGroupCollection* groups = nullptr;
    EXPECT_EQ(reinterpret_cast<Get>(slot(encoder, 26))(encoder, &groups), S_OK);
    IWMEncSourceGroup* group = nullptr;
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, const OLECHAR*, void*)>(slot(groups, 11))(groups, u"SG_1", &group), S_OK);
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, void*)>(slot(groups, 15))(groups, group), S_OK);
    IWMEncSource* source = nullptr;
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, LONG, void*)>(slot(group, 11))(group, WMENC_VIDEO, &source), S_OK);
    SHORT sources = 0;
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, LONG, SHORT*)>(slot(group, 9))(group, WMENC_VIDEO, &sources), S_OK);
    EXPECT_EQ(sources, 1);
    IWMEncVideoSource* video = nullptr;
    ASSERT_EQ(source->QueryInterface(IID_IWMEncVideoSource, reinterpret_cast<void**>(&video)), S_OK);
    using SetInput = HRESULT (*)(void*, const OLECHAR*, const OLECHAR*, const OLECHAR*);
    EXPECT_EQ(reinterpret_cast<SetInput>(slot(video, 8))(video, u"DEVICE://Default_Video_Device", u"", u""), S_OK);
    IWMEncDataViewCollection* previews = nullptr;
    EXPECT_EQ(reinterpret_cast<Get>(slot(video, 19))(video, &previews), S_OK);
    ASSERT_TRUE(previews);
    IWMEncDataView* view = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_WMEncPreview, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncDataView, reinterpret_cast<void**>(&view)), S_OK);
    LONG cookie = -1;
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, void*, LONG*)>(slot(previews, 10))(previews, view, &cookie), S_OK);
    EXPECT_GE(cookie, 0);
    HWND none = nullptr;
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, LONG, DWORD, BYTE*)>(slot(view, 3))(view, cookie, sizeof none, reinterpret_cast<BYTE*>(&none)), S_OK);
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, LONG)>(slot(view, 9))(view, cookie), E_UNEXPECTED) << "nothing prepared yet";
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I2;
    index.iVal = 0;
    EXPECT_EQ(reinterpret_cast<HRESULT (*)(void*, LONG, VARIANT)>(slot(group, 12))(group, WMENC_VIDEO, index), S_OK);
    group->get_SourceCount(WMENC_VIDEO, &sources);
    EXPECT_EQ(sources, 0);
    for (IUnknown* p : std::initializer_list<IUnknown*> { view, previews, video, source, group, groups })
        p->Release();
}

// A new preview view in the video source's collection, with its cookie.
CComPtr<IWMEncDataView> add_view(EncoderTest::Setup& s, LONG& cookie)
{
    CComPtr<IWMEncVideoSource> video;
    s.video->QueryInterface(IID_IWMEncVideoSource, reinterpret_cast<void**>(&video));
    CComPtr<IWMEncDataViewCollection> previews;
    video->get_PreviewCollection(&previews);
    CComPtr<IWMEncDataView> view;
    CoCreateInstance(CLSID_WMEncPreview, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncDataView, reinterpret_cast<void**>(&view));
    if (previews->Add(view, &cookie) != S_OK)
        view.Release();
    return view;
}

struct PrepareFailure {
    const char* what;
    std::function<void(EncoderTest::Setup&, const std::string& folder)> spoil;
    std::u16string description;
};

TEST_F(EncoderTest, APrepareThatCannotWorkFailsWithADescriptionAndWritesNothing)
{
    const PrepareFailure cases[] = {
        { "no profile", [](Setup&, const std::string&) {}, u"No profile has been set for the source group \"SG_1\"." },
        { "an output file in a folder that does not exist",
            [](Setup& s, const std::string& folder) {
                CComPtr<IWMEncFile> out;
                s.encoder->get_File(&out);
                out->put_LocalFileName(base::to_utf16(base::to_windows_path(folder + "/missing/x.wmv")).c_str());
                set_profile(s.encoder, s.group, kEmailProfile);
            },
            u"The output file \"" + base::to_utf16(base::to_windows_path(folder + "/missing/x.wmv")) + u"\" cannot be written." },
        { "a busy video device",
            [](Setup& s, const std::string&) {
                sim::CaptureCard busy;
                busy.always_fail_bind = true;
                sim::install_cards({ busy });
                set_profile(s.encoder, s.group, kEmailProfile);
            },
            u"The video device \"Sim TV Card\" cannot be opened." },
        { "a picture-only profile without a video source",
            [](Setup& s, const std::string&) {
                CComPtr<IWMEncSourceGroup> g = s.group;
                VARIANT index;
                VariantInit(&index);
                index.vt = VT_I2;
                index.iVal = 0;
                g->RemoveSource(WMENC_VIDEO, index);
                set_profile(s.encoder, s.group, u"Video only for LAN (500 Kbps)");
            },
            u"The profile \"Video only for LAN (500 Kbps)\" records none of the source group's sources." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = path("failed.wmv");
        {
            Setup s = make_encoder(true, nullptr, file);
            c.spoil(s, folder);
            EXPECT_TRUE(FAILED(s.encoder->PrepareToEncode(VARIANT_TRUE)));
            EXPECT_EQ(error_description(), c.description);
            EXPECT_TRUE(FAILED(s.encoder->Start()));
            SetErrorInfo(0, nullptr);
        }
        EXPECT_FALSE(std::filesystem::exists(file));
        sim::install_cards({ sim::CaptureCard {} });
    }
}

TEST_F(EncoderTest, AnInputMustNameADeviceOfItsKind)
{
    Setup s = make_encoder(true, nullptr, path("x.wmv"));
    const std::pair<const char16_t*, HRESULT> inputs[] = {
        { u"DEVICE://Sim TV Card", S_OK },
        { u"device://sim tv card", S_OK },
        { u"DEVICE://Default_Video_Device", S_OK },
        { u"DEVICE://No Such Card", E_INVALIDARG },
        { u"DEVICE://Virtual Sound Card", E_INVALIDARG }, // a wave-in device is no video device
        { u"FILE://news.avi", E_INVALIDARG },
    };
    for (const auto& [input, result] : inputs)
        EXPECT_EQ(s.video->SetInput(input, u"", u""), result) << base::to_utf8(input);
    EXPECT_EQ(s.audio->SetInput(u"DEVICE://Virtual Sound Card", u"", u""), S_OK);
    EXPECT_EQ(s.audio->SetInput(u"DEVICE://Sim TV Card", u"", u""), E_INVALIDARG);
    EXPECT_EQ(error_description(), u"There is no audio device \"Sim TV Card\".");
}

TEST_F(EncoderTest, TheIndexerReportsItsProgressAfterStopAndTheStatisticsKeepAnswering)
{
    Setup s = make_encoder(true, kEmailProfile, path("indexed.wmv"));
    s.encoder->put_AutoIndex(VARIANT_TRUE);
    LONG state = -1;
    s.encoder->get_IndexerState(&state);
    EXPECT_EQ(state, WMENC_INDEXER_IDLE);
    CComPtr<IWMEncStatistics> stats;
    s.encoder->get_Statistics(&stats);
    std::int64_t start = base::Clock::ticks_ms();
    ASSERT_EQ(s.encoder->Start(), S_OK);
    run_until(start, 1000);
    ASSERT_EQ(s.encoder->Stop(), S_OK);
    LONG size = archived(s.encoder, true);
    EXPECT_GT(size, 0);

    CComPtr<IDispatch> any;
    stats->get_IndexerStats(&any);
    CComPtr<IWMEncIndexerStats> indexer;
    ASSERT_EQ(any->QueryInterface(IID_IWMEncIndexerStats, reinterpret_cast<void**>(&indexer)), S_OK);
    LONG files = 0;
    LONG percent = -1;
    s.encoder->get_IndexerState(&state);
    indexer->get_FileCount(&files);
    indexer->get_PercentComplete(&percent);
    EXPECT_EQ(state, WMENC_INDEXER_RUNNING);
    EXPECT_EQ(files, 1);
    EXPECT_EQ(percent, 0);
    Sleep(60);
    indexer->get_PercentComplete(&percent);
    EXPECT_GT(percent, 0);
    EXPECT_LT(percent, 100);
    Sleep(1000);
    s.encoder->get_IndexerState(&state);
    indexer->get_FileCount(&files);
    EXPECT_EQ(state, WMENC_INDEXER_FINISHED);
    EXPECT_EQ(files, 0);
    EXPECT_EQ(archived(s.encoder, true), size);
}

TEST_F(EncoderTest, ACardWithoutAPreviewPinIsPreviewedThroughASmartTee)
{
    sim::CaptureCard card;
    card.preview_pin = false;
    sim::install_cards({ card });
    HWND parent = plain_window("video");
    Setup s = make_encoder(true, kEmailProfile, path("tee.wmv"));
    LONG cookie = -1;
    CComPtr<IWMEncDataView> view = add_view(s, cookie);
    ASSERT_EQ(s.encoder->PrepareToEncode(VARIANT_TRUE), S_OK);
    view->SetViewProperties(cookie, sizeof parent, reinterpret_cast<BYTE*>(&parent));
    std::int64_t start = base::Clock::ticks_ms();
    ASSERT_EQ(s.encoder->Start(), S_OK);
    ASSERT_EQ(view->StartView(cookie), S_OK);
    HWND renderer = FindWindowExA(parent, nullptr, "VideoRenderer", "ActiveMovie Window");
    ASSERT_TRUE(renderer);
    run_until(start, 1000);
    EXPECT_GE(archived(s.encoder, false), 500) << "the capture stream still reaches the file";
    ASSERT_EQ(s.encoder->Stop(), S_OK);
    DestroyWindow(parent);
}

TEST_F(EncoderTest, ThePreviewIsAChildOfTheGivenWindowAndKeepsShowingWhenMovedToTheDesktop)
{
    HWND parent = plain_window("video");
    SetWindowPos(parent, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    Setup s = make_encoder(true, kEmailProfile, path("preview.wmv"));
    LONG cookie = -1;
    CComPtr<IWMEncDataView> view = add_view(s, cookie);
    ASSERT_TRUE(view);
    ASSERT_EQ(s.encoder->PrepareToEncode(VARIANT_TRUE), S_OK);
    EXPECT_EQ(view->SetViewProperties(cookie, 4, reinterpret_cast<BYTE*>(&parent)), E_INVALIDARG) << "half a handle";
    ASSERT_EQ(view->SetViewProperties(cookie, sizeof parent, reinterpret_cast<BYTE*>(&parent)), S_OK);
    std::int64_t start = base::Clock::ticks_ms();
    ASSERT_EQ(s.encoder->Start(), S_OK);
    ASSERT_EQ(view->StartView(cookie), S_OK);

    HWND renderer = FindWindowExA(parent, nullptr, "VideoRenderer", "ActiveMovie Window");
    ASSERT_TRUE(renderer);
    EXPECT_TRUE(IsWindowVisible(renderer));
    RECT area {};
    GetClientRect(renderer, &area);
    RECT parent_area {};
    GetClientRect(parent, &parent_area);
    EXPECT_EQ(area.right, parent_area.right);
    EXPECT_EQ(area.bottom, parent_area.bottom);

    // Full screen moves it to the desktop; it goes on showing the card's picture.
    SetParent(renderer, nullptr);
    SetWindowLongA(renderer, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    run_until(start, 1000);
    UpdateWindow(renderer);
    gdi::Surface shown(1, 1);
    EXPECT_TRUE(dshow::copy_video_picture(renderer, shown));
    EXPECT_TRUE(view->StopView(cookie) == S_OK);
    EXPECT_FALSE(IsWindowVisible(renderer));
    ASSERT_EQ(view->StartView(cookie), S_OK);
    EXPECT_EQ(GetParent(renderer), nullptr) << "a later start leaves the window where the program put it";
    ASSERT_EQ(s.encoder->Stop(), S_OK);
    EXPECT_FALSE(IsWindow(renderer));
    DestroyWindow(parent);
}

}
