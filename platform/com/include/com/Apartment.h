#pragma once

// The per-thread COM initialisation count: CoInitialize, CoInitializeEx and CoUninitialize.
//
// Each thread counts its own initialisations. The first call returns S_OK, later ones S_FALSE;
// a later call that asks for the other threading model returns RPC_E_CHANGED_MODE and is not
// counted. Every successful call (S_OK or S_FALSE) must be matched by CoUninitialize. There is no
// marshalling: the model is recorded, objects are called directly from any thread.
// CoCreateInstance and GetRunningObjectTable refuse a thread that is not initialised.

#include <base/Types.h>
#include <com/HResults.h>

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD coinit);
void CoUninitialize();

namespace com {

// How many unmatched initialisations the calling thread holds.
int thread_init_count();
// True when the calling thread has initialised COM.
bool thread_initialized();

}
