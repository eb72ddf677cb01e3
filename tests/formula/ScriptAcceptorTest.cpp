#include "formula/ScriptAcceptor.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const float I = kInvalidValue;

std::string Show(const std::vector<float>& values)
{
    std::string text;
    for (float v : values)
        text += (IsInvalidValue(v) ? std::string("inv") : std::to_string(v)) + " ";
    return text;
}

// Test built-ins: what they were handed is kept for the test to look at.
std::vector<std::string> g_calls;

std::string DescribeArgument(const FormulaCall& call, int index)
{
    SeriesView view;
    if (call.ReadSeries(index, view))
        return "series" + std::to_string(view.count) + ":" + std::to_string(view.data[0]);
    double number = 0;
    if (call.ReadNumber(index, number))
        return "number:" + std::to_string(number);
    return "other";
}

// MA over a window of 2, enough to show that a handler ran with its series.
bool TestMA(FormulaCall& call)
{
    g_calls.push_back("MA");
    SeriesView x;
    if (!call.ReadSeries(0, x))
        return false;
    float* out = call.NewSeries(x.count);
    for (uint32_t i = 0; i < x.count; ++i)
        out[i] = i == 0 ? kInvalidValue : (x.data[i] + x.data[i - 1]) / 2;
    call.ReturnSeries(out, x.count);
    return true;
}

bool RecordFirstArgument(FormulaCall& call)
{
    g_calls.push_back(std::string("first=") + DescribeArgument(call, 0));
    call.ReturnArgument(0);
    return true;
}

// IF on a scalar condition, as far as this test needs it.
bool TestIf(FormulaCall& call)
{
    double condition = 0;
    if (!call.ReadNumber(0, condition))
        return false;
    call.ReturnArgument(condition != 0 ? 1 : 2);
    return true;
}

bool TestDrawLine(FormulaCall& call)
{
    g_calls.push_back("DRAWLINE/" + std::to_string(call.Count()) + " last=" + DescribeArgument(call, 4));
    call.ReturnNumber(7);
    return true;
}

bool ReturnBound(FormulaCall& call)
{
    return call.ReturnVariable(call.Name());
}

const FormulaBuiltin kTestBuiltins[] = {
    { L"OPEN", 0, ReturnBound },
    { L"CLOSE", 0, ReturnBound },
    { L"MA", 2, TestMA },
    { L"IF", 3, TestIf },
    { L"CURRBARSCOUNT", 0, nullptr },
    { L"ZIG", 2, RecordFirstArgument },
    { nullptr, 0, nullptr },
};

class ScriptAcceptorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_calls.clear();
        ASSERT_TRUE(host.AttachEngine(&math, nullptr, nullptr));
        host.SetBuiltinTable(kTestBuiltins, TestDrawLine);
        Bind();
    }
    void TearDown() override { host.DetachEngine(); }

    // The calculator's binding: price arrays under their names, then numbers.
    void Bind()
    {
        host.SetSeriesVariable(L"OPEN", open.data(), static_cast<uint32_t>(open.size()));
        host.SetSeriesVariable(L"HIGH", high.data(), static_cast<uint32_t>(high.size()));
        host.SetSeriesVariable(L"LOW", low.data(), static_cast<uint32_t>(low.size()));
        host.SetSeriesVariable(L"CLOSE", close.data(), static_cast<uint32_t>(close.size()));
        host.SetSeriesVariable(L"C", close.data(), static_cast<uint32_t>(close.size()));
        host.SetScalarVariable(L"N", 5.0);
    }

    FormulaStatement Statement(const wchar_t* text, bool notDrawn = false)
    {
        FormulaStatement statement;
        statement.text = text;
        statement.notDrawn = notDrawn;
        return statement;
    }

    // Runs the statements; returns them with their recorded values.
    std::vector<FormulaStatement> Run(std::vector<FormulaStatement> statements)
    {
        EXPECT_TRUE(host.Run(statements));
        return statements;
    }
    std::vector<FormulaStatement> Run(const wchar_t* text, bool notDrawn = false)
    {
        return Run(std::vector<FormulaStatement> { Statement(text, notDrawn) });
    }

    std::string Variable(const wchar_t* name)
    {
        const VARIANT* value = host.FindVariable(name);
        if (!value)
            return "unset";
        SeriesView view;
        if (host.ReadSeries(*value, view))
            return "series " + Show(std::vector<float>(view.data, view.data + view.count));
        if (value->vt == VT_BSTR)
            return std::string("BSTR ") + (value->bstrVal && value->bstrVal[0] == L'a' ? "a" : "?");
        double number = 0;
        if (ReadScalar(*value, number))
            return "number " + std::to_string(number);
        return "vt " + std::to_string(value->vt);
    }

    SeriesMath math;
    CScriptAcceptor host;
    std::vector<float> open = { 9, 10, 11, 12 };
    std::vector<float> high = { 11, 12, 13, 14 };
    std::vector<float> low = { 8, 9, 10, 11 };
    std::vector<float> close = { 10, 11, 12, 13 };
};

