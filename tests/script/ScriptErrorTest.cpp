#include "formula/ScriptEngine.h"
#include "tests/script/RecordingCallback.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

class ScriptErrorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CreateScriptEngine(&engine));
        ASSERT_TRUE(engine->AddDefaultCallback(&host));
        ASSERT_TRUE(engine->AddDefaultCallback(static_cast<CScriptEngine*>(engine)));
    }
    void TearDown() override { ReleaseScriptEngine(&engine); }

    IBaseScript* engine = nullptr;
    RecordingCallback host;
};

TEST(ScriptEngineMessages, FixedTexts)
{
    const char* expected[] = {
        nullptr,
        "Syntax error",
        "Type mismatch",
        "Name exptected",
        "Compiler limitation reached",
        "Too many parameters",
        "Stack overflow",
        "Invalid scope",
        "Undefined",
        "Keyword expected",
        "Duplicated entry",
        "Error",
        "Parens mixup",
        "Bad arguments",
        "Unscoped break statement",
        "Unscoped return statement",
        "Cancelled",
    };
    EXPECT_EQ(nullptr, CScriptEngine::MessageOf(0));
    for (int code = 1; code <= 16; ++code)
        EXPECT_STREQ(expected[code], CScriptEngine::MessageOf(code)) << code;
    EXPECT_EQ(nullptr, CScriptEngine::MessageOf(17));
    EXPECT_EQ(nullptr, CScriptEngine::MessageOf(-1));
}

struct ErrorCase
{
    const char* script;
    const char* message;
    int line;
    const char* token;
    const char* lineText;
};

// The token text starts at the token being read when the error was raised and
// runs on through the source; the line text is that token's whole line.
const ErrorCase kErrorCases[] = {
    { "r := 1;\nvar a b;", "Syntax error", 2, "b;", "var a b;" },
    { "r := 1;\n\nr := 1 / 0;\nq := 2;", "Type mismatch", 3, ";\nq := 2;", "r := 1 / 0;" },
    { "/* a\nb */ var 5;", "Name exptected", 2, "5;", "b */ var 5;" },
    { "// c\n\n\n{{{{{{{{{{{{{{{{{{{{ }}}}}}}}}}}}}}}}}}}}", "Stack overflow", 4, "{ }}}}}}}}}}}}}}}}}}}}",
        "{{{{{{{{{{{{{{{{{{{{ }}}}}}}}}}}}}}}}}}}}" },
    { "{\n  function f() { }\n}", "Invalid scope", 2, "function f() { }\n}", "  function f() { }" },
    { "a := 1;\nb := zz + 1;", "Undefined", 2, "+ 1;", "b := zz + 1;" },
    { "\n\t5;", "Keyword expected", 2, "5;", "\t5;" },
    { "var a;\r\nvar a;", "Duplicated entry", 2, "a;", "var a;" },
    { "if (1 < 2 { }", "Parens mixup", 1, "{ }", "if (1 < 2 { }" },
    { "x := 1;\nstrlen(1, 2);", "Bad arguments", 2, ";", "strlen(1, 2);" },
    { "break;", "Unscoped break statement", 1, "break;", "break;" },
    { "while (1 < 2) {\n  { return 3; }\n}", "Unscoped return statement", 2, "; }\n}", "  { return 3; }" },
    { "r := 'open\n", "Syntax error", 1, "'open\n", "r := 'open" },
    { "r := 1;\nr := 2 +\n  'abc", "Syntax error", 3, "'abc", "  'abc" },
    // An over-long name or number is shown from its own first character.
    { "r := 1;\nq := aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa;", "Syntax error", 2,
        "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
        "q := aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa;" },
    { "r := 7777777777777777777777777777777777777777777777777777777777777777;", "Syntax error", 1,
        "777777777777777777777777777777777777777",
        "r := 7777777777777777777777777777777777777777777777777777777777777777;" },
};

TEST_F(ScriptErrorTest, MessageLineAndToken)
{
    for (const ErrorCase& c : kErrorCases) {
        const ScriptOutcome outcome = RunScript(engine, c.script);
        EXPECT_FALSE(outcome.ok) << c.script;
        EXPECT_EQ(c.message, outcome.message) << c.script;
        EXPECT_EQ(c.line, outcome.line) << c.script;
        EXPECT_EQ(c.token, outcome.token) << c.script;
        EXPECT_EQ(c.lineText, outcome.lineText) << c.script;
    }
}

