#include <TestFilters.h>

#include <base/Text.h>
#include <com/TaskMemory.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>

#include <gtest/gtest.h>

namespace {

using namespace test_filters;

class DeviceEnumerator : public testing::Test {
protected:
    void SetUp() override
    {
        dshow::register_classes();
        dshow::clear_devices();
        objects = com::live_objects();
        blocks = com::outstanding_task_memory_blocks();
    }
    void TearDown() override
    {
        dshow::clear_devices();
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), blocks);
    }
    static dshow::DeviceDescription device(const char16_t* name, int* binds = nullptr)
    {
        return { CLSID_VideoInputDeviceCategory, name, CLSID_TestSource, u"\\\\?\\sim#tv#1",
            [binds](IUnknown*, REFIID iid, void** out) {
                if (binds)
                    ++*binds;
                return com::create_instance<Source>(nullptr, iid, out);
            } };
    }
    CComPtr<IEnumMoniker> enumerate(REFCLSID category, HRESULT expected = S_OK)
    {
        CComPtr<ICreateDevEnum> devices;
        EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, reinterpret_cast<void**>(&devices)), S_OK);
        CComPtr<IEnumMoniker> monikers;
        EXPECT_EQ(devices->CreateClassEnumerator(category, &monikers, 0), expected);
        return monikers;
    }
    static std::u16string read(IMoniker* moniker, const char16_t* property, HRESULT expected = S_OK)
    {
        CComPtr<IPropertyBag> bag;
        EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)), S_OK);
        VARIANT value;
        VariantInit(&value);
        EXPECT_EQ(bag->Read(property, &value, nullptr), expected);
        std::u16string text;
        if (value.vt == VT_BSTR)
            text = value.bstrVal;
        VariantClear(&value);
        return text;
    }

    ComScope com_scope;
    std::int64_t objects {};
    std::int64_t blocks {};
};

TEST_F(DeviceEnumerator, EmptyCategoryGivesSFalseAndNoEnumerator)
{
    auto monikers = enumerate(CLSID_AudioRendererCategory, S_FALSE);
    EXPECT_FALSE(monikers);
    dshow::register_device(device(u"TV Card"));
    EXPECT_FALSE(enumerate(CLSID_AudioRendererCategory, S_FALSE));
}

TEST_F(DeviceEnumerator, ListsInRegistrationOrderWithTheirProperties)
{
    dshow::register_device(device(u"First Card"));
    auto second = device(u"Second Card");
    second.device_path.clear();
    dshow::register_device(second);
    auto monikers = enumerate(CLSID_VideoInputDeviceCategory);
    ASSERT_TRUE(monikers);
    IMoniker* moniker = nullptr;
    ASSERT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
    EXPECT_EQ(read(moniker, u"FriendlyName"), u"First Card");
    EXPECT_EQ(read(moniker, u"CLSID"), base::to_utf16(com::guid_to_string(CLSID_TestSource)));
    EXPECT_EQ(read(moniker, u"DevicePath"), u"\\\\?\\sim#tv#1");
    EXPECT_EQ(read(moniker, u"Description", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), u"");
    moniker->Release();
    ASSERT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
    EXPECT_EQ(read(moniker, u"FriendlyName"), u"Second Card");
    EXPECT_EQ(read(moniker, u"DevicePath", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), u"");
    moniker->Release();
    EXPECT_EQ(monikers->Next(1, &moniker, nullptr), S_FALSE);
}

TEST_F(DeviceEnumerator, EachBindMakesANewFilterAndFailuresPassThrough)
{
    int binds = 0;
    dshow::register_device(device(u"TV Card", &binds));
    auto broken = device(u"Busy Card");
    broken.factory = [](IUnknown*, REFIID, void** out) {
        *out = nullptr;
        return E_ACCESSDENIED;
    };
    broken.name_readable = false;
    dshow::register_device(broken);

    auto monikers = enumerate(CLSID_VideoInputDeviceCategory);
    CComPtr<IMoniker> card, busy;
    ASSERT_EQ(monikers->Next(1, &card, nullptr), S_OK);
    ASSERT_EQ(monikers->Next(1, &busy, nullptr), S_OK);

    CComPtr<IBaseFilter> a, b;
    ASSERT_EQ(card->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(card->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_NE(a.p, b.p);
    EXPECT_EQ(binds, 2);

    IBaseFilter* none = reinterpret_cast<IBaseFilter*>(1);
    EXPECT_EQ(busy->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&none)), E_ACCESSDENIED);
    EXPECT_EQ(none, nullptr);
    IPropertyBag* bag = reinterpret_cast<IPropertyBag*>(1);
    EXPECT_EQ(busy->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)), E_FAIL);
    EXPECT_EQ(bag, nullptr);

    EXPECT_EQ(card->IsEqual(card), S_OK);
    EXPECT_EQ(card->IsEqual(busy), S_FALSE);
}

TEST_F(DeviceEnumerator, DeviceAndItemMonikersShareTheLeafMonikersAnswers)
{
    dshow::register_device(device(u"TV Card"));
    CComPtr<IMoniker> card;
    ASSERT_EQ(enumerate(CLSID_VideoInputDeviceCategory)->Next(1, &card, nullptr), S_OK);
    CComPtr<IMoniker> item;
    ASSERT_EQ(CreateItemMoniker(u"!", u"TV Card", &item), S_OK);

    for (IMoniker* moniker : { card.p, item.p }) {
        EXPECT_EQ(moniker->IsEqual(nullptr), E_INVALIDARG);
        // Reduced to itself, the caller's left moniker untouched.
        IMoniker* left = item;
        CComPtr<IMoniker> reduced;
        EXPECT_EQ(moniker->Reduce(nullptr, 0, &left, &reduced), MK_S_REDUCED_TO_SELF);
        EXPECT_EQ(reduced.p, moniker);
        EXPECT_EQ(left, item.p);
    }
    EXPECT_EQ(card->IsEqual(item), S_FALSE);
    EXPECT_EQ(item->IsEqual(card), S_FALSE);
}

TEST_F(DeviceEnumerator, AnEnumeratorKeepsItsSnapshot)
{
    int id = dshow::register_device(device(u"TV Card"));
    auto monikers = enumerate(CLSID_VideoInputDeviceCategory);
    dshow::unregister_device(id);
    CComPtr<IMoniker> moniker;
    ASSERT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
    EXPECT_EQ(read(moniker, u"FriendlyName"), u"TV Card");
    EXPECT_FALSE(enumerate(CLSID_VideoInputDeviceCategory, S_FALSE));
}

}
