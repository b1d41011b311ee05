// Recording TV or its sound and the archive of recordings.

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
