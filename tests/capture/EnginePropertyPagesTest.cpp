// The device menu's property pages: which object's pages each command shows, that the pages act
// on that object, the preview built only while the capture pin's pages are open, and refusals.

#include "EngineFixture.h"
#include "PlainWindow.h"

#include <base/Text.h>
#include <dshow/Testing.h>
#include <dshow/VideoRenderer.h>
#include <sim/PropertyPages.h>
#include <user/Controls.h>

#include <functional>

namespace {

using namespace engine_test;

class PagesTv : public STv {
public:
    PagesTv(const char* name, HWND parent)
        : STv(name, parent, 0, 0, nullptr, nullptr)
    {
    }
    using STv::m_captureFilter;
    using STv::m_crossbar;
    using STv::m_graph;
    using STv::m_previewBuilt;
    using STv::m_tuner;

    int filters()
    {
        CComPtr<IEnumFilters> list;
        m_graph->EnumFilters(&list);
        int count = 0;
        for (CComPtr<IBaseFilter> f; list->Next(1, &f, nullptr) == S_OK; f = nullptr)
            ++count;
        return count;
    }
    CComPtr<IPin> pin(const char16_t* name)
    {
        CComPtr<IPin> found;
        m_captureFilter->FindPin(name, &found);
        return found;
    }
    bool connected(const char16_t* name)
    {
        CComPtr<IPin> peer;
        return SUCCEEDED(pin(name)->ConnectedTo(&peer)) && peer;
    }
    ULONG filter_references()
    {
        m_captureFilter->AddRef();
        return m_captureFilter->Release();
    }
};

// The page dialog of an open frame.
HWND page_of(HWND frame)
{
    HWND inner = FindWindowExA(frame, nullptr, "#32770", "");
    return inner ? FindWindowExA(inner, nullptr, "#32770", "") : nullptr;
}

// Chooses `text` in a page's combo box as the user does.
void choose(HWND page, int id, const char* text)
{
    HWND combo = GetDlgItem(page, id);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ASSERT_GE(index, 0) << text;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

class PropertyPagesTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        dshow::testing::reset();
        parent = plain_window("Orbivane");
    }
    void TearDown() override
    {
        DestroyWindow(parent);
        com::set_class_enabled(CLSID_VideoRenderer, true);
        dshow::testing::reset();
        EngineTest::TearDown();
    }

    std::unique_ptr<PagesTv> open_with(const sim::CaptureCard& c, HWND owner)
    {
        sim::install_cards({ c });
        auto tv = std::make_unique<PagesTv>(base::to_utf8(c.name).c_str(), owner);
        EXPECT_TRUE(tv->HasCaptureDevice());
        return tv;
    }
    // The tabs of the frames shown over a window (the commands' frames; the engine's own have none).
    static std::vector<std::string> frames_shown()
    {
        std::vector<std::string> tabs;
        for (auto& closed : dshow::testing::property_frame_journal())
            for (auto& tab : closed.frame.owner ? closed.frame.tabs : std::vector<std::string> {})
                tabs.push_back(tab);
        return tabs;
    }

    HWND parent = nullptr;
};

