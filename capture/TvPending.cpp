// The Studio PCTV input selection, not supported yet.

#include <capture/Tv.h>

void STv::STvHkPCTV()
{
}
