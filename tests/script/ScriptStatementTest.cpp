#include "formula/ScriptEngine.h"
#include "tests/script/RecordingCallback.h"

#include "base/UnicodeString.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

class ScriptStatementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CreateScriptEngine(&engine));
        ASSERT_TRUE(engine->AddDefaultCallback(&host));
    }
    void TearDown() override { ReleaseScriptEngine(&engine); }

    bool Logged(const std::string& entry) const
    {
        return std::find(host.log.begin(), host.log.end(), entry) != host.log.end();
    }

    IBaseScript* engine = nullptr;
    RecordingCallback host;
};

struct StateCase
{
    const char* script;
    const char* message; // "" for a clean run
    const char* state; // the host's variables afterwards
};

// Assignments to names the script did not declare land in the host, which is
// how each case shows what ran.
const StateCase kStateCases[] = {
    // An integer is no truth value: only a comparison drives a loop.
    { "while (1) { r := 5; }", "", "" },
    { "var i := 0; while (i < 3) { i := i + 1; } r := i;", "", "r=I4:3" },
    { "var i := 0; while (1 < 2) { i := i + 1; if (i = 5) break; } r := i;", "", "r=I4:5" },
    { "var s := 0; for (var i := 0; i < 4; i++) { s := s + i; } r := s;", "", "r=I4:6" },
    { "var n := 0; function bump() { n := n + 1; } for (var i := 0; n < 3; bump()) { } r := n;", "",
        "r=I4:3" },
    { "for (var i := 0; i < 3; i++) { } r := 1;", "", "r=I4:1" },
    // Functions exist once their definition has run.
    { "r := f(1); function f(x) { return x; }", "Undefined", "" },
    { "function f(x) { return x + 1; } r := f(1);", "", "r=I4:2" },
    { "function f() { var a := 1; } r := f();", "", "r=EMPTY" },
    { "function f(a, b) { return b; } r := f(1);", "", "r=EMPTY" },
    { "function f(a) { return a; } r := f(1, 2, 3);", "", "r=I4:1" },
    { "function f(a) { if (a > 1) { while (1 < 2) { return a * 10; } } return 0; } r := f(2); s := f(1);", "",
        "r=I4:20 s=I4:0" },
    // A break in a function ends the loop of its caller.
    { "function stop() { break; } var i := 0; while (i < 9) { i := i + 1; if (i = 3) stop(); } r := i;", "",
        "r=I4:3" },
    { "function stop() { break; } stop();", "Unscoped break statement", "" },
    { "function f(a) { return a; } function f(b) { return b; }", "Duplicated entry", "" },
    { "{ function f() { } }", "Invalid scope", "" },
    // A call's result is no longer lost to the comparison that follows it.
    { "function f(x) { return x; } r := f(5) > 3; s := f(1) > 3;", "", "r=BOOL:-1 s=BOOL:0" },
    { "function f(x) { return x; } r := f(2) + f(3) * 2;", "", "r=I4:8" },
    // switch
    { "var v := 2; switch (v) { case 1: r := 1; break; case 2: r := 2; break; case 3: r := 3; break; } s := "
      "9;",
        "", "r=I4:2 s=I4:9" },
    { "switch (1) { case 1: r := 1; case 2: r := 2; }", "Keyword expected", "r=I4:1" },
    { "switch (5) { case 1: r := 1; break; default: r := 0; } s := 1;", "", "r=I4:0 s=I4:1" },
    { "switch (5) { default: r := 0; } s := 1;", "", "r=I4:0 s=I4:1" },
    { "switch ('b') { case 'a': r := 1; break; case 'b': { r := 2; } break; }", "", "r=I4:2" },
    // var scopes
    { "var a; var a;", "Duplicated entry", "" },
    { "var a := 1; { var a := 2; r := a; } s := a;", "", "r=I4:2 s=I4:1" },
    { "{ var a := 1; } r := a;", "Undefined", "" },
    { "var a := 1, b := a + 1; r := b;", "", "r=I4:2" },
    { "var a b;", "Syntax error", "" },
    { "var 5;", "Name exptected", "" },
    // if / else
    { "var v := 2; if (v = 1) r := 1; else if (v = 2) r := 2; else r := 3;", "", "r=I4:2" },
    { "var v := 3; if (v = 1) { r := 1; } else if (v = 2) { r := 2; } else { r := 3; } s := 0;", "",
        "r=I4:3 s=I4:0" },
    { "if (1 < 2) if (2 < 3) r := 1; s := 2;", "", "r=I4:1 s=I4:2" },
    { "if (1 < 2) r := 1; else r := 2; s := 3;", "", "r=I4:1 s=I4:3" },
    { "if 1 < 2 { r := 1; }", "Parens mixup", "" },
    // A body passed over is one whole statement, braces and all: the statement
    // after it still runs.
    { "if (2 < 1) while (1 < 2) { } r := 1;", "", "r=I4:1" },
    { "if (2 < 1) if (1 < 2) { r := 1; } s := 2;", "", "s=I4:2" },
    { "if (2 < 1) if (1 < 2) { r := 1; } else { r := 2; } s := 3;", "", "s=I4:3" },
    { "if (1 < 2) r := 1; else for (var i := 0; i < 2; i++) { } s := 2;", "", "r=I4:1 s=I4:2" },
    { "if (1 < 2) r := 1; else if (2 < 1) switch (1) { } else { r := 3; } s := 2;", "", "r=I4:1 s=I4:2" },
    { "switch (2) { case 1: while (1 < 2) { } case 2: r := 2; }", "", "r=I4:2" },
    { "if (2 < 1) function f() { } r := 1;", "", "r=I4:1" },
    { "if (2 < 1) if (1 < 2) r := 1; else r := 2; else r := 3;", "", "r=I4:3" },
    // Expressions
    { "r := 1, 2;", "", "r=I4:2" },
    { "r := 1 <> 1; s := 1 <> 2; t := 'a' != 'a';", "", "r=BOOL:0 s=BOOL:-1 t=BOOL:0" },
    { "r := 1 >< 2;", "", "r=I4:2" },
    { "r := -5; s := +5; t := - 2.5;", "", "r=I4:-5 s=I4:5 t=R8:-2.5" },
    { "r := 7 - 2 * 3; s := (7 - 2) * 3; t := 7 / 2;", "", "r=I4:1 s=I4:15 t=R8:3.5" },
    { "r := 'a' + 1; s := 1 + '2';", "", "r=BSTR:a1 s=I4:3" },
    // A whole number on the left does not cut the fraction of the right side.
    { "r := 1 + 0.05; s := 1 - 0.25; t := 2 + 1; u := 0.5 + 1;", "", "r=R8:1.05 s=R8:0.75 t=I4:3 u=R8:1.5" },
    { "r := (1 < 2) and (2 < 1); s := (1 < 2) or (2 < 1); t := (1 < 2) ~ (1 < 2);", "",
        "r=BOOL:0 s=BOOL:-1 t=BOOL:0" },
    { "r := (1 < 2) not ;", "", "r=BOOL:0" },
    { "var s := '2.5'; r := s.toNumber(); var n := 42; t := n.toString();", "", "r=R8:2.5 t=BSTR:42" },
    { "var s := 'x'; r := s.toNumber();", "Type mismatch", "" },
    { "var s := 1; r := s.length();", "Undefined", "" },
    { "var x := 1; r := x++; s := x;", "", "r=I4:2 s=I4:1" },
    { "var x := 1; x++; x++; x--; r := x; x += 5; x -= 2; s := x;", "", "r=I4:2 s=I4:5" },
    { "r := 1 / 0;", "Type mismatch", "" },
    { "r := 99999999999;", "Type mismatch", "" },
    { "r := 1.2.3;", "Type mismatch", "" },
    { "r := 'abc", "Syntax error", "" },
    { "r := ((((1))));", "", "r=I4:1" },
    { "r := (1;", "Parens mixup", "" },
    { "r := nothing;", "Undefined", "" },
    // Statements the language does not have, and scopes that do not exist.
    { "5;", "Keyword expected", "" },
    { "foreach (x) { }", "Keyword expected", "" },
    { "}", "Keyword expected", "" },
    { "break;", "Unscoped break statement", "" },
    { "return 1;", "Invalid scope", "" },
    { "{ return 1; }", "Unscoped return statement", "" },
    { "", "", "" },
    { "  // nothing\n /* at all */ ;;", "", "" },
};

