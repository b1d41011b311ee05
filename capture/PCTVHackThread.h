#pragma once

// The thread that holds the Studio PCTV card's property frame open while the user-interface
// thread chooses the card's TV input on its page (STv::STvHkPCTV). Run shows the capture
// filter's own pages in a frame titled "pctv for orbivane" and returns when the frame is closed.
//
//     PCTVHackThread thread(captureFilter);
//     thread.Start();
//     ... find the frame, drive its combo box, post IDOK ...
//     thread.WaitForExit(5);

#include <dshow/GraphInterfaces.h>
#include <owl/Thread.h>

class PCTVHackThread : public OWL::TThread {
public:
    // `captureFilter` must live until the thread has ended (the destructor waits for it).
    explicit PCTVHackThread(IBaseFilter* captureFilter);
    ~PCTVHackThread() override;

    // The frame's caption, before " Properties".
    static constexpr const char* kCaption = "pctv for orbivane";

protected:
    // 1 when the frame was shown, 0 when the filter offers no property pages.
    int Run() override;

private:
    IBaseFilter* m_captureFilter; // not owned
};