TEST_F(ScriptErrorTest, ErrorInsideEvalTextIsReadFromThatText)
{
    const ScriptOutcome outcome = RunScript(engine, "r := 1;\nr := eval('2 + (3');");
    EXPECT_EQ("Parens mixup", outcome.message);
    EXPECT_EQ(1, outcome.line); // lines of the eval text
    EXPECT_EQ("", outcome.token);
    EXPECT_EQ("2 + (3", outcome.lineText);
}

TEST_F(ScriptErrorTest, GetErrorAlwaysTerminates)
{
    std::string vars;
    for (int i = 0; i < 100; ++i)
        vars += "var v" + std::to_string(i) + ";";
    EXPECT_FALSE(engine->Execute(vars.c_str()));
    char message[10];
    std::memset(message, 'X', sizeof message);
    engine->GetError(nullptr, message, sizeof message, nullptr, 0, nullptr, 0);
    EXPECT_STREQ("Compiler ", message);

    char tiny[1] = { 'X' };
    engine->GetError(nullptr, tiny, 1, tiny, 1, tiny, 1);
    EXPECT_EQ('\0', tiny[0]);
    engine->GetError(nullptr, nullptr, 0, nullptr, 0, nullptr, 0); // nothing to write, nothing written

    // A GBK character is never cut in half: "收" takes two bytes.
    EXPECT_FALSE(engine->Execute("var \xca\xd5\xca\xd5;\nvar \xca\xd5\xca\xd5;"));
    char token[4];
    int line = 0;
    engine->GetError(&line, nullptr, 0, token, sizeof token, nullptr, 0);
    EXPECT_EQ(2, line);
    EXPECT_STREQ("\xca\xd5", token);
}

TEST_F(ScriptErrorTest, ResetClearsTheRecordButKeepsCallbacks)
{
    EXPECT_FALSE(engine->Execute("5;"));
    engine->Reset();
    const ScriptOutcome outcome = ReadOutcome(engine, true);
    EXPECT_EQ("", outcome.message);
    EXPECT_EQ("", outcome.token);
    EXPECT_EQ("", outcome.lineText);
    EXPECT_TRUE(engine->Execute("r := 4;"));
    EXPECT_EQ("I4:4", host.Describe(L"r"));
}

TEST_F(ScriptErrorTest, ExitEndsTheRunCleanly)
{
    EXPECT_TRUE(engine->Execute("function f() { exit(); r := 1; } while (1 < 2) { f(); } s := 1;"));
    EXPECT_EQ("", host.State());
    EXPECT_TRUE(engine->Execute("a := 1; exit(7); b := 2;"));
    EXPECT_EQ("a=I4:1", host.State());
}

TEST_F(ScriptErrorTest, StopCancelsAnEmptyEndlessLoop)
{
    CScriptEngine* raw = static_cast<CScriptEngine*>(engine);
    HANDLE started = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    host.AddFunction(L"started", [started](VARIANT*, int, VARIANT*) {
        ::SetEvent(started);
        return true;
    });
    std::thread stopper([&] {
        if (::WaitForSingleObject(started, 60000) == WAIT_OBJECT_0)
            raw->Stop();
    });
    const ScriptOutcome outcome = RunScript(engine, "started();\nwhile (1 < 2) { }");
    stopper.join();
    ::CloseHandle(started);
    EXPECT_EQ("Cancelled", outcome.message);
    EXPECT_TRUE(engine->Execute("r := 1;")); // the next run starts afresh
}

TEST_F(ScriptErrorTest, StopFromACallbackEndsAfterTheStatement)
{
    host.AddFunction(L"halt", [this](VARIANT*, int, VARIANT*) {
        engine->Stop();
        return true;
    });
    const ScriptOutcome outcome = RunScript(engine, "a := 1; halt(); b := 2;");
    EXPECT_EQ("Cancelled", outcome.message);
    EXPECT_EQ("a=I4:1", host.State());
    // A recursion through for loops is stopped as well.
    host.AddFunction(L"tick", [this](VARIANT*, int, VARIANT*) {
        engine->Stop();
        return true;
    });
    EXPECT_EQ("Cancelled", RunScript(engine, "for (i := 0; 1 < 2; tick()) { }").message);
}

