// The indicator definition store filled the way the loading sequence fills
// it: the formula document fetched from the simulator into the data center,
// then read with an empty path.
#include <gtest/gtest.h>

#include "data/DataCenter.h"
#include "formula/FormulaLibrary.h"
#include "tests/center/CenterFixture.h"

namespace {

class FormulaLibraryLoad : public CenterFixture
{
protected:
    void TearDown() override
    {
        FormulaLibrary::Release();
        CenterFixture::TearDown();
    }
};

} // namespace

TEST_F(FormulaLibraryLoad, AnEmptyPathReadsTheDataCentersFormulaDocument)
{
    FormulaLibrary* library = FormulaLibrary::Instance();
    ASSERT_NE(library, nullptr);
    // Nothing fetched yet: nothing to read, and the store stays empty.
    EXPECT_EQ(library->Load(L""), 0);
    EXPECT_TRUE(library->GetDefinitions().empty());

    ASSERT_EQ(center->LoadFormulaData(), S_OK);
    ASSERT_EQ(library->Load(L""), 1);
    ASSERT_EQ(library->Load(nullptr), 1);
    const FormulaDefinition* macd = library->FindByName(L"MACD");
    ASSERT_NE(macd, nullptr);
    EXPECT_EQ(macd->des, L"平滑异同移动平均线");
    EXPECT_EQ(library->NumberByShowName(L"KDJ"), library->FindByName(L"KDJ")->NO);
    EXPECT_EQ(library->GetDefinitions().size(), library->GetLoadOrder().size());
}
