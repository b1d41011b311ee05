// The OLE property frame: its window tree, page switching, applying, the owner and the modal
// loop, a frame driven from another thread, and the property page base.

#include "PlainWindow.h"
#include <TestFilters.h>

#include <base/Threads.h>
#include <com/TaskMemory.h>
#include <dshow/BasePropertyPage.h>
#include <dshow/FilterGraph.h>
#include <dshow/GraphInterfaces.h>
#include <dshow/Testing.h>
#include <user/CommonControls.h>
#include <user/Testing.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

DEFINE_GUID(CLSID_AlphaPage, 0x0B1A0101, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01);
DEFINE_GUID(CLSID_BetaPage, 0x0B1A0102, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02);
DEFINE_GUID(CLSID_MissingPage, 0x0B1A0103, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x03);
DEFINE_GUID(CLSID_PickyPage, 0x0B1A0104, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x04);

constexpr int kEdit = 100;
constexpr int kSet = 101;

std::vector<std::string>& events()
{
    static std::vector<std::string> list;
    return list;
}

// A page with a text box and a "Set" button; typing makes it dirty, Apply and "Set" record the text.
class TextPage final : public dshow::BasePropertyPage {
public:
    explicit TextPage(std::string title, bool picky = false)
        : BasePropertyPage(title, "TESTTEXTPAGE")
        , m_name(std::move(title))
        , m_picky(picky)
    {
    }

protected:
    HRESULT on_connect(IUnknown* object) override
    {
        if (m_picky)
            return E_NOINTERFACE;
        m_object = object;
        events().push_back(m_name + " connect");
        return S_OK;
    }
    void on_disconnect() override
    {
        if (m_object)
            events().push_back(m_name + " disconnect");
        m_object = nullptr;
    }
    void on_activate() override
    {
        SetDlgItemTextA(dialog(), kEdit, "initial");
        events().push_back(m_name + " activate");
    }
    void on_deactivate() override { events().push_back(m_name + " deactivate"); }
    INT_PTR on_command(int id, int code, HWND) override
    {
        if (id == kEdit && code == EN_CHANGE) {
            m_text = text(); // kept: the page may be applied after its window is gone
            set_dirty();
            return TRUE;
        }
        if (id == kSet && code == BN_CLICKED) {
            events().push_back(m_name + " set " + text());
            return TRUE;
        }
        return FALSE;
    }
    HRESULT on_apply() override
    {
        events().push_back(m_name + " apply " + m_text);
        return S_OK;
    }

private:
    std::string text() const
    {
        char buffer[64] = {};
        GetDlgItemTextA(dialog(), kEdit, buffer, sizeof buffer);
        return buffer;
    }

    std::string m_name;
    std::string m_text;
    bool m_picky;
    CComPtr<IUnknown> m_object;
};

// The object whose pages are shown.
class Thing final : public com::Object<IUnknown> {
};

class PropertyFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            InitCommonControls();
            user::DialogTemplate page;
            page.style = WS_CHILD | DS_CONTROL;
            page.cx = 160;
            page.cy = 80;
            page.controls = {
                { "EDIT", "", kEdit, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 10, 10, 80, 14 },
                { "BUTTON", "Set", kSet, WS_TABSTOP, 0, 100, 10, 40, 14 },
            };
            user::register_dialog("TESTTEXTPAGE", page);
            return true;
        }();
        (void)registered;
        com::register_class(CLSID_AlphaPage, [](IUnknown* outer, REFIID iid, void** out) {
            return com::create_instance<TextPage>(outer, iid, out, "Alpha");
        });
        com::register_class(CLSID_BetaPage, [](IUnknown* outer, REFIID iid, void** out) {
            return com::create_instance<TextPage>(outer, iid, out, "Beta");
        });
        com::register_class(CLSID_PickyPage, [](IUnknown* outer, REFIID iid, void** out) {
            return com::create_instance<TextPage>(outer, iid, out, "Picky", true);
        });
        dshow::register_classes();
        events().clear();
        dshow::testing::reset();
        objects = com::live_objects();
        blocks = com::outstanding_task_memory_blocks();
        thing.Attach(new Thing);
    }
    void TearDown() override
    {
        thing = nullptr;
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), blocks);
        EXPECT_TRUE(dshow::testing::open_property_frames().empty());
        dshow::testing::reset();
        com::unregister_class(CLSID_AlphaPage);
        com::unregister_class(CLSID_BetaPage);
        com::unregister_class(CLSID_PickyPage);
    }

    HRESULT show(HWND owner, const char16_t* caption, std::vector<CLSID> pages)
    {
        IUnknown* object = thing;
        return OleCreatePropertyFrame(owner, 30, 30, caption, 1, &object, static_cast<ULONG>(pages.size()),
            pages.data(), 0, 0, nullptr);
    }

    static std::string title(HWND window)
    {
        char text[128] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
    static std::string tab_text(HWND tab, int index)
    {
        char text[260] = {};
        TCITEMA item {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 259;
        SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // The page dialog inside the frame: the inner dialog's first "#32770" child with no title.
    static HWND page_of(HWND frame)
    {
        HWND inner = FindWindowExA(frame, nullptr, "#32770", "");
        return inner ? FindWindowExA(inner, nullptr, "#32770", "") : nullptr;
    }
    static void select_tab(HWND frame, int index)
    {
        HWND tab = FindWindowExA(frame, nullptr, "SysTabControl32", nullptr);
        SendMessageA(tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        NMHDR header { tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), TCN_SELCHANGE };
        SendMessageA(frame, WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID(tab)), reinterpret_cast<LPARAM>(&header));
    }

    test_filters::ComScope com_scope;
    CComPtr<IUnknown> thing;
    std::int64_t objects = 0;
    std::int64_t blocks = 0;
};

TEST_F(PropertyFrameTest, TheFrameIsADialogWithTabsAnInnerDialogAndThePageInsideIt)
{
    HWND owner = plain_window("Owner");
    HWND other = plain_window("Other");
    bool checked = false;
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        checked = true;
        EXPECT_EQ(f.thread, GetCurrentThreadId());
        EXPECT_EQ(f.owner, owner);
        EXPECT_EQ(f.caption, "Thing Properties");
        EXPECT_EQ(FindWindowExA(nullptr, nullptr, "#32770", "Thing Properties"), f.frame);
        EXPECT_TRUE(IsWindowVisible(f.frame));
        EXPECT_FALSE(IsWindowEnabled(owner)); // modal to its owner
        // The page that cannot be created is left out.
        EXPECT_EQ(f.tabs, (std::vector<std::string> { "Alpha", "Beta" }));

        HWND tab = FindWindowExA(f.frame, nullptr, "SysTabControl32", nullptr);
        ASSERT_TRUE(tab);
        EXPECT_EQ(GetDlgCtrlID(tab), PROPFRAME_TAB);
        EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(tab_text(tab, 0), "Alpha");
        EXPECT_EQ(tab_text(tab, 1), "Beta");
        EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(title(GetDlgItem(f.frame, IDOK)), "OK");
        EXPECT_EQ(title(GetDlgItem(f.frame, IDCANCEL)), "Cancel");
        EXPECT_EQ(title(GetDlgItem(f.frame, PROPFRAME_APPLY)), "Apply");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(f.frame, PROPFRAME_APPLY))); // nothing changed yet

        HWND page = page_of(f.frame);
        ASSERT_TRUE(page);
        EXPECT_TRUE(IsWindowVisible(page));
        EXPECT_EQ(title(GetDlgItem(page, kEdit)), "initial");
        EXPECT_TRUE(FindWindowExA(page, nullptr, "Button", "Set"));
        RECT r;
        GetClientRect(page, &r);
        EXPECT_EQ(r.right, 240); // the template's 160 x 80 dialog units
        EXPECT_EQ(r.bottom, 130);

        // The frame's loop serves the thread's other windows.
        PostMessageA(other, WM_CLOSE, 0, 0);
        dshow::testing::close_property_frame(f.frame, IDCANCEL);
    });
    EXPECT_EQ(show(owner, u"Thing", { CLSID_AlphaPage, CLSID_MissingPage, CLSID_BetaPage }), S_OK);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindow(other)); // closed by the posted WM_CLOSE
    EXPECT_FALSE(FindWindowExA(nullptr, nullptr, "#32770", "Thing Properties"));
    auto journal = dshow::testing::property_frame_journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].result, IDCANCEL);
    // Cancel applies nothing; every page is bound, only the first is activated, all are let go.
    EXPECT_EQ(events(), (std::vector<std::string> { "Alpha connect", "Beta connect", "Alpha activate",
                            "Alpha deactivate", "Alpha disconnect", "Beta disconnect" }));
    DestroyWindow(owner);
}

