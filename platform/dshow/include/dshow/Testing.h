#pragma once

// Hooks for tests of code that opens property frames (dshow/PropertyFrame.h), which block the
// calling thread until they are closed.
//
// A frame script runs on the frame's own thread when a frame opens (its windows made, the first
// page active and shown, its loop not yet running). It may drive the frame by sending messages,
// close it (close_property_frame), or leave it open for another thread to drive; an open frame
// keeps its thread waiting, so a test on the frame's thread must close it. Another thread can
// wait for a frame with open_property_frames().
//
//     dshow::testing::set_property_frame_script([](const dshow::testing::PropertyFrame& f) {
//         EXPECT_EQ(f.tabs.at(0), "TVTuner Property Page");
//         dshow::testing::close_property_frame(f.frame, IDOK);
//     });

#include <dshow/PropertyFrame.h>

#include <functional>
#include <string>
#include <vector>

namespace dshow::testing {

struct PropertyFrame {
    HWND frame;
    DWORD thread; // the thread whose loop serves the frame
    HWND owner; // as passed, or null
    std::string caption; // the frame's title
    std::vector<std::string> tabs; // the titles of the pages shown, in order
};
using PropertyFrameScript = std::function<void(const PropertyFrame&)>;
void set_property_frame_script(PropertyFrameScript script);

// Frames open now, oldest first.
std::vector<PropertyFrame> open_property_frames();

// Every frame closed since the last reset, with IDOK or IDCANCEL as its result.
struct ClosedPropertyFrame {
    PropertyFrame frame;
    int result;
};
std::vector<ClosedPropertyFrame> property_frame_journal();

// Posts the frame WM_COMMAND with IDOK (apply and close) or IDCANCEL, as a user's click does.
void close_property_frame(HWND frame, int button);

// What stands between the caption and "Properties" in a frame's title: " " (the default) or,
// as some systems have it, "  ".
void set_property_frame_separator(std::string separator);

// Removes the script, clears the journal and restores the separator.
void reset();

}