TEST_F(ScriptStatementTest, ScriptToState)
{
    for (const StateCase& c : kStateCases) {
        RecordingCallback fresh;
        IBaseScript* e = nullptr;
        ASSERT_EQ(S_OK, CreateScriptEngine(&e));
        e->AddDefaultCallback(&fresh);
        const ScriptOutcome outcome = RunScript(e, c.script);
        EXPECT_EQ(c.message, outcome.message) << c.script;
        EXPECT_EQ(outcome.message.empty(), outcome.ok) << c.script;
        EXPECT_EQ(c.state, fresh.State()) << c.script;
        ReleaseScriptEngine(&e);
    }
}

TEST_F(ScriptStatementTest, FramesNestNineteenDeep)
{
    std::string ok = "r := 0;";
    std::string tooDeep = ok;
    for (int i = 0; i < 19; ++i)
        ok = "{" + ok + "}";
    tooDeep = "{" + ok + "}";
    EXPECT_EQ("", RunScript(engine, ok.c_str()).message);
    EXPECT_EQ("Stack overflow", RunScript(engine, tooDeep.c_str()).message);

    // Each call takes a frame, and so does each block inside it.
    EXPECT_EQ("Stack overflow", RunScript(engine, "function f(n) { return f(n); } f(1);").message);
    EXPECT_EQ("",
        RunScript(engine, "function f(n) { if (n > 0) { return f(n - 1) + 1; } return 0; } r := f(9);")
            .message);
    EXPECT_EQ("I4:9", host.Describe(L"r"));
    EXPECT_EQ("Stack overflow",
        RunScript(engine, "function f(n) { if (n > 0) { return f(n - 1) + 1; } return 0; } r := f(10);")
            .message);
}

