// Engine operations whose devices and modes are not supported yet: the 3dfx companion card,
// Studio PCTV and Bt848 workarounds.
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
