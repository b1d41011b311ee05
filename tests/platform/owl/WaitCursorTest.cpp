#include <owl/WaitCursor.h>

#include <user/Cursor.h>

#include <gtest/gtest.h>

namespace {

TEST(WaitCursor, ShowsTheHourglassUntilTheOutermostEndsThenPutsBackThePreviousCursor)
{
    HCURSOR before = LoadCursorA(nullptr, IDC_CROSS);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(before);
    {
        OWL::TWaitCursor outer;
        EXPECT_EQ(GetCursor(), wait);
        {
            OWL::TWaitCursor inner;
            EXPECT_EQ(GetCursor(), wait);
        }
        EXPECT_EQ(GetCursor(), wait) << "an inner one ending keeps the hourglass";
        // Something inside changes the cursor; a new inner one brings the hourglass back.
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        {
            OWL::TWaitCursor again;
            EXPECT_EQ(GetCursor(), wait);
        }
    }
    EXPECT_EQ(GetCursor(), before);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}
