// The engine's own property frames, opened on a helper thread and found by their caption.

#include <capture/OwnPropertyFrame.h>

#include <com/Apartment.h>
#include <com/ComPtr.h>
#include <com/TaskMemory.h>
#include <dshow/PropertyFrame.h>

#include <string>

bool RunOwnPropertyFrame(IUnknown* object, LPCOLESTR caption)
{
    CoInitialize(nullptr);
    bool shown = false;
    {
        CComPtr<ISpecifyPropertyPages> specify;
        CAUUID pages {};
        if (object && SUCCEEDED(object->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)))
            && specify && SUCCEEDED(specify->GetPages(&pages))) {
            OleCreatePropertyFrame(nullptr, 30, 30, caption, 1, &object, pages.cElems, pages.pElems, 0, 0, nullptr);
            CoTaskMemFree(pages.pElems);
            shown = true;
        }
    }
    CoUninitialize();
    return shown;
}

HWND FindOwnPropertyFrame(const char* caption)
{
    for (const char* separator : { " ", "  " }) {
        std::string title = std::string(caption) + separator + "Properties";
        if (HWND frame = FindWindowExA(nullptr, nullptr, "#32770", title.c_str()))
            return frame;
    }
    return nullptr;
}

HWND FindUntitledDialog(HWND parent)
{
    return parent ? FindWindowExA(parent, nullptr, "#32770", "") : nullptr;
}