TEST_F(ScriptStatementTest, DeepNestingIsAnErrorNotACrash)
{
    const std::string shallow = "r := " + std::string(100, '(') + "1" + std::string(100, ')') + ";";
    EXPECT_EQ("", RunScript(engine, shallow.c_str()).message);
    EXPECT_EQ("I4:1", host.Describe(L"r"));

    const std::string parens = "r := " + std::string(100000, '(') + "1" + std::string(100000, ')') + ";";
    EXPECT_EQ("Stack overflow", RunScript(engine, parens.c_str()).message);

    std::string chain = "var v := 0;";
    for (int i = 0; i < 5000; ++i)
        chain += " if (v = 1) r := 1; else";
    chain += " r := 2;";
    EXPECT_EQ("Stack overflow", RunScript(engine, chain.c_str()).message);

    std::string minus = "r := ";
    for (int i = 0; i < 50000; ++i)
        minus += "-(";
    EXPECT_EQ("Stack overflow", RunScript(engine, minus.c_str()).message);
}

struct DeepRun
{
    IBaseScript* engine;
    const std::string* script;
    std::string message;
};

DWORD WINAPI RunDeepScript(void* parameter)
{
    DeepRun* run = static_cast<DeepRun*>(parameter);
    run->message = RunScript(run->engine, run->script->c_str()).message;
    return 0;
}

// The nesting limit keeps the deepest constructs within a 1 MB thread stack,
// the smallest a Windows program gives its threads by default.
TEST_F(ScriptStatementTest, DeepestNestingFitsAOneMegabyteStack)
{
    host.AddFunction(L"h", [](VARIANT*, int, VARIANT* result) {
        result->vt = VT_I4;
        result->lVal = 1;
        return true;
    });
    const char* shapes[][3] = {
        { "(", "1", ")" },
        { "h(", "1", ")" },
        { "-(", "1", ")" },
        { "h(1,2,3,4,5,6,7,8,9,10,11,", "1", ")" },
        { "(1 < 2) and (", "1", ")" },
    };
    for (const auto& shape : shapes) {
        std::string script = "r := ";
        for (int i = 0; i < 1000; ++i)
            script += shape[0];
        script += shape[1];
        for (int i = 0; i < 1000; ++i)
            script += shape[2];
        script += ";";
        DeepRun run = { engine, &script, "(not run)" };
        HANDLE thread = ::CreateThread(
            nullptr, 1024 * 1024, RunDeepScript, &run, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        ASSERT_NE(nullptr, thread);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 120000));
        ::CloseHandle(thread);
        EXPECT_EQ("Stack overflow", run.message) << shape[0];
    }
}

TEST_F(ScriptStatementTest, LimitsOfTheTables)
{
    std::string vars;
    for (int i = 1; i <= 99; ++i)
        vars += "var v" + std::to_string(i) + ";";
    EXPECT_EQ("", RunScript(engine, vars.c_str()).message);
    EXPECT_EQ("Compiler limitation reached", RunScript(engine, (vars + "var w;").c_str()).message);

    std::string functions;
    for (int i = 1; i <= 49; ++i)
        functions += "function f" + std::to_string(i) + "() { }";
    EXPECT_EQ("", RunScript(engine, functions.c_str()).message);
    EXPECT_EQ(
        "Compiler limitation reached", RunScript(engine, (functions + "function g() { }").c_str()).message);

    host.AddFunction(L"count", [](VARIANT*, int count, VARIANT* result) {
        result->vt = VT_I4;
        result->lVal = count;
        return true;
    });
    EXPECT_EQ("", RunScript(engine, "r := count(1,2,3,4,5,6,7,8,9,10,11,12); s := count(1,);").message);
    EXPECT_EQ("I4:12", host.Describe(L"r"));
    EXPECT_EQ("I4:1", host.Describe(L"s"));
    EXPECT_EQ("Too many parameters", RunScript(engine, "count(1,2,3,4,5,6,7,8,9,10,11,12,13);").message);
    EXPECT_EQ("Parens mixup", RunScript(engine, "count(1 2);").message);
}

