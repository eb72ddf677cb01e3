#include <gtest/gtest.h>
#include "data/DataCenter.h"
#include "data/Stock.h"
TEST(CenterBuild, Links) { CStock stock(0x600000); EXPECT_EQ(stock.GetPeriod(), 6); }