struct FormulaCase
{
    const wchar_t* text;
    const char* r; // R afterwards
};

// The operators reach the series arithmetic in all three forms; two scalars
// are the interpreter's.
const FormulaCase kOperatorCases[] = {
    { L"R:=Excute(C-10);", "series 0.000000 1.000000 2.000000 3.000000 " },
    { L"R:=Excute(10-C);", "series 0.000000 -1.000000 -2.000000 -3.000000 " },
    { L"R:=Excute(HIGH-LOW+C/0);", "series inv inv inv inv " },
    { L"R:=Excute(-C);", "series -10.000000 -11.000000 -12.000000 -13.000000 " },
    { L"R:=Excute(C>11 AND C<13);", "series 0.000000 0.000000 1.000000 0.000000 " },
    { L"R:=Excute(C=11 OR C=13);", "series 0.000000 1.000000 0.000000 1.000000 " },
    { L"R:=Excute((C-11)~(C-11));", "series 0.000000 1.000000 0.000000 0.000000 " },
    { L"R:=Excute(C<>11);", "series 1.000000 0.000000 1.000000 1.000000 " },
    { L"R:=Excute(1+2);", "number 3.000000" },
    { L"R:=Excute(N*2);", "number 10.000000" },
    { L"R:=Excute(-N);", "number -5.000000" },
    // A comparison of two numbers is a VT_BOOL, read as 1 or 0.
    { L"R:=Excute((N>10)*C);", "series 0.000000 0.000000 0.000000 0.000000 " },
    { L"R:=Excute((N<10)*C);", "series 10.000000 11.000000 12.000000 13.000000 " },
    { L"R:=Excute(IF(N>10,1,2));", "number 2.000000" },
    { L"R:=Excute(IF(N<10,C,2)+0);", "series 10.000000 11.000000 12.000000 13.000000 " },
};

TEST_F(ScriptAcceptorTest, OperatorsOverSeriesAndScalars)
{
    for (const FormulaCase& c : kOperatorCases) {
        Run(c.text);
        EXPECT_EQ(c.r, Variable(L"R")) << std::string(c.text, c.text + std::wcslen(c.text));
    }
}

// A string beside a series used to leave a string's type over a pool buffer,
// which the next clearing handed to SysFreeString.
TEST_F(ScriptAcceptorTest, StringPlusSeriesLeavesTheHeapWhole)
{
    Run(L"R:=Excute(\"a\"+CLOSE);");
    EXPECT_EQ("BSTR a", Variable(L"R"));
    Run(L"S:=Excute(CLOSE+\"a\");");
    Run(L"T:=Excute(\"a\"+CLOSE*2);");
    host.ClearVariables();
    Bind();
    Run(L"R:=Excute(C+1);");
    EXPECT_EQ("series 11.000000 12.000000 13.000000 14.000000 ", Variable(L"R"));
    EXPECT_TRUE(::HeapValidate(::GetProcessHeap(), 0, nullptr));
    EXPECT_EQ(_HEAPOK, _heapchk());
}

