// MACD, KDJ, RSI and BOLL as a chart computes them: the simulator's
// definitions loaded into the store, compiled, run by a calculator over a
// stock's day bars and drawn, checked against reference values of plain double
// loops (tools/formula_ref.py, "indicators.csv").
#include "data/Rc4.h"
#include "data/Stock.h"
#include "formula/FormulaCalculator.h"
#include "formula/FormulaLibrary.h"
#include "formula/FormulaManager.h"
#include "formula/IndicatorPainter.h"
#include "formula/ScriptAcceptor.h"
#include "tests/formula/ReferenceTable.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "tools/marketdata/SimMarketSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

class IndicatorEndToEnd : public ::testing::TestWithParam<const char*>
{
protected:
    static void SetUpTestSuite()
    {
        s_table = new ReferenceTable(LoadReferenceTable("FORMULA_REFERENCE_INDICATORS"));
        std::string plain = SimMarketSeries().FormulaBody();
        ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
        s_library = new FormulaLibrary();
        s_library->LoadFromBody(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int32_t>(plain.size()));
    }
    static void TearDownTestSuite()
    {
        delete s_library;
        delete s_table;
    }

    void SetUp() override
    {
        ASSERT_GT(s_table->count, 100);
        const ReferenceTable& t = *s_table;
        for (int i = 0; i < t.count; ++i) {
            stock.GetDayData().AppendBar(MakeBar(T(2020, 1, 1) + i * 86400, t.columns.at("O")[i],
                t.columns.at("H")[i], t.columns.at("L")[i], t.columns.at("C")[i], t.columns.at("V")[i]));
        }
    }

    static ReferenceTable* s_table;
    static FormulaLibrary* s_library;
    CStock stock { 0x600000 };
    IndicatorPainter painter;
};

ReferenceTable* IndicatorEndToEnd::s_table = nullptr;
FormulaLibrary* IndicatorEndToEnd::s_library = nullptr;

}

TEST_P(IndicatorEndToEnd, AgreesWithTheReferenceValues)
{
    const std::string wanted = GetParam();
    const FormulaDefinition* definition = s_library->FindByName(std::wstring(wanted.begin(), wanted.end()));
    ASSERT_NE(nullptr, definition);
    std::unique_ptr<FormulaCalculator> calculator = FormulaManager::Instance()->CreateCalculator(&painter);
    ASSERT_NE(nullptr, calculator);
    ASSERT_EQ(1, calculator->SetFormula(definition));
    const int count = s_table->count;
    calculator->SetData(&stock, kPeriodDay, count - 200, count - 1);
    ASSERT_EQ(1, calculator->Calculate());

    int compared = 0;
    float lowest = 1e30f;
    float highest = -1e30f;
    for (const FormulaStatement& statement : calculator->GetStatements()) {
        if (statement.notDrawn)
            continue;
        const std::string name(statement.name.begin(), statement.name.end());
        SCOPED_TRACE(name);
        ASSERT_TRUE(s_table->columns.count(name));
        const std::vector<float>& want = s_table->columns.at(name);
        ASSERT_FALSE(statement.values.empty());
        SeriesView got;
        ASSERT_TRUE(calculator->GetHost()->ReadSeries(statement.values[0].get(), got));
        ASSERT_EQ(static_cast<uint32_t>(count), got.count);
        for (int i = 0; i < count; ++i) {
            if (IsInvalidValue(want[i]) || IsInvalidValue(got.data[i])) {
                EXPECT_EQ(want[i], got.data[i]) << "bar " << i;
                continue;
            }
            EXPECT_NEAR(want[i], got.data[i], 1e-5 * std::fabs(want[i]) + 1e-4) << "bar " << i;
            if (i >= count - 200) {
                lowest = std::min(lowest, want[i]);
                highest = std::max(highest, want[i]);
            }
        }
        ++compared;
    }
    EXPECT_GE(compared, 3);
    // The range is measured over the visible bars of the drawn lines.
    EXPECT_NEAR(lowest, calculator->GetMin(), 1e-4 + 1e-5 * std::fabs(lowest));
    EXPECT_NEAR(highest, calculator->GetMax(), 1e-4 + 1e-5 * std::fabs(highest));

    OffscreenCanvas canvas(1000, 200);
    painter.SetBarWidth(5);
    EXPECT_EQ(1, calculator->Draw(canvas.Dc(), RECT { 0, 0, 1000, 200 }, 199, 0, 0, 0, false));
    canvas.SavePng(std::string("indicator-") + GetParam());
    EXPECT_GT(canvas.CountPixelsNot(RGB(0, 0, 0)), 1000);
}

INSTANTIATE_TEST_SUITE_P(Simulator, IndicatorEndToEnd, ::testing::Values("MACD", "KDJ", "RSI", "BOLL"));