TEST(ScriptEvaluate, ReturnsTheValueOfItsReturn)
{
    IBaseScript* engine = nullptr;
    ASSERT_EQ(S_OK, CreateScriptEngine(&engine));
    VARIANT result;
    VariantInit(&result);
    // A new engine is not cancelled.
    EXPECT_TRUE(engine->Evaluate("return 1 + 2;", &result));
    EXPECT_EQ("I4:3", DescribeVariant(result));
    VariantClear(&result);

    EXPECT_TRUE(engine->Evaluate("var x := 2;", &result));
    EXPECT_EQ("EMPTY", DescribeVariant(result));
    EXPECT_FALSE(engine->Evaluate("5;", &result));
    char message[64];
    engine->GetError(nullptr, message, sizeof message, nullptr, 0, nullptr, 0);
    EXPECT_STREQ("Keyword expected", message);
    ReleaseScriptEngine(&engine);
}

TEST(ScriptEvaluate, SeesTheLastRunAndOutlivesItsText)
{
    IBaseScript* engine = nullptr;
    ASSERT_EQ(S_OK, CreateScriptEngine(&engine));
    {
        // The caller's text is gone before Evaluate calls the function it defined.
        std::wstring text
            = L"var base := 10; function add(x) { return base + x; } function g() { return 1; }";
        ASSERT_TRUE(engine->ExecuteWide(text.c_str()));
        text.assign(text.size(), L'#');
    }
    VARIANT result;
    VariantInit(&result);
    EXPECT_TRUE(engine->Evaluate("return add(5);", &result));
    EXPECT_EQ("I4:15", DescribeVariant(result));
    VariantClear(&result);
    // A function result is not the Evaluate text's own result.
    EXPECT_TRUE(engine->Evaluate("g();", &result));
    EXPECT_EQ("EMPTY", DescribeVariant(result));
    // A failed run does not leave frames behind for the next Evaluate.
    EXPECT_FALSE(engine->Execute("function h() { { { 5; } } } h();"));
    EXPECT_TRUE(engine->Evaluate("return 7;", &result));
    EXPECT_EQ("I4:7", DescribeVariant(result));
    ReleaseScriptEngine(&engine);
}

TEST(ScriptEngineLifecycle, CreateAndRelease)
{
    EXPECT_EQ(E_POINTER, CreateScriptEngine(nullptr));
    IBaseScript* engine = nullptr;
    ASSERT_EQ(S_OK, CreateScriptEngine(&engine));
    ASSERT_NE(nullptr, engine);
    EXPECT_FALSE(engine->AddCallback("x", nullptr));
    EXPECT_TRUE(engine->Execute(""));
    EXPECT_FALSE(engine->Execute(nullptr));
    EXPECT_EQ(0, ReleaseScriptEngine(&engine));
    EXPECT_EQ(nullptr, engine);
    EXPECT_EQ(0, ReleaseScriptEngine(&engine));
    EXPECT_EQ(0, ReleaseScriptEngine(nullptr));
}

TEST(ScriptEngineLifecycle, ExecuteFileReadsWholeFile)
{
    char directory[MAX_PATH];
    ASSERT_GT(::GetTempPathA(MAX_PATH, directory), 0u);
    const std::string path = std::string(directory) + "script_execute_file_test.txt";
    const char text[] = "r := 6 * 7;\n";
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ::WriteFile(file, text, sizeof text - 1, &written, nullptr);
    ::CloseHandle(file);

    IBaseScript* engine = nullptr;
    ASSERT_EQ(S_OK, CreateScriptEngine(&engine));
    RecordingCallback host;
    engine->AddDefaultCallback(&host);
    EXPECT_TRUE(engine->ExecuteFile(path.c_str()));
    EXPECT_EQ("I4:42", host.Describe(L"r"));
    ::DeleteFileA(path.c_str());
    EXPECT_FALSE(engine->ExecuteFile(path.c_str()));
    ReleaseScriptEngine(&engine);
}

} // namespace
