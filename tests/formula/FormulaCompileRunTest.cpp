// Formula text compiled by the manager's preprocessor and run by a formula
// host: what a calculator does with a definition's content. MA comes from a
// stand-in table here, so the compile path is tested whatever the built-ins.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/UnicodeString.h"
#include "formula/FormulaBuiltins.h"
#include "formula/FormulaManager.h"
#include "formula/ScriptAcceptor.h"
#include "tests/support/TempDirectory.h"

namespace {

const uint32_t kBars = 12;

// MA(X, N) as the formula language defines it: invalid for the first N
// elements, then the mean of the last N.
bool StandInMa(FormulaCall& call)
{
    SeriesView x;
    double n = 0;
    if (!call.ReadSeries(0, x) || !call.ReadNumber(1, n) || n < 1)
        return false;
    const uint32_t window = static_cast<uint32_t>(n);
    float* out = call.NewSeries(x.count);
    for (uint32_t i = 0; i < x.count; ++i) {
        if (i < window) {
            out[i] = kInvalidValue;
            continue;
        }
        double sum = 0;
        for (uint32_t j = i + 1 - window; j <= i; ++j)
            sum += x.data[j];
        out[i] = static_cast<float>(sum / window);
    }
    call.ReturnSeries(out, x.count);
    return true;
}

const FormulaBuiltin kStandInBuiltins[] = {
    { L"MA", 2, StandInMa },
    { nullptr, 0, nullptr },
};

class FormulaCompileRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        manager = FormulaManager::Instance();
        ASSERT_NE(manager, nullptr);
        ASSERT_TRUE(host.AttachEngine(manager->GetSeriesMath(), nullptr, nullptr));
        host.SetBuiltinTable(kStandInBuiltins, nullptr);
        for (uint32_t i = 0; i < kBars; ++i) {
            high[i] = 11.0f + i;
            low[i] = 9.0f + i;
            close[i] = 10.0f + i * 0.5f;
        }
        for (const wchar_t* name : { L"H", L"HIGH" })
            host.SetSeriesVariable(name, high, kBars);
        for (const wchar_t* name : { L"L", L"LOW" })
            host.SetSeriesVariable(name, low, kBars);
        for (const wchar_t* name : { L"C", L"CLOSE" })
            host.SetSeriesVariable(name, close, kBars);
    }
    void TearDown() override
    {
        statements.clear();
        host.DetachEngine();
        FormulaManager::Release();
    }

    void CompileAndRun(const std::wstring& text)
    {
        statements.clear();
        ASSERT_TRUE(manager->GetPreprocessor()->Compile(text, statements));
        if (!statements.empty()) {
            EXPECT_TRUE(host.Run(statements));
        }
    }

    // The recorded series of a statement's first value.
    SeriesView Drawn(const FormulaStatement& statement)
    {
        SeriesView view;
        EXPECT_EQ(statement.values.size(), 1u);
        if (!statement.values.empty()) {
            EXPECT_TRUE(host.ReadSeries(statement.values[0].get(), view));
        }
        return view;
    }

    FormulaManager* manager = nullptr;
    CScriptAcceptor host;
    std::vector<FormulaStatement> statements;
    float high[kBars];
    float low[kBars];
    float close[kBars];
};

} // namespace

TEST_F(FormulaCompileRun, AnExpressionWithACallInsideRunsAndIsRecordedForDrawing)
{
    CompileAndRun(L"(H+L)/2+MA(C,5);");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].function, L"DRAWBASELINE");
    EXPECT_FALSE(statements[0].notDrawn);
    const SeriesView drawn = Drawn(statements[0]);
    ASSERT_EQ(drawn.count, kBars);
    for (uint32_t i = 0; i < kBars; ++i) {
        SCOPED_TRACE(i);
        if (i < 5) {
            EXPECT_EQ(drawn.data[i], kInvalidValue);
        } else {
            const double ma = (close[i] + close[i - 1] + close[i - 2] + close[i - 3] + close[i - 4]) / 5.0;
            EXPECT_FLOAT_EQ(drawn.data[i], static_cast<float>((high[i] + low[i]) / 2.0 + ma));
        }
    }
}

