#include "TestObjects.h"

#include <com/Apartment.h>
#include <com/ComPtr.h>
#include <com/RunningObjectTable.h>
#include <com/TaskMemory.h>

#include <gtest/gtest.h>
#include <thread>

class RunningObjectTableTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        m_live = com::live_objects();
        m_blocks = com::outstanding_task_memory_blocks();
        ASSERT_EQ(GetRunningObjectTable(0, &m_table), S_OK);
    }
    void TearDown() override
    {
        m_table.Release();
        EXPECT_TRUE(com::running_object_names().empty());
        com::clear_running_object_table();
        com::set_running_object_table_available(true);
        EXPECT_EQ(com::live_objects(), m_live);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), m_blocks);
        CoUninitialize();
    }

    static CComPtr<IMoniker> item(const char16_t* name)
    {
        CComPtr<IMoniker> moniker;
        EXPECT_EQ(CreateItemMoniker(u"!", name, &moniker), S_OK);
        return moniker;
    }

    CComPtr<IRunningObjectTable> m_table;
    std::int64_t m_live { 0 };
    std::int64_t m_blocks { 0 };
};

TEST_F(RunningObjectTableTest, ItemMonikerDisplayNameIsDelimiterAndItem)
{
    auto moniker = item(u"FilterGraph 0123abcd pid 00001234");
    LPOLESTR name = nullptr;
    ASSERT_EQ(moniker->GetDisplayName(nullptr, nullptr, &name), S_OK);
    EXPECT_EQ(std::u16string(name), u"!FilterGraph 0123abcd pid 00001234");
    CoTaskMemFree(name);

    DWORD kind = 0;
    EXPECT_EQ(moniker->IsSystemMoniker(&kind), S_OK);
    EXPECT_EQ(kind, MKSYS_ITEMMONIKER);
    EXPECT_EQ(moniker->IsEqual(item(u"filtergraph 0123ABCD PID 00001234")), S_OK);
    EXPECT_EQ(moniker->IsEqual(item(u"FilterGraph 0123abcd pid 00001235")), S_FALSE);
    CComPtr<IMoniker> other_delimiter;
    ASSERT_EQ(CreateItemMoniker(u"/", u"FilterGraph 0123abcd pid 00001234", &other_delimiter), S_OK);
    EXPECT_EQ(moniker->IsEqual(other_delimiter), S_FALSE);
}

TEST_F(RunningObjectTableTest, RegistrationKeepsTheObjectAliveUntilRevoke)
{
    auto name = item(u"FilterGraph 0123abcd pid 00001234");
    IWidget* graph = new Widget;

    DWORD first = 0;
    DWORD second = 0;
    EXPECT_EQ(m_table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, graph, name, &first), S_OK);
    EXPECT_EQ(m_table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, graph, name, &second), MK_S_MONIKERALREADYREGISTERED);
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(ref_count(graph), 3u);

    auto names = com::running_object_names();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], u"!FilterGraph 0123abcd pid 00001234");

    // The caller lets go; the table still holds the object.
    auto live_with_graph = com::live_objects();
    graph->Release();
    EXPECT_EQ(com::live_objects(), live_with_graph);

    EXPECT_EQ(m_table->IsRunning(item(u"FilterGraph 0123abcd pid 00001234")), S_OK);
    EXPECT_EQ(m_table->IsRunning(item(u"FilterGraph 99999999 pid 00001234")), S_FALSE);
    CComPtr<IUnknown> found;
    ASSERT_EQ(m_table->GetObject(item(u"FilterGraph 0123abcd pid 00001234"), &found), S_OK);
    CComPtr<IWidget> widget;
    ASSERT_EQ(found.QueryInterface(&widget), S_OK);
    EXPECT_EQ(widget->Value(), 7);
    found.Release();
    widget.Release();
    CComPtr<IUnknown> missing;
    EXPECT_EQ(m_table->GetObject(item(u"nothing"), &missing), MK_E_UNAVAILABLE);
    EXPECT_EQ(missing.p, nullptr);

    EXPECT_EQ(m_table->Revoke(first), S_OK);
    EXPECT_EQ(m_table->Revoke(first), E_INVALIDARG);
    EXPECT_EQ(m_table->IsRunning(name), S_OK); // the second entry remains
    EXPECT_EQ(m_table->Revoke(second), S_OK);
    EXPECT_EQ(m_table->IsRunning(name), S_FALSE);
    EXPECT_EQ(m_table->Revoke(0), E_INVALIDARG);
    EXPECT_EQ(m_table->Revoke(0x12345678), E_INVALIDARG);
}

