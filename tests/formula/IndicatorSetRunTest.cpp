// The simulator's indicator set compiled and run by a real calculator, as a
// chart runs it: the calculator binds the prices, CAPITAL, PERIOD and the
// market's ADVANCE and DECLINE, and every statement of every definition runs
// to its output call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/UnicodeString.h"
#include "data/Rc4.h"
#include "data/Stock.h"
#include "formula/FormulaCalculator.h"
#include "formula/FormulaDefinition.h"
#include "formula/FormulaLibrary.h"
#include "formula/FormulaManager.h"
#include "formula/PriceSeriesSource.h"
#include "formula/ScriptAcceptor.h"
#include "tests/support/SeriesFixtures.h"
#include "tools/marketdata/SimMarketSeries.h"

namespace {

const int kBars = 120;

// Counts the quote table would give.
class FixedMarket : public PriceSeriesMarket
{
public:
    bool CountUpDown(uint32_t, int* rising, int* falling, int* unchanged) override
    {
        *rising = 812;
        *falling = 1204;
        *unchanged = 95;
        return true;
    }
};

class IndicatorSetRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < kBars; ++i) {
            const float base = 10.0f + 2.0f * std::sin(i * 0.2f) + i * 0.01f;
            const float open = base;
            const float close = base + ((i % 3 == 0) ? -0.3f : 0.25f);
            const float volume = 1000.0f + (i * 37) % 500;
            stock.GetDayData().AppendBar(MakeBar(T(2026, 1, 5) + i * 86400, open, std::max(open, close) + 0.2f,
                std::min(open, close) - 0.2f, close, volume, volume * close / 10));
        }
        FormulaManager* manager = FormulaManager::Instance();
        ASSERT_NE(manager, nullptr);
        calculator = manager->CreateCalculator(nullptr, &market);
        ASSERT_NE(calculator, nullptr);
    }
    void TearDown() override
    {
        calculator.reset();
        FormulaManager::Release();
    }

    // Runs the definition over every bar; false when it did not run.
    bool Run(const FormulaDefinition& definition)
    {
        if (calculator->SetFormula(&definition) != 1)
            return false;
        calculator->SetData(&stock, kPeriodDay, 0, kBars - 1);
        return calculator->Calculate() == 1;
    }

    CStock stock { 0x600000 };
    FixedMarket market;
    std::unique_ptr<FormulaCalculator> calculator;
};

} // namespace

TEST_F(IndicatorSetRun, AnExpressionAroundABuiltinCallDraws)
{
    FormulaDefinition definition;
    definition.NO = 900;
    definition.name = definition.showname = L"EXPR";
    definition.content = L"(H+L)/2+MA(C,5);";
    ASSERT_TRUE(Run(definition));
    const std::vector<FormulaStatement>& statements = calculator->GetStatements();
    ASSERT_EQ(statements.size(), 1u);
    ASSERT_EQ(statements[0].values.size(), 1u);
    SeriesView drawn;
    ASSERT_TRUE(calculator->GetHost()->ReadSeries(statements[0].values[0].get(), drawn));
    ASSERT_EQ(drawn.count, static_cast<uint32_t>(kBars));
    const int i = kBars - 1;
    double ma = 0;
    for (int j = i - 4; j <= i; ++j)
        ma += stock.GetDayData().GetBar(j)->close / 5.0;
    const Bar& bar = *stock.GetDayData().GetBar(i);
    EXPECT_NEAR(drawn.data[i], (bar.high + bar.low) / 2.0 + ma, 1e-4);
}

TEST_F(IndicatorSetRun, EveryStatementOfEveryIndicatorDrawsASeries)
{
    std::string plain = SimMarketSeries().FormulaBody();
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
    FormulaLibrary library;
    ASSERT_EQ(library.LoadFromBody(
                  reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int32_t>(plain.size())),
        1);
    for (const auto& entry : library.GetDefinitions()) {
        const FormulaDefinition& definition = entry.second;
        SCOPED_TRACE(WideToGbk(definition.name));
        ASSERT_TRUE(Run(definition));
        for (const FormulaStatement& statement : calculator->GetStatements()) {
            SCOPED_TRACE(WideToGbk(statement.text));
            // A statement that failed would have recorded nothing.
            ASSERT_FALSE(statement.values.empty());
            // A drawn line or an intermediate result is a series with a value
            // past the warm-up: a number would draw one flat line.
            if (statement.function == L"DRAWBASELINE" || statement.function == L"Excute") {
                SeriesView first;
                ASSERT_TRUE(calculator->GetHost()->ReadSeries(statement.values[0].get(), first));
                ASSERT_EQ(first.count, static_cast<uint32_t>(kBars));
                EXPECT_FALSE(IsInvalidValue(first.data[kBars - 1])) << "a value past the warm-up";
                float lowest = first.data[kBars - 1];
                float highest = lowest;
                for (int i = kBars - 40; i < kBars; ++i) {
                    lowest = std::min(lowest, first.data[i]);
                    highest = std::max(highest, first.data[i]);
                }
                EXPECT_LT(lowest, highest) << "the line moves with the prices";
            }
        }
    }
}