// A number whose reserved words hold the marker (OLE conversions leave stack
// bytes there) is still a number.
TEST_F(ScriptAcceptorTest, NumberWithAStaleMarkerIsNoSeries)
{
    VARIANT number;
    std::memset(&number, 0, sizeof number);
    number.vt = VT_I4;
    number.lVal = 5;
    number.wReserved1 = kSeriesMarker;
    number.wReserved2 = 4;
    VARIANT series;
    std::memset(&series, 0, sizeof series);
    ASSERT_TRUE(host.GetVariable(L"CLOSE", &series));
    ASSERT_TRUE(host.OnAdd(&number, &series, &number));
    SeriesView view;
    ASSERT_TRUE(host.ReadSeries(number, view));
    EXPECT_EQ(Show({ 15, 16, 17, 18 }), Show(std::vector<float>(view.data, view.data + view.count)));

    // Even an empty value pointing at a bound array is refused beyond its count.
    VARIANT overlong = series;
    overlong.wReserved2 = 5;
    EXPECT_FALSE(host.ReadSeries(overlong, view));
    // And the marker with a pointer the host never handed out.
    VARIANT stray = series;
    stray.byref = &number;
    EXPECT_FALSE(host.ReadSeries(stray, view));
    VARIANT two;
    std::memset(&two, 0, sizeof two);
    WriteScalar(two, 2);
    EXPECT_FALSE(host.OnAdd(&stray, &two, &stray));
}

// A parameter may carry the name of a bound series: the number replaces the
// series whole (it used to become the series' pointer, truncated to 2).
TEST_F(ScriptAcceptorTest, ScalarReplacesABoundSeriesOfTheSameName)
{
    host.SetScalarVariable(L"C", 2.7);
    EXPECT_EQ("number 2.700000", Variable(L"C"));
    Run(L"R:=Excute(CLOSE*C);");
    EXPECT_EQ("series 27.000000 29.700001 32.400002 35.100002 ", Variable(L"R"));
    host.SetSeriesVariable(L"C", close.data(), 2);
    EXPECT_EQ("series 10.000000 11.000000 ", Variable(L"C"));
}

// The variables are emptied before every recalculation: a name bound before
// (a statement's variable, a parameter, a price array) reads as no variable
// until it is bound again, and an array no longer bound is no longer one of
// the host's series. Twice, for a name emptied once and one emptied again.
TEST_F(ScriptAcceptorTest, EmptiedVariablesReadAsUnboundUntilBoundAgain)
{
    Run(L"P:=C+1;");
    host.SetScalarVariable(L"Q", 3.0);
    host.SetScalarVariable(L"OPEN", 1.0);
    ASSERT_EQ("number 3.000000", Variable(L"Q"));
    EXPECT_FALSE(host.OwnsSeries(open.data(), 4));
    EXPECT_TRUE(host.OwnsSeries(close.data(), 4));
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        host.ClearVariables();
        for (const wchar_t* name : { L"P", L"Q", L"C", L"CLOSE", L"N", L"OPEN" })
            EXPECT_EQ("unset", Variable(name)) << std::wstring(name).size();
        EXPECT_FALSE(host.OwnsSeries(close.data(), 4));
        // A statement reading a name that is not bound fails and stores nothing.
        Run(L"R:=Excute(Q+1);");
        EXPECT_EQ("unset", Variable(L"R"));
        Bind();
        EXPECT_TRUE(host.OwnsSeries(close.data(), 4));
        EXPECT_TRUE(host.OwnsSeries(open.data(), 4));
        Run(L"R:=Excute(P+1);");
        EXPECT_EQ("unset", Variable(L"R"));
        Run(L"R:=Excute(N+1);");
        EXPECT_EQ("number 6.000000", Variable(L"R"));
    }
}