TEST_F(ScriptStatementTest, OperatorsGoToTheFirstCallback)
{
    host.SetSeries(L"s", 3);
    EXPECT_EQ("", RunScript(engine, "r := -s; t := -5; u := s + 1; v := 1 + 1; w := s > 2;").message);
    EXPECT_EQ("series1003", host.Describe(L"r"));
    EXPECT_EQ("I4:-5", host.Describe(L"t"));
    EXPECT_EQ("series37", host.Describe(L"u"));
    EXPECT_EQ("I4:2", host.Describe(L"v"));
    EXPECT_EQ("series37", host.Describe(L"w"));
    EXPECT_TRUE(Logged("hook Negate"));
    EXPECT_TRUE(Logged("hook Add"));
    EXPECT_TRUE(Logged("hook Greater"));

    // "<>" is not-equal, also for the hook.
    host.log.clear();
    EXPECT_EQ(
        "", RunScript(engine, "r := s <> 1; q := s = 1; m := s * 2; d := s / 2; a := s and s;").message);
    EXPECT_TRUE(Logged("hook NotEqual"));
    EXPECT_TRUE(Logged("hook Equal"));
    EXPECT_TRUE(Logged("hook Multiply"));
    EXPECT_TRUE(Logged("hook Divide"));
    EXPECT_TRUE(Logged("hook And"));

    // A second callback never sees the operators.
    RecordingCallback second;
    second.SetSeries(L"z", 4);
    engine->AddDefaultCallback(&second);
    second.log.clear();
    EXPECT_EQ("", RunScript(engine, "r := z + z;").message);
    EXPECT_EQ(0, std::count(second.log.begin(), second.log.end(), std::string("hook Add")));
    EXPECT_EQ("series47", host.Describe(L"r"));
}

TEST_F(ScriptStatementTest, CompoundAssignmentHandsTheHostTheResult)
{
    host.SetInt(L"a", 5);
    EXPECT_EQ("", RunScript(engine, "a += 2;").message);
    EXPECT_EQ("I4:7", host.Describe(L"a"));
    EXPECT_EQ("", RunScript(engine, "a -= 10;").message);
    EXPECT_EQ("I4:-3", host.Describe(L"a"));
    EXPECT_EQ("", RunScript(engine, "a++;").message);
    EXPECT_EQ("I4:-2", host.Describe(L"a"));
    host.SetSeries(L"s", 2);
    EXPECT_EQ("", RunScript(engine, "s += 1;").message);
    EXPECT_EQ("series27", host.Describe(L"s"));
    EXPECT_EQ("Undefined", RunScript(engine, "missing += 1;").message);
}

// A host value (a series carried in the reserved words of a VT_EMPTY) keeps
// all its bytes through script variables, parameters, return values, eval,
// call arguments and Evaluate: the host recognises its series by them.
TEST_F(ScriptStatementTest, HostValuesTravelWhole)
{
    ASSERT_TRUE(engine->AddDefaultCallback(static_cast<CScriptEngine*>(engine)));
    host.SetSeries(L"s", 3);
    host.AddFunction(L"pass", [](VARIANT* arguments, int count, VARIANT* result) {
        return count == 1 && SUCCEEDED(::VariantCopy(result, &arguments[0]));
    });
    EXPECT_EQ("",
        RunScript(engine,
            "var x := s; a := x; function f(v) { var w := v; return w; } b := f(s); "
            "c := eval('x'); d := pass(x); e := (s); g := 1, s; var y; y := s; h := y;")
            .message);
    for (const wchar_t* name : { L"a", L"b", L"c", L"d", L"e", L"g", L"h" })
        EXPECT_EQ("series3", host.Describe(name)) << WideToGbk(name);
    EXPECT_TRUE(Logged("call pass(series3)"));

    VARIANT result;
    VariantInit(&result);
    EXPECT_TRUE(engine->Evaluate("return f(s);", &result));
    EXPECT_EQ("series3", DescribeVariant(result));
    VariantClear(&result);
}

