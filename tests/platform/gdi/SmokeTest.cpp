#include <gdi/Gdi.h>
#include <gtest/gtest.h>
TEST(Smoke, Builds) { EXPECT_TRUE(GetStockObject(WHITE_BRUSH)); }
