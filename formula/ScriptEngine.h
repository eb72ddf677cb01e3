#pragma once
// The script interpreter: runs program text directly from its source over
// OLE Automation values, asking its registered callbacks for everything outside
// the language itself.
#include "base/HandleOwner.h"
#include "formula/ScriptInterfaces.h"
#include "formula/ScriptLexer.h"
#include "formula/ScriptValue.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct ScriptVariable
{
    wchar_t name[64];
    VARIANT value;
};

struct ScriptCallbackEntry
{
    wchar_t name[64]; // empty for a default callback
    IScriptCallback* callback;
};

struct ScriptFunction
{
    wchar_t name[64] = {};
    ScriptLexerState start; // just after the "(" of the definition
};

struct ScriptFrame
{
    ScriptLexerState position;
    int32_t variableCount = 0;
    VARIANT returnValue;
    ScriptToken token; // the whole current token, restored when the frame is popped
    bool callBoundary = false; // a function call or an Evaluate: a return stops here
};

class CScriptEngine : public IBaseScript, public IScriptCallback
{
public:
    // Raised to abandon a run; 0 is a clean stop.
    enum EXCEP {
        kStop = 0,
        kSyntaxError = 1,
        kTypeMismatch = 2,
        kNameExpected = 3,
        kCompilerLimit = 4,
        kTooManyParameters = 5,
        kStackOverflow = 6,
        kInvalidScope = 7,
        kUndefined = 8,
        kKeywordExpected = 9,
        kDuplicatedEntry = 10,
        kError = 11,
        kParensMixup = 12,
        kBadArguments = 13,
        kUnscopedBreak = 14,
        kUnscopedReturn = 15,
        kCancelled = 16,
    };

    static const int kMaxVariables = 100; // 99 live at most
    static const int kMaxCallbacks = 20;
    static const int kMaxFunctions = 50; // 49 at most
    static const int kMaxFrames = 20; // 19 nested at most
    static const int kNameSize = 64;
    static const int kMaxArguments = 12;
    // Nested expressions and statements beyond this raise "Stack overflow"
    // instead of exhausting the thread's stack.
    static const int kMaxNesting = 256;
    static const int kMessageSize = 64;
    static const int kTokenTextSize = 40;
    static const int kLineTextSize = 100;
    // Script files larger than this are refused.
    static const long kMaxScriptFileBytes = 16L * 1024 * 1024;

    // The fixed English message of a code; null for 0 and unknown codes.
    static const char* MessageOf(int code);

    CScriptEngine();
    ~CScriptEngine() override;

    // IBaseScript
    void Reset() override;
    void Stop() override;
    bool Execute(const char* text) override;
    bool ExecuteWide(const wchar_t* text) override;
    bool ExecuteFile(const char* path) override;
    bool Evaluate(const char* text, VARIANT* result) override;
    bool AddCallback(const char* name, IScriptCallback* callback) override;
    bool AddDefaultCallback(IScriptCallback* callback) override;
    void GetError(int* line, char* message, int messageSize, char* token, int tokenSize, char* lineText,
        int lineTextSize) override;

