// Scripts are input: random and mutated texts must end in an error message or
// a clean end, never in a crash or a hang.
#include "formula/ScriptEngine.h"
#include "tests/script/RecordingCallback.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

namespace {

class Random
{
public:
    explicit Random(uint32_t seed)
        : m_state(seed)
    {
    }
    uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }

private:
    uint32_t m_state;
};

const char* const kCorpus[] = {
    "var i := 0; while (i < 10) { i := i + 1; if (i = 5) break; } r := i;",
    "function f(a, b) { if (a > b) { return a; } else { return b; } } r := f(3, 4) + f(9, 2);",
    "var s := 0; for (var i := 0; i < 5; i++) { s += i; } r := s;",
    "switch (2) { case 1: r := 1; break; case 2: r := 2; break; default: r := 0; }",
    "r := strlen('abc') + atoi('12') * 2; q := substr('hello', 1, 3); p := strpos(q, 'l');",
    "r := eval('1 + 2'), (3 - 1) / 2; t := -s; u := s * 2 + s / 3;",
    "var a := 'x'; a := a + 1; b := a.toString(); c := (1 < 2) and (2 > 1) or not (1 = 1);",
    "obj.x := 5; r := obj.x; obj.y := obj.x * 2;",
    "function g(n) { if (n > 0) { return g(n - 1) + 1; } return 0; } r := g(5);",
    "MA5:=Excute(MA(CLOSE,5)); DIF:=DRAWBASELINE(EMA(CLOSE,12)-EMA(CLOSE,26)); X:=IF(C>O,1,2);",
    "var x := 1; { var x := 2; { var x := 3; r := x; } } s := x; x++; x--; x -= 1;",
    "/* comment */ r := 1; // line\n s := 'a\\'b' + \"c\" ;",
};

const char* const kWords[] = {
    "var ",
    "function ",
    "if ",
    "else ",
    "while ",
    "for ",
    "switch ",
    "case ",
    "default ",
    "break ",
    "return ",
    "foreach ",
    "uses ",
    "(",
    ")",
    "{",
    "}",
    ";",
    ",",
    ".",
    ":",
    ":=",
    "+=",
    "-=",
    "++",
    "--",
    "+",
    "-",
    "*",
    "/",
    "=",
    "<",
    ">",
    "<=",
    ">=",
    "!=",
    "<>",
    "!",
    "&",
    "|",
    "~",
    "and ",
    "or ",
    "not ",
    "a",
    "b",
    "r",
    "s",
    "f",
    "g",
    "obj",
    "x",
    "0",
    "1",
    "2",
    "3.5",
    "99999999999",
    "'str'",
    "\"q\"",
    "'",
    "eval",
    "strlen",
    "substr",
    "atoi",
    "exit",
    "sleep",
    "MA",
    "CLOSE",
    "Excute",
    " ",
    "\n",
    "/*",
    "*/",
    "//",
    "toString",
    "toNumber",
    "\xca\xd5",
};

std::string RandomScript(Random& random)
{
    std::string text;
    const uint32_t count = 1 + random.Below(60);
    for (uint32_t i = 0; i < count; ++i)
        text += kWords[random.Below(sizeof kWords / sizeof kWords[0])];
    return text;
}

std::string MutatedScript(Random& random)
{
    std::string text = kCorpus[random.Below(sizeof kCorpus / sizeof kCorpus[0])];
    const uint32_t edits = 1 + random.Below(6);
    for (uint32_t i = 0; i < edits && !text.empty(); ++i) {
        const uint32_t at = random.Below(static_cast<uint32_t>(text.size()));
        switch (random.Below(5)) {
        case 0:
            text.erase(at, 1 + random.Below(5));
            break;
        case 1:
            text.insert(at, kWords[random.Below(sizeof kWords / sizeof kWords[0])]);
            break;
        case 2:
            text[at] = static_cast<char>(1 + random.Below(255));
            break;
        case 3: {
            const uint32_t from = random.Below(static_cast<uint32_t>(text.size()));
            text.insert(at, text.substr(from, random.Below(20)));
            break;
        }
        default:
            text.insert(at, std::string(1 + random.Below(300), "({[-!"[random.Below(5)]));
            break;
        }
    }
    return text;
}

bool IsKnownMessage(const std::string& message)
{
    for (int code = 1; code <= 16; ++code) {
        if (message == CScriptEngine::MessageOf(code))
            return true;
    }
    return false;
}

TEST(ScriptFuzz, HostileScriptsEndInAnErrorOrCleanly)
{
    IBaseScript* engine = nullptr;
    ASSERT_EQ(S_OK, CreateScriptEngine(&engine));
    RecordingCallback host;
    RecordingCallback object;
    host.SetSeries(L"s", 1);
    host.AddFunction(L"MA", [](VARIANT*, int count, VARIANT* result) {
        result->vt = VT_I4;
        result->lVal = count;
        return count >= 2;
    });
    engine->AddDefaultCallback(&host);
    engine->AddCallback("obj", &object);
    engine->AddDefaultCallback(static_cast<CScriptEngine*>(engine));

    // A watchdog stops any run that goes on for long (an endless loop, a long
    // sleep); the script then ends with "Cancelled", which is also an error.
    std::atomic<uint32_t> runNumber(0);
    std::atomic<bool> finished(false);
    HANDLE wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread watchdog([&] {
        uint32_t seen = 0;
        while (!finished) {
            ::WaitForSingleObject(wake, 500);
            const uint32_t now = runNumber.load();
            if (now == seen && !finished)
                engine->Stop();
            seen = now;
        }
    });

    Random random(20260512);
    int errors = 0;
    int clean = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string script = (i % 2) ? RandomScript(random) : MutatedScript(random);
        ++runNumber;
        const bool ok = engine->Execute(script.c_str());
        char message[64];
        int line = -1;
        char token[40];
        char lineText[100];
        engine->GetError(&line, message, sizeof message, token, sizeof token, lineText, sizeof lineText);
        if (ok) {
            EXPECT_STREQ("", message) << script;
            ++clean;
        } else {
            EXPECT_TRUE(IsKnownMessage(message)) << script << " -> " << message;
            EXPECT_GE(line, 1) << script;
            EXPECT_LT(std::strlen(token), sizeof token);
            ++errors;
        }
        VARIANT value;
        VariantInit(&value);
        engine->Evaluate(script.c_str(), &value);
        VariantClear(&value);
    }
    finished = true;
    ::SetEvent(wake);
    watchdog.join();
    ::CloseHandle(wake);
    ReleaseScriptEngine(&engine);
    EXPECT_GT(errors, 0);
    EXPECT_GT(clean, 0);
}

} // namespace
