#include <sim/CaptureCard.h>

#include <algorithm>

namespace sim {

Crossbar Crossbar::without_audio_output()
{
    Crossbar crossbar;
    crossbar.outputs.pop_back();
    crossbar.outputs[0].related = -1;
    return crossbar;
}

bool CaptureCard::has_station(LONG channel) const
{
    if (channel < channel_min || channel > channel_max)
        return false;
    return stations.empty() || std::find(stations.begin(), stations.end(), channel) != stations.end();
}

std::vector<CaptureCard> default_machine()
{
    return { CaptureCard {} };
}

}
