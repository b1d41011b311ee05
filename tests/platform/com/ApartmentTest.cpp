#include "TestObjects.h"

#include <com/Apartment.h>
#include <com/ClassRegistry.h>
#include <com/ComPtr.h>

#include <gtest/gtest.h>
#include <thread>

DEFINE_GUID(CLSID_Unregistered, 0x5C0E7A12, 0x1B2D, 0x4E3F, 0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x40, 0x51);

TEST(Apartment, CountsInitialisationsPerThread)
{
    ASSERT_EQ(com::thread_init_count(), 0);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    // Asking for the other model is refused and not counted.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(com::thread_init_count(), 3);

    std::thread other([] {
        EXPECT_FALSE(com::thread_initialized());
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(com::thread_init_count(), 0);
    });
    other.join();
    EXPECT_EQ(com::thread_init_count(), 3);

    CoUninitialize();
    CoUninitialize();
    EXPECT_TRUE(com::thread_initialized());
    CoUninitialize();
    EXPECT_FALSE(com::thread_initialized());
    CoUninitialize(); // unmatched: harmless
    EXPECT_EQ(com::thread_init_count(), 0);

    // Fully uninitialised, the thread may start over in either model.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
}

class ClassRegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        com::register_class(CLSID_Widget, [](IUnknown* outer, REFIID iid, void** out) {
            return com::create_instance<Widget>(outer, iid, out, 5);
        });
        m_live = com::live_objects();
    }
    void TearDown() override
    {
        com::enable_all_classes();
        com::unregister_class(CLSID_Widget);
        CoUninitialize();
        EXPECT_EQ(com::live_objects(), m_live);
    }

    std::int64_t m_live { 0 };
};

TEST_F(ClassRegistryTest, CreatesRegisteredClassesOnly)
{
    struct Case {
        const char* what;
        const CLSID& clsid;
        DWORD context;
        bool switched_off;
        HRESULT expected;
    };
    const Case cases[] = {
        { "registered, in-process", CLSID_Widget, CLSCTX_INPROC_SERVER, false, S_OK },
        { "registered, in-process server or handler", CLSID_Widget, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, false, S_OK },
        { "registered, all contexts", CLSID_Widget, CLSCTX_ALL, false, S_OK },
        { "registered, local server only", CLSID_Widget, CLSCTX_LOCAL_SERVER, false, REGDB_E_CLASSNOTREG },
        { "never registered", CLSID_Unregistered, CLSCTX_ALL, false, REGDB_E_CLASSNOTREG },
        { "switched off", CLSID_Widget, CLSCTX_ALL, true, REGDB_E_CLASSNOTREG },
    };
    for (const auto& c : cases) {
        com::set_class_enabled(CLSID_Widget, !c.switched_off);
        IWidget* widget = reinterpret_cast<IWidget*>(1);
        EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, c.context, IID_IWidget, reinterpret_cast<void**>(&widget)), c.expected) << c.what;
        if (c.expected == S_OK) {
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->Value(), 5);
            EXPECT_EQ(ref_count(widget), 1u) << c.what;
            widget->Release();
        } else {
            EXPECT_EQ(widget, nullptr) << c.what;
        }
    }
    com::set_class_enabled(CLSID_Widget, true);
    EXPECT_TRUE(com::is_class_registered(CLSID_Widget));
}

TEST_F(ClassRegistryTest, SwitchingOffBeforeRegistrationSticks)
{
    com::set_class_enabled(CLSID_Unregistered, false);
    com::register_class(CLSID_Unregistered, [](IUnknown* outer, REFIID iid, void** out) { return com::create_instance<Widget>(outer, iid, out); });
    EXPECT_FALSE(com::is_class_registered(CLSID_Unregistered));
    CComPtr<IWidget> widget;
    EXPECT_EQ(CoCreateInstance(CLSID_Unregistered, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&widget)), REGDB_E_CLASSNOTREG);
    com::set_class_enabled(CLSID_Unregistered, true);
    EXPECT_EQ(CoCreateInstance(CLSID_Unregistered, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&widget)), S_OK);
    widget.Release();
    com::unregister_class(CLSID_Unregistered);
}

TEST_F(ClassRegistryTest, FailedCreationLeavesNothingBehind)
{
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_Widget, nullptr, CLSCTX_INPROC_SERVER, IID_IStream, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    CComPtr<IWidget> outer;
    outer.Attach(new Widget);
    EXPECT_EQ(CoCreateInstance(CLSID_Widget, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_Widget, nullptr, CLSCTX_INPROC_SERVER, IID_IWidget, nullptr), E_POINTER);
}

TEST_F(ClassRegistryTest, RefusesThreadsThatDidNotInitialise)
{
    std::thread other([] {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(CLSID_Widget, nullptr, CLSCTX_INPROC_SERVER, IID_IWidget, &out), CO_E_NOTINITIALIZED);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(CoGetClassObject(CLSID_Widget, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &out), CO_E_NOTINITIALIZED);
    });
    other.join();
}

TEST_F(ClassRegistryTest, ClassFactoryMakesInstances)
{
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_Widget, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&factory)), S_OK);
    CComPtr<IWidget> widget;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&widget)), S_OK);
    EXPECT_EQ(widget->Value(), 5);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    CComPtr<IClassFactory> none;
    com::set_class_enabled(CLSID_Widget, false);
    EXPECT_EQ(CoGetClassObject(CLSID_Widget, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&none)), REGDB_E_CLASSNOTREG);
}
