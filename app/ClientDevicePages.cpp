// The capture device's own property pages: tuner, capture filter, capture pin and crossbar.

#include "Client.h"

void TClient::CmTunerProperties()
{
}

void TClient::CmCaptureFilterProperties()
{
}

void TClient::CmCapturePinProperties()
{
}

void TClient::CmCrossbarProperties()
{
}
