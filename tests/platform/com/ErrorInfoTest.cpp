#include <com/ErrorInfo.h>
#include <com/Object.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

std::u16string description(IErrorInfo* info)
{
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::u16string result(text ? text : u"");
    SysFreeString(text);
    return result;
}

TEST(ErrorInfo, TakingTheThreadsErrorObjectClearsItAndAnotherThreadSeesNone)
{
    auto live = com::live_objects();
    com::set_error_description(u"Encoder", u"first");
    com::set_error_description(u"Encoder", u"second"); // replaces and releases the first
    EXPECT_EQ(com::live_objects(), live + 1);

    std::thread([] {
        IErrorInfo* none = reinterpret_cast<IErrorInfo*>(1);
        EXPECT_EQ(GetErrorInfo(0, &none), S_FALSE);
        EXPECT_EQ(none, nullptr);
    }).join();

    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    EXPECT_EQ(description(info), u"second");
    info->Release();
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(com::live_objects(), live);
}

TEST(ErrorInfo, SettingNullClearsAndAReservedValueIsRefused)
{
    com::set_error_description(u"", u"gone");
    EXPECT_EQ(SetErrorInfo(1, nullptr), E_INVALIDARG);
    EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
    IErrorInfo* info = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
}

}