TEST_F(ScriptAcceptorTest, BuiltinsNeedTheirArguments)
{
    // Too few arguments: declined, the statement ends and stores nothing.
    Run(L"R:=Excute(MA(C));");
    EXPECT_EQ("unset", Variable(L"R"));
    EXPECT_TRUE(g_calls.empty());
    Run(L"R:=Excute(MA(C,2));");
    EXPECT_EQ("series inv 10.500000 11.500000 12.500000 ", Variable(L"R"));
    // OPEN called as a function is the bound series, whatever the arguments.
    Run(L"R:=Excute(OPEN(1,2));");
    EXPECT_EQ("series 9.000000 10.000000 11.000000 12.000000 ", Variable(L"R"));
    Run(L"R:=Excute(CURRBARSCOUNT(C,1));");
    EXPECT_EQ("series 9.000000 10.000000 11.000000 12.000000 ", Variable(L"R")); // unchanged
}

TEST_F(ScriptAcceptorTest, ZigNumberSelectsAPriceSeries)
{
    Run(L"R:=Excute(ZIG(3,10));");
    Run(L"R:=Excute(ZIG(2.9,10));");
    Run(L"R:=Excute(ZIG(0,10));");
    // A series is worked on itself, and other numbers pass as they are.
    Run(L"R:=Excute(ZIG(HIGH,10));");
    Run(L"R:=Excute(ZIG(7,10));");
    const std::vector<std::string> expected = { "first=series4:10.000000", "first=series4:8.000000",
        "first=series4:9.000000", "first=series4:11.000000", "first=number:7.000000" };
    EXPECT_EQ(expected, g_calls);
}

TEST_F(ScriptAcceptorTest, OutputCallsRecordTheirArguments)
{
    std::vector<FormulaStatement> statements;
    statements.push_back(Statement(L"X:=DRAWBASELINE(C);"));
    statements.push_back(Statement(L"Y:=Excute(C+1);", true));
    statements.push_back(Statement(L"STICKLINE(C>11,HIGH,LOW,4,0);"));
    statements.push_back(Statement(L"Z:=STICKLINE(C,2,3);", true));
    statements.push_back(Statement(L"W:=MAA(C,5);"));
    statements.push_back(Statement(L"V:=drawbaseline(C);"));
    statements = Run(statements);
    EXPECT_EQ("series 10.000000 11.000000 12.000000 13.000000 ", Variable(L"X"));
    ASSERT_EQ(1u, statements[0].values.size());
    EXPECT_EQ(VT_EMPTY, statements[0].values[0].get().vt);
    EXPECT_EQ(kSeriesMarker, statements[0].values[0].get().wReserved1);
    // An intermediate result is stored and recorded too; only the calculator
    // leaves it undrawn.
    EXPECT_EQ("series 11.000000 12.000000 13.000000 14.000000 ", Variable(L"Y"));
    EXPECT_EQ(1u, statements[1].values.size());
    EXPECT_EQ(5u, statements[2].values.size());
    // STICKLINE in a statement that is not drawn answers its first argument only.
    EXPECT_EQ("series 10.000000 11.000000 12.000000 13.000000 ", Variable(L"Z"));
    EXPECT_TRUE(statements[3].values.empty());
    // Unknown names (and the wrong case) draw nothing instead of their first argument.
    EXPECT_EQ("unset", Variable(L"W"));
    EXPECT_TRUE(statements[4].values.empty());
    EXPECT_EQ("unset", Variable(L"V"));
    EXPECT_EQ(7u, host.GetRunValues().size());
    // Recorded series stay readable after the run.
    SeriesView view;
    EXPECT_TRUE(host.ReadSeries(statements[1].values[0].get(), view));
}

TEST_F(ScriptAcceptorTest, DrawLineIsComputedOnlyWhereNotDrawn)
{
    Run(L"R:=DRAWLINE(C>11,HIGH,C<11,LOW);", true);
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("DRAWLINE/5 last=other", g_calls[0]);
    EXPECT_EQ("number 7.000000", Variable(L"R"));
    const std::vector<FormulaStatement> drawn = Run(L"DRAWLINE(C>11,HIGH,C<11,LOW,1);");
    EXPECT_EQ(1u, g_calls.size());
    EXPECT_EQ(5u, drawn[0].values.size());
}

