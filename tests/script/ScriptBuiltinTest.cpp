#include "formula/ScriptEngine.h"
#include "tests/script/RecordingCallback.h"
#include "tests/support/TempDirectory.h"

#include "base/UnicodeString.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// The engine's built-ins are reached by registering the engine with itself.
class ScriptBuiltinTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CreateScriptEngine(&engine));
        ASSERT_TRUE(engine->AddDefaultCallback(&host));
        ASSERT_TRUE(engine->AddDefaultCallback(static_cast<CScriptEngine*>(engine)));
        char directory[MAX_PATH];
        ::GetTempPathA(MAX_PATH, directory);
        path = std::string(directory) + "script_builtin_" + std::to_string(::GetCurrentProcessId()) + ".txt";
        // Scripts write the path with forward slashes inside their strings.
        for (char& c : path)
            if (c == '\\')
                c = '/';
    }
    void TearDown() override
    {
        ReleaseScriptEngine(&engine);
        ::DeleteFileA(path.c_str());
    }

    std::string Run(const std::string& script) { return RunScript(engine, script.c_str()).message; }

    void WriteFileBytes(const std::string& bytes)
    {
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }

    std::string ReadFileBytes() { return ReadTestFile(path); }

    IBaseScript* engine = nullptr;
    RecordingCallback host;
    std::string path;
};

struct BuiltinCase
{
    const char* expression;
    const char* value; // or the error message, starting with "!"
};

const BuiltinCase kBuiltinCases[] = {
    { "atoi('12')", "I4:12" },
    { "atoi('x')", "I4:0" },
    { "atoi(2.7)", "I4:3" },
    { "atoi()", "!Bad arguments" },
    { "strlen('abc')", "I4:3" },
    { "strlen(12345)", "I4:5" },
    { "strlen('')", "I4:0" },
    { "strstr('hello', 'll')", "BSTR:llo" },
    { "strstr('hello', 'x')", "BSTR:" },
    { "strpos('abc', 'abc')", "I4:0" },
    { "strpos('abc', 'c')", "I4:2" },
    { "strpos('abc', 'x')", "I4:-1" },
    { "strpos('abc', 1)", "!Bad arguments" },
    { "substr('abc', 3)", "BSTR:" },
    { "substr('abc', 1)", "BSTR:bc" },
    { "substr('abc', 1, 10)", "BSTR:bc" },
    { "substr('abc', 0, 2)", "BSTR:ab" },
    { "substr('abc', -2, 1)", "BSTR:a" },
    { "substr('abc', 1, -1)", "BSTR:" },
    { "substr('abc', 1, 1, 9)", "BSTR:bc" },
    { "substr('abc')", "!Bad arguments" },
    { "substr(5, 1)", "!Bad arguments" },
    { "strupper('aBc1')", "BSTR:ABC1" },
    { "strlower('AbC')", "BSTR:abc" },
    { "eval('1 + 2 * 3')", "I4:7" },
    { "eval('base * 2, base + 1')", "I4:11" },
    { "eval(3)", "!Bad arguments" },
    { "eval('eval(\"4 > 3\")')", "BOOL:-1" },
    { "sleep(-1)", "EMPTY" },
    { "sleep(0)", "EMPTY" },
    { "feof(-1)", "BOOL:-1" },
    { "fgets(-1)", "EMPTY" },
    { "fputs(-1, 'x')", "BOOL:0" },
    { "fopen('/no/such/dir/file.txt', 'r')", "I4:-1" },
    { "fopen('a')", "!Bad arguments" },
    { "fclose('a')", "!Bad arguments" },
};

TEST_F(ScriptBuiltinTest, Table)
{
    for (const BuiltinCase& c : kBuiltinCases) {
        const std::string script = std::string("var base := 10; r := ") + c.expression + ";";
        const std::string message = Run(script);
        if (c.value[0] == '!') {
            EXPECT_EQ(c.value + 1, message) << c.expression;
        } else {
            EXPECT_EQ("", message) << c.expression;
            EXPECT_EQ(c.value, host.Describe(L"r")) << c.expression;
        }
    }
}

TEST_F(ScriptBuiltinTest, OtherNamesAreDeclinedAndLeftToOtherCallbacks)
{
    CScriptEngine* raw = static_cast<CScriptEngine*>(engine);
    VARIANT result;
    VariantInit(&result);
    EXPECT_FALSE(raw->CallFunction(L"print", nullptr, 0, &result));
    EXPECT_FALSE(raw->CallFunction(L"Strlen", nullptr, 0, &result));
    EXPECT_FALSE(raw->CallFunction(L"sqrt", nullptr, 0, &result));
    // Called from outside a run, a bad call is declined rather than thrown.
    EXPECT_FALSE(raw->CallFunction(L"strlen", nullptr, 0, &result));
    EXPECT_FALSE(raw->GetVariable(L"x", &result));

    // Registered before the host, the built-ins pass the other names on to it.
    IBaseScript* first = nullptr;
    ASSERT_EQ(S_OK, CreateScriptEngine(&first));
    RecordingCallback later;
    later.AddFunction(L"strange", [](VARIANT*, int, VARIANT* result) {
        result->vt = VT_I4;
        result->lVal = 1;
        return true;
    });
    first->AddDefaultCallback(static_cast<CScriptEngine*>(first));
    first->AddDefaultCallback(&later);
    EXPECT_TRUE(first->Execute("r := strange(); s := strlen('ab');"));
    EXPECT_EQ("r=I4:1 s=I4:2", later.State());
    ReleaseScriptEngine(&first);

    // A second engine registered as a named callback reaches the built-ins as members.
    IBaseScript* other = nullptr;
    ASSERT_EQ(S_OK, CreateScriptEngine(&other));
    ASSERT_TRUE(engine->AddCallback("lib", static_cast<CScriptEngine*>(other)));
    EXPECT_EQ("", Run("r := lib.strlen('four');"));
    EXPECT_EQ("I4:4", host.Describe(L"r"));
    ReleaseScriptEngine(&other);
}

