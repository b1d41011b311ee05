#include "TestObjects.h"

#include <com/TaskMemory.h>
#include <com/Variant.h>

#include <cstring>
#include <gtest/gtest.h>

class StringTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_bstrs = com::outstanding_bstrs();
        m_blocks = com::outstanding_task_memory_blocks();
        m_live = com::live_objects();
    }
    void TearDown() override
    {
        EXPECT_EQ(com::outstanding_bstrs(), m_bstrs);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), m_blocks);
        EXPECT_EQ(com::live_objects(), m_live);
    }

    std::int64_t m_bstrs { 0 }, m_blocks { 0 }, m_live { 0 };
};

TEST_F(StringTest, BstrKeepsItsLengthWithEmbeddedNuls)
{
    const OLECHAR text[] = { u'a', 0, u'b', 0, u'c' };
    BSTR s = SysAllocStringLen(text, 5);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 5u);
    EXPECT_EQ(SysStringByteLen(s), 10u);
    EXPECT_EQ(std::memcmp(s, text, sizeof text), 0);
    EXPECT_EQ(s[5], 0); // terminated after the last character
    EXPECT_EQ(com::outstanding_bstrs(), m_bstrs + 1);

    // SysAllocString stops at the first NUL.
    BSTR c = SysAllocString(s);
    EXPECT_EQ(SysStringLen(c), 1u);
    SysFreeString(c);
    SysFreeString(s);

    BSTR odd = SysAllocStringByteLen("abc", 3);
    EXPECT_EQ(SysStringByteLen(odd), 3u);
    EXPECT_EQ(SysStringLen(odd), 1u);
    SysFreeString(odd);

    BSTR zeroed = SysAllocStringLen(nullptr, 4);
    EXPECT_EQ(SysStringLen(zeroed), 4u);
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(zeroed[i], 0);
    SysFreeString(zeroed);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

TEST_F(StringTest, ReallocationMayCopyFromTheOldString)
{
    BSTR s = SysAllocString(u"FriendlyName");
    ASSERT_TRUE(SysReAllocString(&s, s + 8));
    EXPECT_EQ(std::u16string(s), u"Name");
    EXPECT_EQ(SysStringLen(s), 4u);
    ASSERT_TRUE(SysReAllocStringLen(&s, s, 2));
    EXPECT_EQ(std::u16string(s), u"Na");
    SysFreeString(s);
}

TEST_F(StringTest, VariantCopyAndClearOwnTheirBstr)
{
    const OLECHAR text[] = { u'T', u'V', 0, u'1' };
    VARIANT a;
    VARIANT b;
    VariantInit(&a);
    VariantInit(&b);
    EXPECT_EQ(a.vt, VT_EMPTY);
    a.vt = VT_BSTR;
    a.bstrVal = SysAllocStringLen(text, 4);
    ASSERT_EQ(VariantCopy(&b, &a), S_OK);
    EXPECT_EQ(b.vt, VT_BSTR);
    EXPECT_NE(b.bstrVal, a.bstrVal);
    EXPECT_EQ(SysStringLen(b.bstrVal), 4u);
    EXPECT_EQ(std::memcmp(b.bstrVal, text, sizeof text), 0);
    EXPECT_EQ(com::outstanding_bstrs(), m_bstrs + 2);

    // Copying over a variant frees what it held.
    ASSERT_EQ(VariantCopy(&b, &a), S_OK);
    EXPECT_EQ(com::outstanding_bstrs(), m_bstrs + 2);

    EXPECT_EQ(VariantClear(&a), S_OK);
    EXPECT_EQ(a.vt, VT_EMPTY);
    EXPECT_EQ(VariantClear(&b), S_OK);
    EXPECT_EQ(VariantClear(&b), S_OK);

    VARIANT bad;
    bad.vt = 0x7777;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
}

TEST_F(StringTest, VariantHoldsAReferenceToAnInterface)
{
    IWidget* widget = new Widget;
    VARIANT a;
    VARIANT b;
    VariantInit(&a);
    VariantInit(&b);
    a.vt = VT_UNKNOWN;
    a.punkVal = widget;
    widget->AddRef();
    ASSERT_EQ(VariantCopy(&b, &a), S_OK);
    EXPECT_EQ(ref_count(widget), 3u);
    VariantClear(&a);
    EXPECT_EQ(ref_count(widget), 2u);
    // IWidget is no IDispatch: the conversion fails and leaves the source alone.
    EXPECT_EQ(VariantChangeType(&b, &b, 0, VT_DISPATCH), E_NOINTERFACE);
    EXPECT_EQ(b.vt, VT_UNKNOWN);
    VariantClear(&b);
    EXPECT_EQ(widget->Release(), 0u);
}

namespace {

VARIANT make_i4(LONG v)
{
    VARIANT x;
    x.vt = VT_I4;
    x.lVal = v;
    return x;
}
VARIANT make_ui4(ULONG v)
{
    VARIANT x;
    x.vt = VT_UI4;
    x.ulVal = v;
    return x;
}
VARIANT make_bool(bool v)
{
    VARIANT x;
    x.vt = VT_BOOL;
    x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return x;
}
VARIANT make_empty()
{
    VARIANT x;
    VariantInit(&x);
    return x;
}

}

