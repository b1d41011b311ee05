// The device menu's property pages: the tuner's, the capture filter's, the capture pin's and the
// crossbar's, each in a modal property frame over the client window.

#include <capture/Tv.h>

#include <com/TaskMemory.h>
#include <dshow/PinCategory.h>
#include <dshow/PropertyFrame.h>

namespace {

// Shows the pages `object` specifies; returns once the user closed the frame. False when the
// object specifies no pages.
bool ShowPropertyFrame(IUnknown* object, HWND owner)
{
    CComPtr<ISpecifyPropertyPages> specify;
    if (FAILED(object->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify))) || !specify)
        return false;
    CAUUID pages {};
    if (FAILED(specify->GetPages(&pages)))
        return false;
    OleCreatePropertyFrame(owner, 30, 30, nullptr, 1, &object, pages.cElems, pages.pElems, 0, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    return true;
}

}

bool STv::ShowTunerProperties()
{
    if (!m_tuner || !m_parentWindow)
        return false;
    return ShowPropertyFrame(m_tuner, m_parentWindow);
}

bool STv::ShowCaptureFilterProperties()
{
    if (!m_captureFilter || !m_parentWindow)
        return false;
    return ShowPropertyFrame(m_captureFilter, m_parentWindow);
}

bool STv::ShowCrossbarProperties()
{
    if (!m_crossbar || !m_parentWindow)
        return false;
    return ShowPropertyFrame(m_crossbar, m_parentWindow);
}

bool STv::ShowCapturePinProperties()
{
    if (!m_captureFilter || !m_parentWindow || !m_builder)
        return false;
    // The pin's formats are those of a connected pin, so the preview is built for the time the
    // frame is open.
    bool built = false;
    if (!m_captureGraphActive && !m_previewBuilt) {
        built = true;
        if (FAILED(STvBuildPreviewGraph())) {
            TearDownGraph();
            return false;
        }
    }
    CComPtr<IAMStreamConfig> config;
    HRESULT hr = BuilderFindInterface(&PIN_CATEGORY_CAPTURE, nullptr, IID_IAMStreamConfig, reinterpret_cast<void**>(&config));
    bool shown = SUCCEEDED(hr) && config && ShowPropertyFrame(config, m_parentWindow);
    config = nullptr;
    if (built)
        TearDownGraph();
    return shown;
}