TEST_F(ScriptAcceptorTest, RunNeedsStatementsAndAnEngine)
{
    std::vector<FormulaStatement> none;
    EXPECT_FALSE(host.Run(none));
    std::vector<FormulaStatement> skipped { Statement(L"R:=Excute(C);") };
    skipped[0].inlined = true;
    EXPECT_TRUE(host.Run(skipped));
    EXPECT_EQ("unset", Variable(L"R"));
    CScriptAcceptor detached;
    std::vector<FormulaStatement> one { Statement(L"R:=Excute(C);") };
    EXPECT_FALSE(detached.Run(one));
}

// The bookkeeping after a statement looks at the buffers that statement took
// and let go of, never at everything the run holds: a formula of 8,000
// statements, each keeping its variable and its recorded value, costs the pool
// eight times what one of 1,000 does, not sixty-four.
TEST_F(ScriptAcceptorTest, BookkeepingGrowsWithTheStatementsNotTheirSquare)
{
    const auto run = [this](int count) {
        std::vector<FormulaStatement> statements;
        statements.push_back(Statement(L"X0:=Excute(C+1);", true));
        for (int i = 1; i < count; ++i) {
            const std::wstring text = L"X" + std::to_wstring(i) + L":=DRAWBASELINE(X" + std::to_wstring(i - 1)
                + L"+1);";
            statements.push_back(Statement(text.c_str()));
        }
        host.ClearVariables();
        Bind();
        const uint64_t before = host.GetPool()->CountSteps();
        EXPECT_TRUE(host.Run(statements));
        return host.GetPool()->CountSteps() - before;
    };
    const uint64_t thousand = run(1000);
    EXPECT_EQ("series 1010.000000 1011.000000 1012.000000 1013.000000 ", Variable(L"X999"));
    const uint64_t eightThousand = run(8000);
    EXPECT_EQ("series 8010.000000 8011.000000 8012.000000 8013.000000 ", Variable(L"X7999"));
    EXPECT_EQ(8000u, host.GetRunValues().size());
    EXPECT_GT(thousand, 1000u);
    EXPECT_LE(eightThousand, thousand * 9);
}

// Intermediate buffers of a statement are freed after it; what variables and
// recorded values point to stays. Freed buffers serve the later statements and
// the later recalculations, which then allocate nothing.
TEST_F(ScriptAcceptorTest, StatementsReuseFreedBuffers)
{
    const wchar_t* const formula = L"A:=Excute((C+1)*(C+2)-(C+3));";
    Run(formula);
    const SeriesBufferPool* pool = host.GetPool();
    ASSERT_NE(nullptr, pool);
    const VARIANT* a = host.FindVariable(L"A");
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, pool->Find(a->byref));
    EXPECT_TRUE(pool->Find(a->byref)->inUse);
    EXPECT_EQ(pool->CountEntries() - 1, pool->CountFree());
    // The second run holds the first run's A while it computes the new one.
    Run(formula);
    const size_t settled = pool->CountEntries();
    for (int i = 0; i < 3; ++i) {
        Run(formula);
        EXPECT_EQ(settled, pool->CountEntries());
        EXPECT_EQ(settled - 1, pool->CountFree());
    }
    EXPECT_EQ("series 119.000000 142.000000 167.000000 194.000000 ", Variable(L"A"));
    // A recalculation: the variables go, their buffers stay for the next run.
    host.ClearVariables();
    EXPECT_EQ("unset", Variable(L"A"));
    EXPECT_EQ(settled, pool->CountEntries());
    Bind();
    Run(formula);
    EXPECT_EQ(settled, pool->CountEntries());
    EXPECT_EQ("series 119.000000 142.000000 167.000000 194.000000 ", Variable(L"A"));
}