TEST_F(StringTest, VariantChangeTypeConvertsTheCommonTypes)
{
    struct Case {
        VARIANT source;
        VARTYPE to;
        HRESULT expected;
        LONGLONG number; // expected value for numeric and boolean results
        const char16_t* text; // expected text for VT_BSTR results
    };
    const Case cases[] = {
        { make_i4(-5), VT_BSTR, S_OK, 0, u"-5" },
        { make_ui4(4000000000u), VT_BSTR, S_OK, 0, u"4000000000" },
        { make_bool(true), VT_BSTR, S_OK, 0, u"True" },
        { make_bool(false), VT_BSTR, S_OK, 0, u"False" },
        { make_empty(), VT_BSTR, S_OK, 0, u"" },
        { make_i4(7), VT_BOOL, S_OK, VARIANT_TRUE, nullptr },
        { make_i4(0), VT_BOOL, S_OK, VARIANT_FALSE, nullptr },
        { make_bool(true), VT_I4, S_OK, -1, nullptr },
        { make_i4(-1), VT_UI4, DISP_E_OVERFLOW, 0, nullptr },
        { make_ui4(0x80000000u), VT_I4, DISP_E_OVERFLOW, 0, nullptr },
        { make_ui4(12), VT_I4, S_OK, 12, nullptr },
        { make_empty(), VT_I4, S_OK, 0, nullptr },
        { make_i4(3), VT_EMPTY, S_OK, 0, nullptr },
    };
    for (const auto& c : cases) {
        VARIANT out;
        VariantInit(&out);
        HRESULT hr = VariantChangeType(&out, &c.source, 0, c.to);
        EXPECT_EQ(hr, c.expected) << "to " << c.to << " from " << c.source.vt;
        if (FAILED(hr)) {
            EXPECT_EQ(out.vt, VT_EMPTY);
            continue;
        }
        EXPECT_EQ(out.vt, c.to);
        if (c.to == VT_BSTR) {
            EXPECT_EQ(std::u16string(out.bstrVal, SysStringLen(out.bstrVal)), c.text);
        } else if (c.to == VT_I4) {
            EXPECT_EQ(out.lVal, c.number);
        } else if (c.to == VT_UI4) {
            EXPECT_EQ(out.ulVal, c.number);
        } else if (c.to == VT_BOOL) {
            EXPECT_EQ(out.boolVal, c.number);
        }
        VariantClear(&out);
    }
}

TEST_F(StringTest, VariantChangeTypeParsesTextInPlace)
{
    struct Case {
        const char16_t* text;
        VARTYPE to;
        HRESULT expected;
        LONGLONG number;
    };
    const Case cases[] = {
        { u"42", VT_I4, S_OK, 42 },
        { u" -17 ", VT_I4, S_OK, -17 },
        { u"4294967295", VT_UI4, S_OK, 4294967295ll },
        { u"4294967296", VT_UI4, DISP_E_OVERFLOW, 0 },
        { u"2147483648", VT_I4, DISP_E_OVERFLOW, 0 },
        { u"12abc", VT_I4, DISP_E_TYPEMISMATCH, 0 },
        { u"", VT_I4, DISP_E_TYPEMISMATCH, 0 },
        { u"true", VT_BOOL, S_OK, VARIANT_TRUE },
        { u"False", VT_BOOL, S_OK, VARIANT_FALSE },
        { u"0", VT_BOOL, S_OK, VARIANT_FALSE },
        { u"maybe", VT_BOOL, DISP_E_TYPEMISMATCH, 0 },
    };
    for (const auto& c : cases) {
        VARIANT v;
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(c.text);
        HRESULT hr = VariantChangeType(&v, &v, 0, c.to);
        EXPECT_EQ(hr, c.expected) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(v.vt, c.to);
            LONGLONG got = c.to == VT_I4 ? v.lVal : c.to == VT_UI4 ? LONGLONG(v.ulVal) : v.boolVal;
            EXPECT_EQ(got, c.number);
        } else {
            EXPECT_EQ(v.vt, VT_BSTR); // a failed conversion leaves the source as it was
        }
        VariantClear(&v);
    }
}

TEST_F(StringTest, TaskMemoryBlocksAreCounted)
{
    void* a = CoTaskMemAlloc(16);
    void* b = CoTaskMemAlloc(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(com::outstanding_task_memory_blocks(), m_blocks + 2);
    std::memset(a, 0x5A, 16);
    a = CoTaskMemRealloc(a, 4096);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(static_cast<BYTE*>(a)[15], 0x5A);
    EXPECT_EQ(com::outstanding_task_memory_blocks(), m_blocks + 2);
    EXPECT_EQ(CoTaskMemRealloc(b, 0), nullptr);
    EXPECT_EQ(com::outstanding_task_memory_blocks(), m_blocks + 1);
    void* c = CoTaskMemRealloc(nullptr, 8);
    EXPECT_EQ(com::outstanding_task_memory_blocks(), m_blocks + 2);
    CoTaskMemFree(c);
    CoTaskMemFree(a);
    CoTaskMemFree(nullptr);
}