TEST_F(PropertyFrameTest, PagesSwitchOnTheSelectionNoticeAloneAndOkAppliesTheChangedOnes)
{
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        HWND alpha = page_of(f.frame);
        HWND tab = FindWindowExA(f.frame, nullptr, "SysTabControl32", nullptr);
        SendMessageA(tab, TCM_SETCURSEL, 1, 0);
        EXPECT_EQ(page_of(f.frame), alpha); // no notice, no switch

        select_tab(f.frame, 1);
        EXPECT_FALSE(IsWindow(alpha)); // the old page's window is gone
        HWND beta = page_of(f.frame);
        ASSERT_TRUE(beta);
        EXPECT_NE(beta, alpha);
        SetDlgItemTextA(beta, kEdit, "25"); // the user types
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(f.frame, PROPFRAME_APPLY)));
        user::testing::press_dialog_button(beta, kSet);

        select_tab(f.frame, 0); // back on Alpha, unchanged
        dshow::testing::close_property_frame(f.frame, IDOK);
    });
    EXPECT_EQ(show(nullptr, u"Thing", { CLSID_AlphaPage, CLSID_BetaPage }), S_OK);
    EXPECT_EQ(events(), (std::vector<std::string> { "Alpha connect", "Beta connect", "Alpha activate",
                            "Alpha deactivate", "Beta activate", "Beta set 25", "Beta deactivate", "Alpha activate",
                            "Beta apply 25", "Alpha deactivate", "Alpha disconnect", "Beta disconnect" }));
    EXPECT_EQ(dshow::testing::property_frame_journal().at(0).result, IDOK);
}

TEST_F(PropertyFrameTest, ApplyAppliesAndStaysOpen)
{
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        SetDlgItemTextA(page_of(f.frame), kEdit, "7");
        user::testing::press_dialog_button(f.frame, PROPFRAME_APPLY);
        EXPECT_TRUE(IsWindow(f.frame));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(f.frame, PROPFRAME_APPLY)));
        dshow::testing::close_property_frame(f.frame, IDOK); // clean now: nothing more to apply
    });
    EXPECT_EQ(show(nullptr, u"Thing", { CLSID_AlphaPage }), S_OK);
    EXPECT_EQ(events(), (std::vector<std::string> { "Alpha connect", "Alpha activate", "Alpha apply 7",
                            "Alpha deactivate", "Alpha disconnect" }));
}

TEST_F(PropertyFrameTest, TitlesWithoutCaptionAndWithADoubleBlank)
{
    std::vector<std::string> titles;
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        titles.push_back(title(f.frame));
        dshow::testing::close_property_frame(f.frame, IDCANCEL);
    });
    EXPECT_EQ(show(nullptr, nullptr, { CLSID_AlphaPage }), S_OK); // no name to show
    CComPtr<IBaseFilter> source;
    source.Attach(new test_filters::Source);
    CComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                  reinterpret_cast<void**>(&graph)),
        S_OK);
    graph->AddFilter(source, u"Tuner");
    IUnknown* object = source;
    EXPECT_EQ(OleCreatePropertyFrame(nullptr, 0, 0, nullptr, 1, &object, 1, &CLSID_AlphaPage, 0, 0, nullptr), S_OK);
    graph->RemoveFilter(source);
    dshow::testing::set_property_frame_separator("  ");
    EXPECT_EQ(show(nullptr, u"Lunetto/Orbivane control", { CLSID_AlphaPage }), S_OK);
    ASSERT_EQ(titles.size(), 3u);
    EXPECT_EQ(titles[0], "Properties");
    EXPECT_EQ(titles[1], "Tuner Properties"); // the filter's name in its graph
    EXPECT_EQ(titles[2], "Lunetto/Orbivane control  Properties");
}