// A windowed built-in called again on the same buffers and numbers within a
// run gives the result already made; any other argument makes it compute, even
// when the new series sits where a freed one did.
TEST_F(ScriptAcceptorTest, RepeatedWindowedCallsAreMadeOncePerRun)
{
    host.SetBuiltinTable(kFormulaBuiltins, kDrawLineHandler);
    std::vector<FormulaStatement> statements;
    for (const wchar_t* text : { L"A:=STD(C,2);", L"B:=STD(C,2);", L"D:=STD(C,3);", L"X:=C+1;", L"P:=SUM(X,2);",
             L"X:=0;", L"X:=C*2;", L"Q:=SUM(X,2);" })
        statements.push_back(Statement(text));
    Run(statements);
    const VARIANT* a = host.FindVariable(L"A");
    const VARIANT* b = host.FindVariable(L"B");
    const VARIANT* d = host.FindVariable(L"D");
    ASSERT_TRUE(a && b && d);
    EXPECT_EQ(a->byref, b->byref);
    EXPECT_NE(a->byref, d->byref);
    const std::string std3 = Variable(L"D");
    const std::string sumOfDouble = Variable(L"Q");
    EXPECT_NE(Variable(L"P"), sumOfDouble);

    // The same calls, each alone in a fresh run.
    host.ClearVariables();
    Bind();
    Run(L"D:=STD(C,3);");
    EXPECT_EQ(std3, Variable(L"D"));
    Run(L"Q:=SUM(C*2,2);");
    EXPECT_EQ(sumOfDouble, Variable(L"Q"));
    // The run that remembered a call is over: a new run computes it anew,
    // here on closes refilled in place since.
    Run(L"A:=STD(C,2);");
    const std::string std2 = Variable(L"A");
    for (float& value : close)
        value *= 2;
    Run(L"A:=STD(C,2);");
    EXPECT_NE(std2, Variable(L"A"));
}

// Prices bound when a run first reads them (the calculator's supplier): the
// binding forgets only the calls that read the array it binds. KDJ reads LOW,
// then HIGH: its second LLV(LOW,N) is the first one's result, while a call on
// an array refilled in place before its binding is made anew.
TEST_F(ScriptAcceptorTest, BindingAPriceOnFirstUseForgetsOnlyTheCallsOnItsArray)
{
    struct Supplier : SeriesSupplier
    {
        std::vector<float> extra { 7, 8, 9, 10 };
        std::vector<float>* refilled = nullptr;
        bool SupplySeries(const wchar_t* name, float** data, uint32_t* count) override
        {
            if (std::wcscmp(name, L"EXTRA") == 0) {
                *data = extra.data();
                *count = static_cast<uint32_t>(extra.size());
                return true;
            }
            if (std::wcscmp(name, L"AGAIN") == 0) {
                for (float& value : *refilled)
                    value *= 2;
                *data = refilled->data();
                *count = static_cast<uint32_t>(refilled->size());
                return true;
            }
            return false;
        }
    } supplier;
    supplier.refilled = &close;
    host.SetBuiltinTable(kFormulaBuiltins, kDrawLineHandler);
    host.SetSeriesSupplier(&supplier);
    std::vector<FormulaStatement> statements;
    for (const wchar_t* text : { L"A:=STD(C,2);", L"X:=EXTRA+0;", L"B:=STD(C,2);", L"Y:=AGAIN+0;",
             L"D:=STD(C,2);" })
        statements.push_back(Statement(text));
    Run(statements);
    host.SetSeriesSupplier(nullptr);
    const VARIANT* a = host.FindVariable(L"A");
    const VARIANT* b = host.FindVariable(L"B");
    const VARIANT* d = host.FindVariable(L"D");
    ASSERT_TRUE(a && b && d);
    EXPECT_EQ(a->byref, b->byref);
    EXPECT_NE(a->byref, d->byref);
    const std::string doubled = Variable(L"D");
    EXPECT_NE(Variable(L"A"), doubled);
    // The doubled closes alone in a fresh run.
    host.ClearVariables();
    Bind();
    Run(L"D:=STD(C,2);");
    EXPECT_EQ(doubled, Variable(L"D"));
}

}