    // IScriptCallback: the built-in functions; variables and operators are declined.
    bool GetVariable(const wchar_t*, VARIANT*) override { return false; }
    bool SetVariable(const wchar_t*, VARIANT) override { return false; }
    bool CallFunction(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result) override;
    bool OnAdd(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnSubtract(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnMultiply(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnDivide(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnEqual(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnNotEqual(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnLess(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnLessEqual(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnGreater(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnGreaterEqual(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnAnd(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnOr(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnXor(VARIANT*, VARIANT*, VARIANT*) override { return false; }
    bool OnNegate(VARIANT*, VARIANT*) override { return false; }

private:
    CScriptEngine(const CScriptEngine&) = delete;
    CScriptEngine& operator=(const CScriptEngine&) = delete;

    enum class Operator {
        kAdd,
        kSubtract,
        kMultiply,
        kDivide,
        kEqual,
        kNotEqual,
        kLess,
        kLessEqual,
        kGreater,
        kGreaterEqual,
        kAnd,
        kOr,
        kXor,
    };
    // One level of binary operators: the tokens it takes and what each applies.
    struct BinaryLevel
    {
        ScriptTokenKind tokens[3];
        Operator operators[3];
        int count;
    };
    static const int kBinaryLevelCount = 4;
    static const BinaryLevel kBinaryLevels[kBinaryLevelCount];
    struct ArgumentArray;
    class NestingGuard;
    class RunningScope;

    // Runs and errors.
    // Resets, takes the text as the engine's own source and runs it.
    bool RunSource(std::wstring&& text);
    void RunProgram(const wchar_t* text);
    [[noreturn]] void Raise(EXCEP code);
    void Check(HRESULT hr);
    void CaptureErrorContext();
    void CommitError(int code);
    void CommitUnexpectedError();
    void CloseScriptFiles();

    // Lexer.
    void NextToken();
    void PeekToken(ScriptToken& token);
    // Passes tokens up to and including the first of kind at depth 0; parens is
    // the parenthesis depth the walk starts inside.
    void SkipTo(ScriptTokenKind kind, int parens = 0);
    ScriptTokenKind Kind() const { return m_token.kind; }

    // Tables and frames.
    int FindVariable(const wchar_t* name) const;
    int FindFunction(const wchar_t* name) const;
    IScriptCallback* FindNamedCallback(const wchar_t* name) const;
    int DeclareVariable(const wchar_t* name, const VARIANT* value);
    void TruncateVariables(int count);
    void PushFrame(bool callBoundary);
    void PopFrame(int depth);

    // Statements.
    void RunStatementList(ScriptTokenKind terminator);
    void RunStatement();
    void RunBlock();
    void RunNameStatement();
    void RunMemberStatement(const ScriptToken& name);
    void AssignName(const ScriptToken& name, ScriptTokenKind op, ScriptValue& value);
    void RunVar();
    void DefineFunction();
    void RunIf();
    void RunWhile();
    void RunFor();
    void RunSwitch();
    void RunReturn();
    void ParseParenthesised(ScriptValue& value);
    void SkipLoop();
    // Passes over one statement without running it, to the token after it.
    void SkipStatement();
    void ExpectToken(ScriptTokenKind kind, EXCEP code);
    void CheckCancelled();

    // Expressions.
    void ParseExpressionList(ScriptValue& value);
    void ParseLogic(ScriptValue& value);
    void ParseBinaryLevel(int level, ScriptValue& value);
    void ParseNot(ScriptValue& value);
    void ParseUnary(ScriptValue& value);
    void ParsePostfix(ScriptValue& value);
    void ParseName(ScriptValue& value);
    void ParseConversion(ScriptValue& value);
    int ParseArguments(ArgumentArray& arguments);
    void CallScriptFunction(int index, ArgumentArray& arguments, int count, ScriptValue& result);
    void ReadHostVariable(const wchar_t* name, ScriptValue& value);
    bool OfferHook(Operator op, VARIANT* left, VARIANT* right);
    static bool CompareOperatorOf(const wchar_t* text, Operator& op);
    void ApplyBinary(Operator op, ScriptValue& left, ScriptValue& right);
    // value = operation(&result): the result, with its reserved words zeroed, replaces value.
    template <class Operation> void ApplyOle(ScriptValue& value, Operation operation);
    bool VariantEquals(const VARIANT& a, const VARIANT& b);
    static bool IsTrue(const ScriptValue& value);

    // Built-ins.
    bool CallBuiltin(const wchar_t* name, VARIANT* arguments, int count, VARIANT* result);
    void BuiltinEval(VARIANT* arguments, int count, VARIANT* result);
    bool IsScriptFile(LONG handle) const;
    void ToBstrArgument(const VARIANT& argument, ScriptValue& text);

    // Source text.
    std::wstring m_source; // engine-owned copy of the text being run, kept until Reset
    ScriptLexer m_lexer;
    ScriptToken m_token;

    // Error record and what the last raise saw.
    char m_message[kMessageSize];
    int32_t m_errorLine;
    char m_errorToken[kTokenTextSize];
    char m_errorLineText[kLineTextSize];
    int32_t m_pendingLine;
    char m_pendingToken[kTokenTextSize];
    char m_pendingLineText[kLineTextSize];

    ScriptVariable m_variables[kMaxVariables];
    int m_variableCount;
    ScriptCallbackEntry m_callbacks[kMaxCallbacks];
    int m_callbackCount;
    ScriptFunction m_functions[kMaxFunctions];
    int m_functionCount;
    ScriptFrame m_frames[kMaxFrames];
    int m_depth;

    std::atomic<bool> m_cancel;
    CKernelHandle m_cancelEvent; // wakes a sleeping built-in when the run is stopped
    int m_nesting;
    bool m_running;
    bool m_comInitialized;
    std::vector<CKernelHandle> m_files; // handles opened by the script's fopen
};

// Counts nested statements and expressions; a hostile text cannot recurse the
// interpreter into the end of its stack.
class CScriptEngine::NestingGuard
{
public:
    explicit NestingGuard(CScriptEngine& engine)
        : m_engine(engine)
    {
        if (m_engine.m_nesting >= kMaxNesting)
            m_engine.Raise(kStackOverflow);
        ++m_engine.m_nesting;
    }
    ~NestingGuard() { --m_engine.m_nesting; }

private:
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

    CScriptEngine& m_engine;
};

// Marks the engine as running for the lifetime of one run, so that re-entrant
// calls from callbacks cannot pull the source from under it.
class CScriptEngine::RunningScope
{
public:
    explicit RunningScope(bool& running)
        : m_running(running)
        , m_was(running)
    {
        running = true;
    }
    ~RunningScope() { m_running = m_was; }

private:
    bool& m_running;
    bool m_was;
};
