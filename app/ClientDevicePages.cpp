// The capture device's own property pages: tuner, capture filter, capture pin and crossbar. They
// open also while TV is off: the client then makes an engine for them and keeps it, without
// video, until TV goes on (which shows its video) or off (which deletes it).

#include "Client.h"

#include <capture/TvEngine.h>

#include <capture/Tv.h>
#include <settings/Settings.h>

namespace {

// The engine, made for the pages when TV is off; null when the radio program keeps the tuner or
// the device does not open.
STv* engine_for_pages(TClient& client)
{
    if (Tv)
        return Tv;
    if (!client.CheckTunerOwner())
        return nullptr;
    client.MakeEngine(1, nullptr, nullptr);
    if (!Tv->HasCaptureDevice()) {
        delete Tv;
        Tv = nullptr;
    }
    return Tv;
}

}

void TClient::CmTunerProperties()
{
    if (STv* tv = engine_for_pages(*this))
        tv->ShowTunerProperties();
}

void TClient::CmCaptureFilterProperties()
{
    if (STv* tv = engine_for_pages(*this))
        tv->ShowCaptureFilterProperties();
}

void TClient::CmCapturePinProperties()
{
    if (STv* tv = engine_for_pages(*this))
        tv->ShowCapturePinProperties();
}

void TClient::CmCrossbarProperties()
{
    if (STv* tv = engine_for_pages(*this))
        tv->ShowCrossbarProperties();
}
