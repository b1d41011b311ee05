#pragma once

// Walking the devices of a category of the system device enumerator with their friendly names,
// as the settings pages list them.
//
//     VisitDevices(CLSID_VideoInputDeviceCategory, [&](IMoniker*, const char* name) {
//         combo->AddString(name);
//         return true;
//     });

#include <com/Guid.h>
#include <com/Moniker.h>

#include <functional>

// Calls `visit` with each device's moniker and its FriendlyName in the ANSI code page (at most
// 259 bytes), in the enumerator's order, until it answers false. A missing enumerator or an
// empty category visits nothing; a device whose name cannot be read ends the walk quietly.
void VisitDevices(REFCLSID category, const std::function<bool(IMoniker* moniker, const char* name)>& visit);
