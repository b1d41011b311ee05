#pragma once

// What a card's own property page shows, read in a frame the test opens and closes itself: the
// card's state as its driver reports it.
//
//     EXPECT_EQ(page_control_text(captureFilter, CLSID_SimTunerPage, sim::kTunerPageChannel), "25");

#include <dshow/PropertyFrame.h>
#include <dshow/Testing.h>
#include <user/Controls.h>
#include <user/MessageBox.h>

#include <string>

inline std::string page_control_text(IUnknown* object, REFCLSID page_class, int id)
{
    std::string shown;
    dshow::testing::set_property_frame_script([&](const dshow::testing::PropertyFrame& f) {
        HWND page = FindWindowExA(FindWindowExA(f.frame, nullptr, "#32770", ""), nullptr, "#32770", "");
        char text[64] = {};
        GetDlgItemTextA(page, id, text, sizeof text);
        shown = text;
        dshow::testing::close_property_frame(f.frame, IDCANCEL);
    });
    CLSID pages[] = { page_class };
    OleCreatePropertyFrame(nullptr, 0, 0, u"Check", 1, &object, 1, pages, 0, 0, nullptr);
    dshow::testing::set_property_frame_script(nullptr);
    return shown;
}
