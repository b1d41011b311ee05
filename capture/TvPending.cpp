// Engine operations whose devices are not supported yet: the 3dfx companion card and the Studio
// PCTV input selection. No companion is ever held, so there is nothing to drop.

#include <capture/Tv.h>

bool STv::Find3dfxCompanion()
{
    return false;
}

void STv::DropCompanionFilter()
{
}

void STv::STvHkPCTV()
{
}