TEST_F(PropertyPagesTest, EachCommandShowsItsObjectsPagesAndTheyActOnThatObject)
{
    struct Case {
        const char* command;
        bool (STv::*show)();
        const char* tab;
        std::function<void(HWND page)> change;
        std::function<void(PagesTv& tv)> check;
    };
    const Case cases[] = {
        { "tuner", &STv::ShowTunerProperties, "TVTuner Property Page",
            [](HWND page) { SetDlgItemTextA(page, sim::kTunerPageChannel, "7"); },
            [](PagesTv& tv) {
                LONG channel = 0, video = 0, audio = 0;
                tv.m_tuner->get_Channel(&channel, &video, &audio);
                EXPECT_EQ(channel, 7);
            } },
        { "capture filter", &STv::ShowCaptureFilterProperties, "Video Input",
            [](HWND page) { choose(page, sim::kVideoInputPageInputs, "S-Video"); },
            [](PagesTv& tv) {
                LONG input = -1;
                tv.m_crossbar->get_IsRoutedTo(0, &input);
                EXPECT_EQ(input, 2);
            } },
        { "crossbar", &STv::ShowCrossbarProperties, "Crossbar",
            [](HWND page) { choose(page, sim::kVideoInputPageInputs, "Composite"); },
            [](PagesTv& tv) {
                LONG video = -1, audio = -1;
                tv.m_crossbar->get_IsRoutedTo(0, &video);
                tv.m_crossbar->get_IsRoutedTo(1, &audio);
                EXPECT_EQ(video, 1);
                EXPECT_EQ(audio, 4); // the composite input's related line audio
            } },
        { "capture pin", &STv::ShowCapturePinProperties, "Stream Format",
            [](HWND page) { choose(page, sim::kStreamFormatPageFormats, "720 x 576 RGB24"); },
            [](PagesTv& tv) {
                CComPtr<IAMStreamConfig> config;
                tv.pin(u"Capture").QueryInterface(&config);
                AM_MEDIA_TYPE* format = nullptr;
                ASSERT_EQ(config->GetFormat(&format), S_OK);
                EXPECT_TRUE(IsEqualGUID(format->subtype, MEDIASUBTYPE_RGB24));
                DeleteMediaType(format);
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        dshow::testing::reset();
        auto tv = open_with(card(), parent);
        ULONG references = tv->filter_references();
        int opened = 0;
        dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
            ++opened;
            EXPECT_EQ(f.owner, parent);
            EXPECT_FALSE(IsWindowEnabled(parent));
            EXPECT_EQ(f.tabs, std::vector<std::string> { c.tab });
            HWND page = page_of(f.frame);
            ASSERT_TRUE(page);
            c.change(page);
            dshow::testing::close_property_frame(f.frame, IDOK);
        });
        EXPECT_TRUE(((*tv).*c.show)());
        EXPECT_EQ(opened, 1);
        EXPECT_TRUE(IsWindowEnabled(parent));
        EXPECT_EQ(dshow::testing::property_frame_journal().at(0).result, IDOK);
        c.check(*tv);
        EXPECT_EQ(tv->filter_references(), references);
        EXPECT_TRUE(box_texts().empty());
    }
}

TEST_F(PropertyPagesTest, TheCapturePinsPagesBuildThePreviewOnlyWhileOpen)
{
    auto tv = open_with(card(), parent);
    int before = tv->filters();
    bool opened = false;
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        opened = true;
        EXPECT_TRUE(tv->m_previewBuilt);
        EXPECT_TRUE(tv->connected(u"Preview"));
        EXPECT_GT(tv->filters(), before);
        dshow::testing::close_property_frame(f.frame, IDCANCEL);
    });
    EXPECT_TRUE(tv->ShowCapturePinProperties());
    EXPECT_TRUE(opened);
    EXPECT_FALSE(tv->m_previewBuilt);
    EXPECT_FALSE(tv->connected(u"Preview"));
    EXPECT_EQ(tv->filters(), before);

    // A preview built before stays.
    ASSERT_EQ(tv->STvBuildPreviewGraph(), S_OK);
    int built = tv->filters();
    dshow::testing::set_property_frame_script(
        [&](const dshow::testing::PropertyFrame& f) { dshow::testing::close_property_frame(f.frame, IDCANCEL); });
    EXPECT_TRUE(tv->ShowCapturePinProperties());
    EXPECT_TRUE(tv->m_previewBuilt);
    EXPECT_TRUE(tv->connected(u"Preview"));
    EXPECT_EQ(tv->filters(), built);
    EXPECT_EQ(dshow::testing::property_frame_journal().size(), 2u);
}

TEST_F(PropertyPagesTest, APreviewThatCannotBeRenderedShowsNoPages)
{
    com::set_class_enabled(CLSID_VideoRenderer, false);
    auto tv = open_with(card(), parent);
    int before = tv->filters();
    EXPECT_FALSE(tv->ShowCapturePinProperties());
    EXPECT_TRUE(dshow::testing::property_frame_journal().empty());
    EXPECT_FALSE(tv->m_previewBuilt);
    EXPECT_EQ(tv->filters(), before);
    ASSERT_EQ(box_texts().size(), 1u);
    EXPECT_EQ(box_texts()[0].rfind("Cannot preview   (STvBuildPreviewGraph)", 0), 0u);
}

