#pragma once

// The system device enumerator (CLSID_SystemDeviceEnum): device categories, the monikers that
// name the devices of a category, and the registration the virtual hardware fills.
//
//     dshow::register_device({ CLSID_VideoInputDeviceCategory, u"TV Card", CLSID_TvCard, u"\\\\?\\sim#tv#0",
//         [](IUnknown*, REFIID iid, void** out) { return com::create_instance<TvCard>(nullptr, iid, out); } });
//
//     ICreateDevEnum* devices;  CoCreateInstance(CLSID_SystemDeviceEnum, ..., IID_ICreateDevEnum, ...);
//     IEnumMoniker* monikers;   devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
//     moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, ...);   // "FriendlyName", "CLSID", "DevicePath"
//     moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, ...);     // a new filter on every bind
//
// CreateClassEnumerator lists a category's devices in registration order, from a snapshot; an
// empty or unknown category gives S_FALSE and a NULL enumerator. BindToObject calls the device's
// factory each time (a factory may fail, e.g. while the device is busy). A device whose name is
// marked unreadable fails BindToStorage (E_FAIL).

#include <com/ClassRegistry.h>
#include <com/Moniker.h>
#include <dshow/PropertyBag.h>

#include <string>

DEFINE_GUID(CLSID_SystemDeviceEnum, 0x62BE5D10, 0x60EB, 0x11D0, 0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(CLSID_CDeviceMoniker, 0x4315D437, 0x5B8C, 0x11D0, 0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(IID_ICreateDevEnum, 0x29840822, 0x5B84, 0x11D0, 0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);

// Categories.
DEFINE_GUID(CLSID_VideoInputDeviceCategory, 0x860BB310, 0x5D01, 0x11D0, 0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(CLSID_AudioInputDeviceCategory, 0x33D9A762, 0x90C8, 0x11D0, 0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(CLSID_VideoCompressorCategory, 0x33D9A760, 0x90C8, 0x11D0, 0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(CLSID_AudioCompressorCategory, 0x33D9A761, 0x90C8, 0x11D0, 0xBD, 0x43, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(CLSID_AudioRendererCategory, 0xE0F158E1, 0xCB04, 0x11D0, 0xBD, 0x4E, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(CLSID_LegacyAmFilterCategory, 0x083863F1, 0x70DE, 0x11D0, 0xBD, 0x40, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86);
DEFINE_GUID(AM_KSCATEGORY_TVTUNER, 0xA799A800, 0xA46D, 0x11D0, 0xA1, 0x8C, 0x00, 0xA0, 0x24, 0x01, 0xDC, 0xD4);
DEFINE_GUID(AM_KSCATEGORY_CROSSBAR, 0xA799A801, 0xA46D, 0x11D0, 0xA1, 0x8C, 0x00, 0xA0, 0x24, 0x01, 0xDC, 0xD4);

// CreateClassEnumerator flags.
constexpr DWORD CDEF_DEVMON_CMGR_DEVICE = 0x2;

struct ICreateDevEnum : IUnknown {
    // S_OK with an enumerator, S_FALSE with NULL when the category has no device.
    STDMETHOD(CreateClassEnumerator)(REFCLSID category, IEnumMoniker** monikers, DWORD flags) PURE;
};
COM_INTERFACE(ICreateDevEnum, IID_ICreateDevEnum, IUnknown);

namespace dshow {

struct DeviceDescription {
    CLSID category;
    std::u16string friendly_name;
    CLSID clsid; // the "CLSID" property and the filter's class
    std::u16string device_path; // the "DevicePath" property; none when empty
    // Makes a new instance on every BindToObject (`outer` is always NULL).
    com::ClassFactoryFunction factory;
    bool name_readable { true }; // false: BindToStorage fails
};

// Adds a device at the end of its category; returns an id for unregister_device.
int register_device(DeviceDescription device);
void unregister_device(int id);
// Removes every device (tests, and the virtual hardware before it describes a new machine).
void clear_devices();

}
