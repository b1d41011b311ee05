#include <owl/Application.h>

#include <gtest/gtest.h>

using namespace OWL;

TEST(Application, CurrentObjectNameAndDefaultMainWindow)
{
    EXPECT_EQ(GetApplicationObject(), nullptr);
    {
        TApplication app("Orbivane");
        EXPECT_EQ(GetApplicationObject(), &app);
        EXPECT_STREQ(app.GetName(), "Orbivane");
        app.InitMainWindow();
        ASSERT_NE(app.GetMainWindow(), nullptr);
        EXPECT_STREQ(app.GetMainWindow()->GetCaption(), "Orbivane");
        ASSERT_TRUE(app.GetMainWindow()->Create());
        EXPECT_TRUE(IsWindow(app.GetMainWindow()->GetHandle()));
        EXPECT_TRUE(app.CanClose());
    }
    EXPECT_EQ(GetApplicationObject(), nullptr);
}