TEST_F(ScriptBuiltinTest, LinesWithoutFinalLineFeed)
{
    WriteFileBytes("first\r\nsecond\nlast");
    EXPECT_EQ("",
        Run("var f := fopen('" + path
            + "', 'r'); a := fgets(f); b := fgets(f); c := fgets(f); "
              "d := feof(f); e := fgets(f); fclose(f);"));
    EXPECT_EQ("BSTR:first", host.Describe(L"a"));
    EXPECT_EQ("BSTR:second", host.Describe(L"b"));
    EXPECT_EQ("BSTR:last", host.Describe(L"c"));
    EXPECT_EQ("BOOL:-1", host.Describe(L"d"));
    EXPECT_EQ("BSTR:", host.Describe(L"e"));
}

TEST_F(ScriptBuiltinTest, WriteAppendAndLongLines)
{
    const std::string longLine(500, 'x');
    // String literals hold at most 299 characters; the line is joined in the script.
    EXPECT_EQ("",
        Run("var f := fopen('" + path
            + "', 'w'); a := fputs(f, 'one'); fclose(f);"
              "var half := '"
            + longLine.substr(0, 250)
            + "';"
              "f := fopen('"
            + path + "', 'a'); fputs(f, half + half); fclose(f);"));
    EXPECT_EQ("BOOL:-1", host.Describe(L"a"));
    EXPECT_EQ("one\r\n" + longLine + "\r\n", ReadFileBytes());

    // A line is read in pieces of at most 399 bytes.
    EXPECT_EQ("",
        Run("var f := fopen('" + path
            + "', 'r'); a := fgets(f); b := fgets(f); c := fgets(f);"
              "d := feof(f); fclose(f);"));
    EXPECT_EQ("BSTR:one", host.Describe(L"a"));
    EXPECT_EQ("BSTR:" + std::string(399, 'x'), host.Describe(L"b"));
    EXPECT_EQ("BSTR:" + std::string(101, 'x'), host.Describe(L"c"));
    EXPECT_EQ("BOOL:-1", host.Describe(L"d"));
}

TEST_F(ScriptBuiltinTest, GbkTextRoundTrip)
{
    EXPECT_EQ("",
        Run("var f := fopen('" + path
            + "', 'w'); fputs(f, '\xca\xd5\xc5\xcc'); fclose(f);"
              "f := fopen('"
            + path + "', 'r'); r := fgets(f); s := strlen(r); fclose(f);"));
    EXPECT_EQ(std::string("\xca\xd5\xc5\xcc\r\n"), ReadFileBytes());
    EXPECT_EQ("BSTR:\xca\xd5\xc5\xcc", host.Describe(L"r"));
    EXPECT_EQ("I4:2", host.Describe(L"s"));
}

// Only handles that fopen returned are touched: a script cannot close or read
// the process's own handles.
TEST_F(ScriptBuiltinTest, FileFunctionsRefuseForeignHandles)
{
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::string value = std::to_string(reinterpret_cast<LONG_PTR>(event));
    EXPECT_EQ("",
        Run("fclose(" + value + "); r := fgets(" + value + "); s := feof(" + value + "); t := fputs(" + value
            + ", 'x');"));
    EXPECT_EQ("EMPTY", host.Describe(L"r"));
    EXPECT_EQ("BOOL:-1", host.Describe(L"s"));
    EXPECT_EQ("BOOL:0", host.Describe(L"t"));
    DWORD flags = 0;
    EXPECT_TRUE(::GetHandleInformation(event, &flags));
    EXPECT_TRUE(::CloseHandle(event));

    // Handles of a run are closed when the engine is reset: the file can be
    // opened for writing again.
    EXPECT_EQ("", Run("r := fopen('" + path + "', 'w');"));
    EXPECT_NE("I4:-1", host.Describe(L"r"));
    EXPECT_EQ("", Run("r := fopen('" + path + "', 'w');"));
    EXPECT_NE("I4:-1", host.Describe(L"r"));
}

TEST_F(ScriptBuiltinTest, SleepWakesWhenStopped)
{
    host.AddFunction(L"halt", [this](VARIANT*, int, VARIANT*) {
        engine->Stop();
        return true;
    });
    // Stopped before the sleep begins: a day-long sleep returns at once.
    EXPECT_EQ("Cancelled", Run("r := halt() + sleep(86400000);"));
}

} // namespace
