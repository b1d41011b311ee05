// Timer 42, once a second: the status text and the start and end of scheduled events.

#include "Client.h"

void TClient::EvTimer(UINT_PTR)
{
}