TEST_F(PropertyPagesTest, NothingIsShownWithoutTheObjectOrTheParentWindow)
{
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        if (f.owner)
            dshow::testing::close_property_frame(f.frame, IDCANCEL);
    });
    {
        auto tv = open_with(card(), nullptr);
        EXPECT_FALSE(tv->ShowTunerProperties());
        EXPECT_FALSE(tv->ShowCaptureFilterProperties());
        EXPECT_FALSE(tv->ShowCapturePinProperties());
        EXPECT_FALSE(tv->ShowCrossbarProperties());
        EXPECT_FALSE(tv->m_previewBuilt);
    }
    {
        // No tuner, no crossbar, a capture filter without pages, a pin without stream configuration.
        sim::CaptureCard bare = card();
        bare.tuner = sim::TunerInterface::None;
        bare.crossbar.reset();
        bare.filter_specifies_pages = false;
        bare.stream_config = false;
        auto tv = open_with(bare, parent);
        int before = tv->filters();
        EXPECT_FALSE(tv->ShowTunerProperties());
        EXPECT_FALSE(tv->ShowCrossbarProperties());
        EXPECT_FALSE(tv->ShowCaptureFilterProperties());
        EXPECT_FALSE(tv->ShowCapturePinProperties());
        EXPECT_FALSE(tv->m_previewBuilt); // the preview built for the pages is gone again
        EXPECT_EQ(tv->filters(), before);
    }
    {
        // An engine with no device at all.
        sim::install_cards({});
        PagesTv none("", parent);
        ASSERT_FALSE(none.HasCaptureDevice());
        EXPECT_FALSE(none.ShowCaptureFilterProperties());
        EXPECT_FALSE(none.ShowCapturePinProperties());
    }
    EXPECT_TRUE(frames_shown().empty());
    EXPECT_TRUE(IsWindowEnabled(parent));
}

TEST_F(PropertyPagesTest, ATunerPageOnTheCaptureFilterTunesACardWithoutTunerInterface)
{
    sim::CaptureCard pages_only = card();
    pages_only.tuner = sim::TunerInterface::None;
    pages_only.filter_pages = { CLSID_SimVideoInputPage, CLSID_SimTunerPage };
    pages_only.tuner_page.button = "Enter";
    pages_only.tuner_page.title = "TVTUNER PROPERTY PAGE";
    auto tv = open_with(pages_only, parent);
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        if (f.owner != parent)
            return; // a frame the engine keeps for itself
        EXPECT_EQ(f.tabs, (std::vector<std::string> { "Video Input", "TVTUNER PROPERTY PAGE" }));
        HWND tab = FindWindowExA(f.frame, nullptr, "SysTabControl32", nullptr);
        SendMessageA(tab, TCM_SETCURSEL, 1, 0);
        NMHDR header { tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), TCN_SELCHANGE };
        SendMessageA(f.frame, WM_NOTIFY, static_cast<WPARAM>(header.idFrom), reinterpret_cast<LPARAM>(&header));
        HWND page = page_of(f.frame);
        ASSERT_TRUE(FindWindowExA(page, nullptr, "ComboBox", nullptr));
        HWND edit = FindWindowExA(page, nullptr, "Edit", nullptr);
        HWND button = FindWindowExA(page, nullptr, "Button", "Enter");
        ASSERT_TRUE(edit && button);
        SetWindowTextA(edit, "25");
        SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
        dshow::testing::close_property_frame(f.frame, IDCANCEL); // "Enter" tuned already
    });
    EXPECT_TRUE(tv->ShowCaptureFilterProperties());

    // Opened again, the page shows the channel the card is tuned to.
    std::string shown;
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        if (f.owner != parent)
            return;
        HWND tab = FindWindowExA(f.frame, nullptr, "SysTabControl32", nullptr);
        NMHDR header { tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), TCN_SELCHANGE };
        SendMessageA(tab, TCM_SETCURSEL, 1, 0);
        SendMessageA(f.frame, WM_NOTIFY, static_cast<WPARAM>(header.idFrom), reinterpret_cast<LPARAM>(&header));
        char text[16] = {};
        GetWindowTextA(FindWindowExA(page_of(f.frame), nullptr, "Edit", nullptr), text, sizeof text);
        shown = text;
        dshow::testing::close_property_frame(f.frame, IDCANCEL);
    });
    EXPECT_TRUE(tv->ShowCaptureFilterProperties());
    EXPECT_EQ(shown, "25");
}

}
