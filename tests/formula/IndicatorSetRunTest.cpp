// The simulator's indicator set compiled and run with the real built-ins, as a
// chart would: every statement of every definition runs to its output call.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/UnicodeString.h"
#include "data/Rc4.h"
#include "formula/DecimalText.h"
#include "formula/FormulaLibrary.h"
#include "formula/FormulaManager.h"
#include "formula/ScriptAcceptor.h"
#include "tools/marketdata/SimMarketSeries.h"

namespace {

const uint32_t kBars = 120;

class IndicatorSetRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        manager = FormulaManager::Instance();
        ASSERT_NE(manager, nullptr);
        ASSERT_TRUE(host.AttachEngine(manager->GetSeriesMath(), nullptr, nullptr));
        for (uint32_t i = 0; i < kBars; ++i) {
            const float base = 10.0f + 2.0f * std::sin(i * 0.2f) + i * 0.01f;
            open[i] = base;
            close[i] = base + ((i % 3 == 0) ? -0.3f : 0.25f);
            high[i] = std::max(open[i], close[i]) + 0.2f;
            low[i] = std::min(open[i], close[i]) - 0.2f;
            volume[i] = 1000.0f + (i * 37) % 500;
            amount[i] = volume[i] * close[i] * 100;
            advance[i] = 300.0f + (i * 13) % 200;
            decline[i] = 500.0f - (i * 13) % 200;
        }
    }
    void TearDown() override
    {
        statements.clear();
        host.DetachEngine();
        FormulaManager::Release();
    }

    // What a calculator binds before it runs a formula.
    void Bind(const FormulaDefinition* definition)
    {
        host.ClearVariables();
        const struct
        {
            float* data;
            const wchar_t* names[3];
        } series[] = {
            { high, { L"HIGH", L"H", L"INDEXH" } },
            { open, { L"OPEN", L"O", L"INDEXO" } },
            { low, { L"LOW", L"L", L"INDEXL" } },
            { close, { L"CLOSE", L"C", L"INDEXC" } },
            { volume, { L"VOL", L"V", L"INDEXV" } },
            { amount, { L"AMOUNT", L"A", L"INDEXA" } },
            { advance, { L"ADVANCE", nullptr, nullptr } },
            { decline, { L"DECLINE", nullptr, nullptr } },
        };
        for (const auto& s : series) {
            for (const wchar_t* name : s.names) {
                if (name)
                    host.SetSeriesVariable(name, s.data, kBars);
            }
        }
        host.SetScalarVariable(L"CAPITAL", 1.0e7);
        host.SetScalarVariable(L"PERIOD", 5);
        host.SetScalarVariable(L"DRAWNULL", kInvalidValue);
        host.SetScalarVariable(L"DRAWDATA_SIZE", kBars);
        if (definition) {
            for (const FormulaArg& arg : definition->args)
                host.SetScalarVariable(arg.name.c_str(), ParseLeadingDecimal(arg.defaultValue.c_str()));
        }
    }

    void CompileAndRun(const std::wstring& text)
    {
        statements.clear();
        ASSERT_TRUE(manager->GetPreprocessor()->Compile(text, statements));
        ASSERT_TRUE(host.Run(statements));
    }

    FormulaManager* manager = nullptr;
    CScriptAcceptor host;
    std::vector<FormulaStatement> statements;
    float open[kBars], high[kBars], low[kBars], close[kBars], volume[kBars], amount[kBars];
    float advance[kBars], decline[kBars];
};

} // namespace

TEST_F(IndicatorSetRun, AnExpressionAroundABuiltinCallDraws)
{
    Bind(nullptr);
    CompileAndRun(L"(H+L)/2+MA(C,5);");
    ASSERT_EQ(statements.size(), 1u);
    ASSERT_EQ(statements[0].values.size(), 1u);
    SeriesView drawn;
    ASSERT_TRUE(host.ReadSeries(statements[0].values[0].get(), drawn));
    ASSERT_EQ(drawn.count, kBars);
    const uint32_t i = kBars - 1;
    const double ma = (close[i] + close[i - 1] + close[i - 2] + close[i - 3] + close[i - 4]) / 5.0;
    EXPECT_NEAR(drawn.data[i], (high[i] + low[i]) / 2.0 + ma, 1e-4);
}

TEST_F(IndicatorSetRun, EveryStatementOfEveryIndicatorRunsToItsOutput)
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
        Bind(&definition);
        CompileAndRun(definition.content);
        for (const FormulaStatement& statement : statements) {
            SCOPED_TRACE(WideToGbk(statement.text));
            // A statement that failed would have recorded nothing.
            ASSERT_FALSE(statement.values.empty());
            SeriesView first;
            if (statement.function == L"DRAWBASELINE" || statement.function == L"Excute") {
                ASSERT_TRUE(host.ReadSeries(statement.values[0].get(), first));
                ASSERT_EQ(first.count, kBars);
                EXPECT_FALSE(IsInvalidValue(first.data[kBars - 1])) << "a value past the warm-up";
            }
        }
    }
}
