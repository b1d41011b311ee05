#include <com/Guid.h>

#include <gtest/gtest.h>

DEFINE_GUID(CLSID_Sample, 0xE436EBB3, 0x524F, 0x11CE, 0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70);
static_assert(IsEqualGUID(CLSID_Sample, CLSID_Sample));
static_assert(!IsEqualGUID(CLSID_Sample, GUID_NULL));

TEST(Guid, StringFromGuid2WritesTheBracedUpperCaseForm)
{
    OLECHAR text[39];
    EXPECT_EQ(StringFromGUID2(CLSID_Sample, text, 39), 39);
    EXPECT_EQ(std::u16string(text), u"{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
    EXPECT_EQ(com::guid_to_string(CLSID_Sample), "{E436EBB3-524F-11CE-9F53-0020AF0BA770}");

    OLECHAR small[38] = { u'x' };
    EXPECT_EQ(StringFromGUID2(CLSID_Sample, small, 38), 0);
    EXPECT_EQ(small[0], u'x');
}

TEST(Guid, ParsesBracedTextInEitherCase)
{
    CLSID clsid {};
    ASSERT_EQ(CLSIDFromString(u"{e436ebb3-524f-11ce-9f53-0020af0ba770}", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Sample);
    IID iid {};
    ASSERT_EQ(IIDFromString(u"{E436EBB3-524F-11CE-9F53-0020AF0BA770}", &iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, CLSID_Sample));
}

TEST(Guid, RejectsMalformedText)
{
    const char16_t* bad[] = {
        u"",
        u"E436EBB3-524F-11CE-9F53-0020AF0BA770",
        u"{E436EBB3-524F-11CE-9F53-0020AF0BA77}",
        u"{E436EBB3-524F-11CE-9F53-0020AF0BA7700}",
        u"{E436EBB3-524F-11CE-9F53+0020AF0BA770}",
        u"{E436EBB3-524F-11CE-9F53-0020AF0BA7G0}",
        u"(E436EBB3-524F-11CE-9F53-0020AF0BA770)",
    };
    for (auto* text : bad) {
        CLSID clsid = CLSID_Sample;
        EXPECT_EQ(CLSIDFromString(text, &clsid), CO_E_CLASSSTRING) << com::guid_to_string(clsid);
        EXPECT_EQ(clsid, CLSID_NULL);
        IID iid {};
        EXPECT_EQ(IIDFromString(text, &iid), E_INVALIDARG);
    }
    CLSID clsid {};
    EXPECT_EQ(CLSIDFromString(nullptr, &clsid), CO_E_CLASSSTRING);
}

TEST(Guid, OrderIsStrictAndConsistentWithEquality)
{
    GUID a = CLSID_Sample;
    GUID b = CLSID_Sample;
    b.Data4[7] = 0x71;
    com::GuidLess less;
    EXPECT_TRUE(less(a, b));
    EXPECT_FALSE(less(b, a));
    EXPECT_FALSE(less(a, a));
    EXPECT_FALSE(a == b);
}
