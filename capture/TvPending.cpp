// Engine operations whose devices and modes are not supported yet: the 3dfx companion card,
// Studio PCTV and Bt848 workarounds, the tuner property-page control, and Windows Media
// recording (no recording target can be made yet: it records nothing and answers false).
// None of their objects is ever created, so there is nothing to drop.

#include <capture/Tv.h>

void STv::UseCompanionCrossbar()
{
}

void STv::DropCompanionFilter()
{
}

void STv::StudioPctvWorkaround()
{
}

bool STv::Bt848SetChannel(LONG, bool)
{
    return false;
}

void STv::CreateTunerPageControl()
{
}

void STv::DeleteTunerPageControl()
{
}

bool STv::TunerPageSetChannel(LONG)
{
    return false;
}

bool STv::StartWmRecording(const char*, LONG, const char*, const char*, const char*, const char*, const char*)
{
    return false;
}