// A plain number that happens to carry the series marker in its reserved words
// must not pass it on: every value the engine computes has them zeroed.
TEST_F(ScriptStatementTest, EngineValuesCarryNoStaleReservedWords)
{
    VARIANT stale;
    std::memset(&stale, 0, sizeof stale);
    stale.vt = VT_I4;
    stale.lVal = 5;
    stale.wReserved1 = RecordingCallback::kSeriesMarker;
    stale.wReserved2 = 77;
    stale.wReserved3 = 99;
    host.SetRaw(L"x", stale);
    EXPECT_EQ("",
        RunScript(engine,
            "a := x + 1; b := x - 2.5; c := x * 2; d := x < 9; e := -x; f := x / 2; "
            "g := x.toString(); h := 3; i := 'text'; j := 1.5; k := x and 1; "
            "l := 'a' + x;")
            .message);
    for (const wchar_t* name : { L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h", L"i", L"j", L"k", L"l" }) {
        const VARIANT* value = host.Find(name);
        ASSERT_NE(nullptr, value);
        EXPECT_EQ(0, value->wReserved1) << WideToGbk(name);
        EXPECT_EQ(0, value->wReserved2) << WideToGbk(name);
        EXPECT_EQ(0, value->wReserved3) << WideToGbk(name);
    }
    EXPECT_EQ("I4:6", host.Describe(L"a"));
    EXPECT_EQ("BSTR:a5", host.Describe(L"l"));
}

TEST_F(ScriptStatementTest, NamedCallbackMembers)
{
    RecordingCallback object;
    object.AddFunction(L"twice", [](VARIANT* arguments, int count, VARIANT* result) {
        if (count != 1 || arguments[0].vt != VT_I4)
            return false;
        result->vt = VT_I4;
        result->lVal = arguments[0].lVal * 2;
        return true;
    });
    ASSERT_TRUE(engine->AddCallback("obj", &object));
    EXPECT_EQ("", RunScript(engine, "obj.x := 5; r := obj.x; s := obj.twice(4); obj.twice(1);").message);
    EXPECT_EQ("x=I4:5", object.State());
    EXPECT_EQ("I4:5", host.Describe(L"r"));
    EXPECT_EQ("I4:8", host.Describe(L"s"));
    EXPECT_FALSE(host.Has(L"obj")); // a member statement is not an assignment to the callback's name
    EXPECT_EQ("Undefined", RunScript(engine, "r := obj.y;").message);
    EXPECT_EQ("Name exptected", RunScript(engine, "r := obj;").message);
    EXPECT_EQ("Name exptected", RunScript(engine, "r := obj.5;").message);
    EXPECT_EQ("Syntax error", RunScript(engine, "var v; v.x := 1;").message);
}

TEST_F(ScriptStatementTest, HostErrorsAndUnknownValues)
{
    host.AddFunction(L"bad", [](VARIANT*, int, VARIANT* result) {
        result->vt = VT_ERROR;
        result->scode = E_FAIL;
        return true;
    });
    VARIANT error;
    std::memset(&error, 0, sizeof error);
    error.vt = VT_ERROR;
    host.SetRaw(L"e", error);
    EXPECT_EQ("Error", RunScript(engine, "r := bad();").message);
    EXPECT_EQ("Error", RunScript(engine, "r := e;").message);
    EXPECT_EQ("Undefined", RunScript(engine, "r := unknown(1);").message);
    EXPECT_TRUE(Logged("call unknown(I4:1)"));
}

TEST_F(ScriptStatementTest, CallbackTableHoldsTwenty)
{
    RecordingCallback others[20];
    for (int i = 1; i < 20; ++i)
        EXPECT_TRUE(engine->AddCallback(("cb" + std::to_string(i)).c_str(), &others[i]));
    EXPECT_FALSE(engine->AddCallback("one_too_many", &others[0]));
    EXPECT_FALSE(engine->AddDefaultCallback(&others[0]));
    EXPECT_EQ("Undefined", RunScript(engine, "one_too_many.x := 1;").message);
    EXPECT_EQ("", RunScript(engine, "cb19.x := 1;").message);
    EXPECT_EQ("x=I4:1", others[19].State());
}

TEST_F(ScriptStatementTest, LongCallbackNameIsCut)
{
    RecordingCallback named;
    const std::string name70(70, 'c');
    ASSERT_TRUE(engine->AddCallback(name70.c_str(), &named));
    const std::string name63(63, 'c');
    EXPECT_EQ("", RunScript(engine, (name63 + ".x := 1;").c_str()).message);
    EXPECT_EQ("x=I4:1", named.State());
}

} // namespace
