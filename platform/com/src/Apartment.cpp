#include <com/Apartment.h>

namespace {

struct ThreadApartment {
    int count { 0 };
    bool multithreaded { false };
};

thread_local ThreadApartment t_apartment;

}

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(LPVOID, DWORD coinit)
{
    bool multithreaded = (coinit & COINIT_APARTMENTTHREADED) == 0;
    if (t_apartment.count > 0) {
        if (t_apartment.multithreaded != multithreaded)
            return RPC_E_CHANGED_MODE;
        ++t_apartment.count;
        return S_FALSE;
    }
    t_apartment.count = 1;
    t_apartment.multithreaded = multithreaded;
    return S_OK;
}

void CoUninitialize()
{
    if (t_apartment.count > 0)
        --t_apartment.count;
}

namespace com {

int thread_init_count() { return t_apartment.count; }

bool thread_initialized() { return t_apartment.count > 0; }

}
