#include <base/Arithmetic.h>

#include <gtest/gtest.h>

namespace {

TEST(MulDiv, RoundsToNearestThroughSixtyFourBitsAndFailsOnZeroOrOverflow)
{
    struct Case {
        int a, b, c, expected;
    };
    for (Case t : { Case { 10, 1000, 3, 3333 }, Case { 20, 1000, 3, 6667 }, Case { 1, 1, 2, 1 }, Case { -1, 1, 2, -1 },
             Case { 3, 1, -2, -2 }, Case { 100000, 100000, 1000, 10000000 }, Case { 3725, 1000, 3725, 1000 },
             Case { 5, 7, 0, -1 }, Case { 0x7FFFFFFF, 4, 1, -1 } }) {
        EXPECT_EQ(MulDiv(t.a, t.b, t.c), t.expected) << t.a << " * " << t.b << " / " << t.c;
    }
}

}
