// The virtual cards' own property pages, shown in a property frame and acting on the card.

#include <CardFixture.h>

#include <base/Text.h>
#include <dshow/Testing.h>
#include <sim/PropertyPages.h>
#include <user/CommonControls.h>
#include <user/Controls.h>
#include <user/Dialogs.h>

namespace {

using namespace card_test;

class Pages : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        dshow::testing::reset();
    }
    void open(const sim::CaptureCard& card)
    {
        sim::install_cards({ card });
        graph = make_graph();
        ASSERT_EQ(bind(0, &capture), S_OK);
        ASSERT_EQ(graph->AddFilter(capture, nullptr), S_OK);
        crossbar_filter = peer_filter(capture, u"Analog Video In");
        crossbar = query<IAMCrossbar>(crossbar_filter, IID_IAMCrossbar);
        CComPtr<IBaseFilter> tuner_filter = peer_filter(crossbar_filter, u"Video Tuner In");
        tuner = query<IAMTVTuner>(tuner_filter, IID_IAMTVTuner);
    }
    void TearDown() override
    {
        tuner.Release();
        crossbar.Release();
        crossbar_filter.Release();
        capture.Release();
        graph.Release();
        dshow::testing::reset();
        CardTest::TearDown();
    }

    // Shows `object`'s pages; `drive` acts on the first page's dialog and closes the frame.
    void show(IUnknown* object, const std::function<void(HWND frame, HWND page)>& drive)
    {
        auto specify = query<ISpecifyPropertyPages>(object, IID_ISpecifyPropertyPages);
        ASSERT_TRUE(specify);
        CAUUID pages {};
        ASSERT_EQ(specify->GetPages(&pages), S_OK);
        dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
            HWND inner = FindWindowExA(f.frame, nullptr, "#32770", "");
            drive(f.frame, FindWindowExA(inner, nullptr, "#32770", ""));
        });
        EXPECT_EQ(OleCreatePropertyFrame(nullptr, 0, 0, u"Card", 1, &object, pages.cElems, pages.pElems, 0, 0, nullptr), S_OK);
        CoTaskMemFree(pages.pElems);
    }
    static std::vector<std::string> items(HWND page, int id)
    {
        std::vector<std::string> list;
        auto count = SendDlgItemMessageA(page, id, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[64] = {};
            SendDlgItemMessageA(page, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            list.push_back(text);
        }
        return list;
    }
    static void choose(HWND page, int id, int index)
    {
        SendDlgItemMessageA(page, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    LONG channel()
    {
        LONG value = 0, video = 0, audio = 0;
        tuner->get_Channel(&value, &video, &audio);
        return value;
    }

    ComScope com_scope;
    CComPtr<IGraphBuilder> graph;
    CComPtr<IBaseFilter> capture, crossbar_filter;
    CComPtr<IAMCrossbar> crossbar;
    CComPtr<IAMTVTuner> tuner;
};

TEST_F(Pages, TheTunerPageTunesAtOnceWithItsButtonAndOnApplyFromItsEdit)
{
    open(sim::CaptureCard {});
    ASSERT_TRUE(tuner);
    tuner->put_Channel(5, -1, -1);
    show(tuner, [&](HWND frame, HWND page) {
        EXPECT_EQ(items(page, sim::kTunerPageInputType), (std::vector<std::string> { "Antenna", "Cable" }));
        EXPECT_EQ(GetDlgItemInt(page, sim::kTunerPageChannel, nullptr, TRUE), 5u);
        SetDlgItemTextA(page, sim::kTunerPageChannel, "9");
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(sim::kTunerPageSet, BN_CLICKED), 0);
        EXPECT_EQ(channel(), 9); // at once
        SetDlgItemTextA(page, sim::kTunerPageChannel, "11");
        dshow::testing::close_property_frame(frame, IDCANCEL);
    });
    EXPECT_EQ(channel(), 9); // Cancel applies nothing more

    show(tuner, [&](HWND frame, HWND page) {
        SetDlgItemTextA(page, sim::kTunerPageChannel, "500"); // out of range: refused
        choose(page, sim::kTunerPageInputType, 1);
        dshow::testing::close_property_frame(frame, IDOK);
    });
    EXPECT_EQ(channel(), 9);
    TunerInputType type = TunerInputAntenna;
    tuner->get_InputType(1, &type);
    EXPECT_EQ(type, TunerInputCable);
}

TEST_F(Pages, TheTunerPageFollowsTheCardsStyle)
{
    sim::CaptureCard card;
    card.tuner_page = { "TVTuner property page", "Enter", false };
    open(card);
    show(tuner, [&](HWND frame, HWND page) {
        EXPECT_FALSE(FindWindowExA(page, nullptr, "Edit", nullptr));
        EXPECT_TRUE(FindWindowExA(page, nullptr, "Button", "Enter"));
        EXPECT_FALSE(FindWindowExA(page, nullptr, "Button", "Set"));
        EXPECT_TRUE(FindWindowExA(page, nullptr, "ComboBox", nullptr));
        dshow::testing::close_property_frame(frame, IDOK);
    });
    EXPECT_EQ(dshow::testing::property_frame_journal().at(0).frame.tabs,
        std::vector<std::string> { "TVTuner property page" });
}

TEST_F(Pages, TheVideoInputPageRoutesTheChosenInputWithItsSound)
{
    open(sim::CaptureCard {});
    ASSERT_EQ(crossbar->Route(0, 0), S_OK);
    for (IUnknown* object : { static_cast<IUnknown*>(crossbar.p), static_cast<IUnknown*>(capture.p) }) {
        ASSERT_EQ(crossbar->Route(0, 0), S_OK);
        show(object, [&](HWND frame, HWND page) {
            HWND combo = GetDlgItem(page, sim::kVideoInputPageInputs);
            EXPECT_EQ(GetDlgCtrlID(FindWindowExA(page, nullptr, "ComboBox", nullptr)), 1004);
            EXPECT_EQ(items(page, sim::kVideoInputPageInputs), (std::vector<std::string> { "TV", "Composite", "S-Video" }));
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0); // routed now
            choose(page, sim::kVideoInputPageInputs, 2);
            dshow::testing::close_property_frame(frame, IDOK);
        });
        LONG video = -1, audio = -1;
        crossbar->get_IsRoutedTo(0, &video);
        crossbar->get_IsRoutedTo(1, &audio);
        EXPECT_EQ(video, 2);
        EXPECT_EQ(audio, 4);
    }
    auto journal = dshow::testing::property_frame_journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0].frame.tabs, std::vector<std::string> { "Crossbar" });
    EXPECT_EQ(journal[1].frame.tabs, std::vector<std::string> { "Video Input" });
}