TEST_F(FormulaCompileRun, IntermediateResultsFeedLaterLinesAndAreNotDrawn)
{
    CompileAndRun(L"{mid price}M:=(H+L)/2;\r\nX : M*2+MA(C,2) , COLORRED , LINETHICK2;");
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_TRUE(statements[0].notDrawn);
    EXPECT_EQ(statements[0].values.size(), 1u) << "recorded, though never drawn";
    EXPECT_FALSE(statements[1].notDrawn);
    EXPECT_EQ(statements[1].name, L"X");
    EXPECT_EQ(statements[1].attributes, (std::vector<std::wstring> { L"COLORRED", L"LINETHICK2" }));
    const SeriesView drawn = Drawn(statements[1]);
    ASSERT_EQ(drawn.count, kBars);
    EXPECT_FLOAT_EQ(drawn.data[kBars - 1],
        (high[kBars - 1] + low[kBars - 1]) + (close[kBars - 1] + close[kBars - 2]) / 2);
    ASSERT_NE(host.FindVariable(L"M"), nullptr) << "the intermediate lands in the variables";
}

TEST_F(FormulaCompileRun, LoopsCannotBeWrittenAndRunsEnd)
{
    // Braces are comments, and the engine's loops need a braced body: each of
    // these ends its statement with an error instead of spinning forever.
    for (const wchar_t* text : { L"while(1<2){x:=1};", L"while(1<2)X:=1;", L"X:=1;while(1<2)X:=X+1;",
             L"for(;1<2;){X:=1};", L"function F(){while(1){}};F();" }) {
        SCOPED_TRACE(WideToGbk(text));
        CompileAndRun(text);
        for (const FormulaStatement& statement : statements) {
            if (statement.text.find(L"while") != std::wstring::npos
                || statement.text.find(L"for(") != std::wstring::npos) {
                EXPECT_TRUE(statement.values.empty()) << WideToGbk(statement.text);
            }
        }
    }
    // The host still runs ordinary text afterwards.
    CompileAndRun(L"X:C*2;");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_FLOAT_EQ(Drawn(statements[0]).data[3], close[3] * 2);
}

TEST_F(FormulaCompileRun, TheEnginesOwnFunctionsAreOutOfReach)
{
    TempDirectory dir("formula");
    std::string path = dir.File("written.txt");
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    const std::wstring file = GbkToWide(path);
    const DWORD started = ::GetTickCount();
    CompileAndRun(L"F:=fopen(\"" + file + L"\",\"w\");fputs(F,\"x\");A:strlen(\"abc\");B:eval(\"C\");"
        + L"sleep(60000);S:=C;exit();T:S;");
    EXPECT_LT(::GetTickCount() - started, 30000u) << "sleep was not called";
    EXPECT_EQ(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(statements.size(), 8u);
    for (size_t i = 0; i + 1 < statements.size(); ++i) {
        if (i != 5) {
            EXPECT_TRUE(statements[i].values.empty()) << WideToGbk(statements[i].text);
        }
    }
    EXPECT_EQ(Drawn(statements.back()).count, kBars) << "exit() ended its own statement only";
}

TEST(FormulaManager, CreatesItsPartsOnceAndAnewAfterRelease)
{
    FormulaManager* manager = FormulaManager::Instance();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(FormulaManager::Instance(), manager);
    ASSERT_NE(manager->GetSeriesMath(), nullptr);
    ASSERT_NE(manager->GetKeywordList(), nullptr);
    ASSERT_NE(manager->GetPreprocessor(), nullptr);
    // The preprocessor consults the manager's list: a draw call is kept.
    std::vector<FormulaStatement> statements;
    manager->GetPreprocessor()->Compile(L"STICKLINE(C>O,C,O,8,0);", statements);
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].function, L"STICKLINE");

    manager->Destroy();
    EXPECT_EQ(manager->GetPreprocessor(), nullptr);
    EXPECT_EQ(manager->GetSeriesMath(), nullptr);
    EXPECT_EQ(manager->GetKeywordList(), nullptr);
    manager->Destroy();
    ASSERT_EQ(manager->Create(), 1);
    EXPECT_NE(manager->GetPreprocessor(), nullptr);

    FormulaManager::Release();
    FormulaManager::Release();
    FormulaManager* again = FormulaManager::Instance();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->GetPreprocessor(), nullptr);
    FormulaManager::Release();
}