TEST_F(RunningObjectTableTest, EnumeratesAndBindsRegisteredNames)
{
    IWidget* a = new Widget(1);
    IWidget* b = new Widget(2);
    DWORD ca = 0, cb = 0;
    ASSERT_EQ(m_table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, a, item(u"A"), &ca), S_OK);
    ASSERT_EQ(m_table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, b, item(u"B"), &cb), S_OK);
    a->Release();
    b->Release();

    CComPtr<IEnumMoniker> monikers;
    ASSERT_EQ(m_table->EnumRunning(&monikers), S_OK);
    std::vector<std::u16string> seen;
    IMoniker* m = nullptr;
    while (monikers->Next(1, &m, nullptr) == S_OK) {
        LPOLESTR text = nullptr;
        m->GetDisplayName(nullptr, nullptr, &text);
        seen.emplace_back(text);
        CoTaskMemFree(text);
        m->Release();
    }
    EXPECT_EQ(seen, (std::vector<std::u16string> { u"!A", u"!B" }));
    EXPECT_EQ(monikers->Reset(), S_OK);
    EXPECT_EQ(monikers->Skip(3), S_FALSE);

    // An item moniker alone binds through the table.
    CComPtr<IBindCtx> context;
    ASSERT_EQ(CreateBindCtx(0, &context), S_OK);
    CComPtr<IWidget> bound;
    ASSERT_EQ(item(u"b")->BindToObject(context, nullptr, IID_PPV_ARGS(&bound)), S_OK);
    EXPECT_EQ(bound->Value(), 2);
    bound.Release();
    EXPECT_EQ(item(u"C")->BindToObject(context, nullptr, IID_PPV_ARGS(&bound)), MK_E_NOOBJECT);

    EXPECT_EQ(m_table->Revoke(ca), S_OK);
    EXPECT_EQ(m_table->Revoke(cb), S_OK);
}

TEST_F(RunningObjectTableTest, TableCanBeMissing)
{
    com::set_running_object_table_available(false);
    CComPtr<IRunningObjectTable> table;
    EXPECT_EQ(GetRunningObjectTable(0, &table), E_FAIL);
    EXPECT_EQ(table.p, nullptr);
    com::set_running_object_table_available(true);

    std::thread other([] {
        IRunningObjectTable* t = reinterpret_cast<IRunningObjectTable*>(1);
        EXPECT_EQ(GetRunningObjectTable(0, &t), CO_E_NOTINITIALIZED);
        EXPECT_EQ(t, nullptr);
    });
    other.join();
}

TEST_F(RunningObjectTableTest, BindContextHoldsBoundObjectsUntilReleased)
{
    CComPtr<IBindCtx> context;
    ASSERT_EQ(CreateBindCtx(0, &context), S_OK);
    IWidget* widget = new Widget;
    ASSERT_EQ(context->RegisterObjectBound(widget), S_OK);
    EXPECT_EQ(ref_count(widget), 2u);
    ASSERT_EQ(context->ReleaseBoundObjects(), S_OK);
    EXPECT_EQ(ref_count(widget), 1u);

    ASSERT_EQ(context->RegisterObjectParam(const_cast<LPOLESTR>(u"key"), widget), S_OK);
    CComPtr<IUnknown> param;
    ASSERT_EQ(context->GetObjectParam(const_cast<LPOLESTR>(u"key"), &param), S_OK);
    EXPECT_TRUE(param.IsEqualObject(widget));
    param.Release();
    ASSERT_EQ(context->RegisterObjectBound(widget), S_OK);
    widget->Release();
    context.Release(); // releases the bound object and the parameter
}
