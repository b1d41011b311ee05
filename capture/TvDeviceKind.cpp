// Which devices cannot give their picture back in place after a recording.

#include <capture/Tv.h>

#include <base/Text.h>

bool STv::Is3dfx3500() const
{
    // Only this card fails to come back after the recording released it; every device with a
    // tuner interface re-opens in place, so it keeps its picture after a recording.
    return base::starts_with_ignoring_case(m_deviceName, "3dfx 3500TV VPX Video Capture(VFW)");
}