TEST_F(PropertyFrameTest, ACallWithNothingToShowFails)
{
    bool opened = false;
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame&) { opened = true; });
    IUnknown* object = thing;
    EXPECT_EQ(OleCreatePropertyFrame(nullptr, 0, 0, u"X", 1, nullptr, 1, &CLSID_AlphaPage, 0, 0, nullptr), E_POINTER);
    EXPECT_EQ(OleCreatePropertyFrame(nullptr, 0, 0, u"X", 1, &object, 1, nullptr, 0, 0, nullptr), E_POINTER);
    EXPECT_EQ(OleCreatePropertyFrame(nullptr, 0, 0, u"X", 0, &object, 1, &CLSID_AlphaPage, 0, 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(show(nullptr, u"X", {}), E_FAIL);
    // A page that refuses the object is let go like one that cannot be created.
    EXPECT_EQ(show(nullptr, u"X", { CLSID_MissingPage, CLSID_PickyPage }), E_FAIL);
    com::set_class_enabled(CLSID_AlphaPage, false);
    EXPECT_EQ(show(nullptr, u"X", { CLSID_AlphaPage }), E_FAIL);
    com::set_class_enabled(CLSID_AlphaPage, true);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(events().empty());
}

// A frame on a thread of its own, found, hidden and driven from this thread by its caption.
TEST_F(PropertyFrameTest, AFrameOnAnotherThreadIsFoundHiddenAndDriven)
{
    std::atomic<HRESULT> result { E_UNEXPECTED };
    std::thread frame_thread([&] {
        test_filters::ComScope scope;
        IUnknown* object = thing;
        result = OleCreatePropertyFrame(nullptr, 30, 30, u"Remote", 1, &object, 2,
            std::vector<CLSID> { CLSID_AlphaPage, CLSID_BetaPage }.data(), 0, 0, nullptr);
    });
    HWND frame = nullptr;
    while (!(frame = FindWindowExA(nullptr, nullptr, "#32770", "Remote Properties")))
        std::this_thread::yield();
    while (dshow::testing::open_property_frames().empty())
        std::this_thread::yield();
    EXPECT_EQ(dshow::testing::open_property_frames().at(0).frame, frame);
    EXPECT_NE(dshow::testing::open_property_frames().at(0).thread, GetCurrentThreadId());

    ShowWindow(frame, SW_HIDE);
    SetWindowPos(frame, nullptr, 2000, 2000, 2, 2, SWP_HIDEWINDOW);
    EXPECT_FALSE(IsWindowVisible(frame));
    RECT r;
    GetWindowRect(frame, &r);
    EXPECT_EQ(r.left, 2000);
    EXPECT_EQ(r.top, 2000);
    EXPECT_EQ(r.right - r.left, 2);

    // Sent across threads: served by the frame's loop.
    HWND tab = FindWindowExA(frame, nullptr, "SysTabControl32", nullptr);
    EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(tab_text(tab, 1), "Beta");
    select_tab(frame, 1);
    HWND page = page_of(frame);
    ASSERT_TRUE(page);
    HWND edit = FindWindowExA(page, nullptr, "Edit", nullptr);
    EXPECT_TRUE(SetWindowTextA(edit, "42"));
    SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
    dshow::testing::close_property_frame(frame, IDOK);
    frame_thread.join();
    EXPECT_EQ(result.load(), S_OK);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_FALSE(SetWindowTextA(edit, "43")); // stale handles fail
    auto& e = events();
    EXPECT_NE(std::find(e.begin(), e.end(), "Beta apply 42"), e.end());
}

}