TEST_F(Pages, TheStreamFormatPageSetsTheChosenFormat)
{
    open(sim::CaptureCard {});
    CComPtr<IPin> pin;
    ASSERT_EQ(capture->FindPin(u"Capture", &pin), S_OK);
    auto config = query<IAMStreamConfig>(pin, IID_IAMStreamConfig);
    show(config, [&](HWND frame, HWND page) {
        EXPECT_EQ(items(page, sim::kStreamFormatPageFormats),
            (std::vector<std::string> { "720 x 576 YUY2", "720 x 576 RGB24" }));
        EXPECT_EQ(SendDlgItemMessageA(page, sim::kStreamFormatPageFormats, CB_GETCURSEL, 0, 0), 0);
        choose(page, sim::kStreamFormatPageFormats, 1);
        dshow::testing::close_property_frame(frame, IDOK);
    });
    AM_MEDIA_TYPE* format = nullptr;
    ASSERT_EQ(config->GetFormat(&format), S_OK);
    EXPECT_TRUE(IsEqualGUID(format->subtype, MEDIASUBTYPE_RGB24));
    DeleteMediaType(format);
}

// A card whose tuner is reached only through its capture filter's pages, driven by window
// messages from another thread while the frame runs hidden on its own.
TEST_F(Pages, ATunerPageOnlyCardIsTunedFromAnotherThread)
{
    sim::CaptureCard card;
    card.tuner = sim::TunerInterface::None;
    card.filter_pages = { CLSID_SimVideoInputPage, CLSID_SimTunerPage };
    card.tuner_page.title = "TVTuner PROPERTY Page";
    open(card);
    dshow::testing::set_property_frame_separator("  ");
    IUnknown* filter = capture;
    std::thread frame_thread([&] {
        ComScope scope;
        const CLSID pages[] = { CLSID_SimVideoInputPage, CLSID_SimTunerPage };
        OleCreatePropertyFrame(nullptr, 30, 30, u"Lunetto/Orbivane control", 1, &filter, 2, pages, 0, 0, nullptr);
    });
    while (dshow::testing::open_property_frames().empty())
        std::this_thread::yield();
    HWND frame = FindWindowExA(nullptr, nullptr, "#32770", "Lunetto/Orbivane control  Properties");
    ASSERT_TRUE(frame);
    ShowWindow(frame, SW_HIDE);
    SetWindowPos(frame, nullptr, 2000, 2000, 2, 2, SWP_HIDEWINDOW);
    HWND inner = FindWindowExA(frame, nullptr, "#32770", "");
    EXPECT_FALSE(FindWindowExA(FindWindowExA(inner, nullptr, "#32770", ""), nullptr, "Edit", nullptr));

    HWND tab = FindWindowExA(frame, nullptr, "SysTabControl32", nullptr);
    int tuner_tab = -1;
    for (int i = 0; i < SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0) && tuner_tab < 0; ++i) {
        char text[260] = {};
        TCITEMA item { TCIF_TEXT, 0, 0, text, 259, 0, 0 };
        SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        if (base::equals_ignoring_case(text, "TVTuner Property Page"))
            tuner_tab = i;
    }
    ASSERT_EQ(tuner_tab, 1);
    SendMessageA(tab, TCM_SETCURSEL, 1, 0);
    NMHDR header { tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), TCN_SELCHANGE };
    SendMessageA(frame, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));

    HWND page = FindWindowExA(inner, nullptr, "#32770", "");
    EXPECT_TRUE(FindWindowExA(page, nullptr, "ComboBox", nullptr));
    HWND edit = FindWindowExA(page, nullptr, "Edit", nullptr);
    HWND button = FindWindowExA(page, nullptr, "Button", "Set");
    ASSERT_TRUE(edit && button);
    EXPECT_TRUE(SetWindowTextA(edit, "25"));
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("25"));
    SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    dshow::testing::close_property_frame(frame, IDOK);
    frame_thread.join();
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(dshow::testing::property_frame_journal().at(0).result, IDOK);

    // Shown again, the page reads the card's channel.
    CAUUID tuner_page { 1, const_cast<GUID*>(&CLSID_SimTunerPage) };
    std::string shown;
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        HWND p = FindWindowExA(FindWindowExA(f.frame, nullptr, "#32770", ""), nullptr, "#32770", "");
        char text[16] = {};
        GetDlgItemTextA(p, sim::kTunerPageChannel, text, sizeof text);
        shown = text;
        dshow::testing::close_property_frame(f.frame, IDCANCEL);
    });
    OleCreatePropertyFrame(nullptr, 0, 0, u"Card", 1, &filter, tuner_page.cElems, tuner_page.pElems, 0, 0, nullptr);
    EXPECT_EQ(shown, "25");
}

TEST_F(Pages, ACardCanOfferNoPagesInterface)
{
    sim::CaptureCard card;
    card.filter_specifies_pages = false;
    open(card);
    EXPECT_FALSE(query<ISpecifyPropertyPages>(capture, IID_ISpecifyPropertyPages));
    EXPECT_TRUE(query<ISpecifyPropertyPages>(crossbar_filter, IID_ISpecifyPropertyPages));
}

}
