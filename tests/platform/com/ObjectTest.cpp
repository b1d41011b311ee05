#include "TestObjects.h"

#include <com/ComPtr.h>

#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(Object, QueryInterfaceCountsExactlyAndDestroysAtZero)
{
    auto live = com::live_objects();
    IWidget* widget = new Widget;
    EXPECT_EQ(com::live_objects(), live + 1);
    EXPECT_EQ(ref_count(widget), 1u);

    IPersist* persist = nullptr;
    ASSERT_EQ(widget->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    EXPECT_EQ(ref_count(widget), 2u);
    CLSID clsid {};
    persist->GetClassID(&clsid);
    EXPECT_EQ(clsid, CLSID_Widget);

    // One identity: IUnknown from either interface is the same pointer.
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    widget->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
    persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
    EXPECT_EQ(a, b);
    EXPECT_EQ(ref_count(widget), 4u);
    a->Release();
    b->Release();

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(widget->QueryInterface(IID_IStream, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(widget->QueryInterface(IID_IWidget, nullptr), E_POINTER);
    EXPECT_EQ(ref_count(widget), 2u);

    EXPECT_EQ(persist->Release(), 1u);
    EXPECT_EQ(widget->Release(), 0u);
    EXPECT_EQ(com::live_objects(), live);
}

TEST(Object, ReferenceCountsBalanceAcrossThreads)
{
    auto live = com::live_objects();
    IWidget* widget = new Widget;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([widget] {
            for (int i = 0; i < 10000; ++i) {
                widget->AddRef();
                widget->Release();
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(widget->Release(), 0u);
    EXPECT_EQ(com::live_objects(), live);
}

TEST(ComPtr, HoldsExactlyOneReferenceThroughCopyMoveAttachDetach)
{
    auto live = com::live_objects();
    IWidget* raw = new Widget(42);
    {
        CComPtr<IWidget> first;
        first.Attach(raw); // takes the creator's reference
        EXPECT_EQ(ref_count(raw), 1u);

        CComPtr<IWidget> copy = first;
        EXPECT_EQ(ref_count(raw), 2u);
        CComPtr<IWidget> moved = std::move(copy);
        EXPECT_EQ(copy.p, nullptr);
        EXPECT_EQ(ref_count(raw), 2u);
        EXPECT_EQ(moved->Value(), 42);

        CComPtr<IPersist> persist;
        ASSERT_EQ(moved.QueryInterface(&persist), S_OK);
        EXPECT_EQ(ref_count(raw), 3u);
        EXPECT_TRUE(persist.IsEqualObject(first));

        CComPtr<IUnknown> unknown;
        ASSERT_EQ(first->QueryInterface(IID_PPV_ARGS(&unknown)), S_OK);
        EXPECT_EQ(ref_count(raw), 4u);
        unknown.Release();
        EXPECT_EQ(unknown.p, nullptr);

        moved = first; // self-family assignment keeps the counts straight
        EXPECT_EQ(ref_count(raw), 3u);
        moved = nullptr;
        persist = nullptr;
        EXPECT_EQ(ref_count(raw), 1u);

        IWidget* detached = first.Detach();
        EXPECT_EQ(first.p, nullptr);
        EXPECT_EQ(ref_count(detached), 1u);
        CComPtr<IWidget> again(detached); // AddRefs
        EXPECT_EQ(ref_count(raw), 2u);
        detached->Release();
    }
    EXPECT_EQ(com::live_objects(), live);
}

TEST(ComPtr, QueryInterfaceOnEmptyOrWrongInterfaceLeavesOutEmpty)
{
    CComPtr<IWidget> empty;
    CComPtr<IPersist> out;
    EXPECT_EQ(empty.QueryInterface(&out), E_POINTER);
    EXPECT_EQ(out.p, nullptr);

    CComPtr<IWidget> widget;
    widget.Attach(new Widget);
    CComPtr<IStream> stream;
    EXPECT_EQ(widget.QueryInterface(&stream), E_NOINTERFACE);
    EXPECT_EQ(stream.p, nullptr);
    EXPECT_EQ(ref_count(widget), 1u);
}
