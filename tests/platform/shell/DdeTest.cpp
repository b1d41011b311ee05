#include <shell/Dde.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class DdeTest : public testing::Test {
protected:
    void SetUp() override
    {
        shell::testing::clear_dde_journal();
        ASSERT_EQ(DdeInitializeA(&instance, nullptr, APPCMD_CLIENTONLY, 0), UINT(DMLERR_NO_ERROR));
    }
    void TearDown() override
    {
        DdeUninitialize(instance);
        shell::unregister_dde_server("IEXPLORE", "WWW_OpenURL");
        shell::unregister_dde_server("IEXPLORE", "WWW_Activate");
    }
    HSZ text(const char* s) { return DdeCreateStringHandleA(instance, s, CP_WINANSI); }
    DWORD instance = 0;
};

TEST_F(DdeTest, NoServerMeansNoConversation)
{
    HCONV conversation = DdeConnect(instance, text("NETSCAPE"), text("WWW_OpenURL"), nullptr);
    EXPECT_EQ(conversation, nullptr);
    EXPECT_EQ(DdeGetLastError(instance), UINT(DMLERR_NO_CONV_ESTABLISHED));
    auto journal = shell::testing::dde_journal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].service, "NETSCAPE");
    EXPECT_FALSE(journal[0].succeeded);
}

TEST_F(DdeTest, RegisteredServerAnswersRequestsOrTimesOut)
{
    std::string asked;
    shell::register_dde_server("iexplore", "www_openurl", [&](const std::string& item) {
        asked = item;
        return std::optional<std::string>("4711");
    });
    shell::register_dde_server("IEXPLORE", "WWW_Activate", [](const std::string&) { return std::nullopt; });

    HCONV open = DdeConnect(instance, text("IEXPLORE"), text("WWW_OpenURL"), nullptr);
    ASSERT_NE(open, nullptr);
    HDDEDATA data = DdeClientTransaction(nullptr, 0, open, text("\"http://x\",,-1,,,,"), CF_TEXT, XTYP_REQUEST, 1000, nullptr);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(asked, "\"http://x\",,-1,,,,");
    EXPECT_EQ(DdeGetData(data, nullptr, 0, 0), 5u);
    BYTE buffer[8] {};
    EXPECT_EQ(DdeGetData(data, buffer, 3, 1), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), "711");
    EXPECT_TRUE(DdeFreeDataHandle(data));
    EXPECT_FALSE(DdeFreeDataHandle(data));
    EXPECT_TRUE(DdeDisconnect(open));
    EXPECT_EQ(DdeClientTransaction(nullptr, 0, open, text("x"), CF_TEXT, XTYP_REQUEST, 1000, nullptr), nullptr);

    HCONV activate = DdeConnect(instance, text("IEXPLORE"), text("WWW_Activate"), nullptr);
    ASSERT_NE(activate, nullptr);
    EXPECT_EQ(DdeClientTransaction(nullptr, 0, activate, text("-1,0"), CF_TEXT, XTYP_REQUEST, 1000, nullptr), nullptr);
    EXPECT_EQ(DdeGetLastError(instance), UINT(DMLERR_DATAACKTIMEOUT));

    auto journal = shell::testing::dde_journal();
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_EQ(journal[1].item, "\"http://x\",,-1,,,,");
    EXPECT_TRUE(journal[1].succeeded);
    EXPECT_EQ(journal[3].topic, "WWW_Activate");
    EXPECT_FALSE(journal[3].succeeded);

    // Uninitializing ends the instance's conversations.
    EXPECT_TRUE(DdeUninitialize(instance));
    EXPECT_FALSE(DdeDisconnect(activate));
    EXPECT_EQ(DdeConnect(instance, text("IEXPLORE"), text("WWW_OpenURL"), nullptr), nullptr);
}

}
