// Recording TV or its sound, the archive of recordings and the weekly timer list.

#include "Client.h"

void TClient::CmRecord()
{
}

void TClient::CmRecordAudio()
{
}

void TClient::CmArchives()
{
}

void TClient::CmVcrTimer()
{
}
