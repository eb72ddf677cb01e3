#include "formula/ScriptEngine.h"

#include "base/CPFile.h"
#include "base/MbcsText.h"
#include "base/UnicodeString.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

namespace {

using K = ScriptTokenKind;

const char* const kMessages[] = {
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

// Copies GBK text into a buffer of size bytes, cut at a character boundary and
// always terminated.
void CopyGbkBounded(char* out, int size, const char* text, size_t length)
{
    if (!out || size <= 0)
        return;
    const size_t used = MbcsPrefixLength(text, length, static_cast<size_t>(size) - 1);
    std::memcpy(out, text, used);
    out[used] = 0;
}

// Converts up to length UTF-16 units to GBK into a buffer of size bytes.
void WideToGbkBounded(char* out, int size, const wchar_t* text, size_t length)
{
    if (length > static_cast<size_t>(size))
        length = static_cast<size_t>(size); // every character takes at least one byte
    const std::string gbk = WideToGbk(std::wstring(text, length));
    CopyGbkBounded(out, size, gbk.data(), gbk.size());
}

void CopyName(wchar_t (&out)[CScriptEngine::kNameSize], const wchar_t* name)
{
    size_t length = std::wcslen(name);
    if (length >= static_cast<size_t>(CScriptEngine::kNameSize))
        length = CScriptEngine::kNameSize - 1;
    std::memcpy(out, name, length * sizeof(wchar_t));
    out[length] = 0;
}

} // namespace

HRESULT CreateScriptEngine(IBaseScript** engine)
{
    if (!engine)
        return E_POINTER;
    *engine = new (std::nothrow) CScriptEngine();
    return *engine ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReleaseScriptEngine(IBaseScript** engine)
{
    if (engine && *engine) {
        delete *engine;
        *engine = nullptr;
    }
    return 0;
}

const char* CScriptEngine::MessageOf(int code)
{
    if (code <= 0 || code > kCancelled)
        return nullptr;
    return kMessages[code];
}

CScriptEngine::CScriptEngine()
    : m_errorLine(0)
    , m_pendingLine(0)
    , m_variableCount(0)
    , m_callbackCount(0)
    , m_functionCount(0)
    , m_depth(0)
    , m_cancel(false)
    , m_cancelEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    , m_nesting(0)
    , m_running(false)
    , m_comInitialized(false)
{
    m_comInitialized = SUCCEEDED(::CoInitialize(nullptr));
    std::memset(m_variables, 0, sizeof m_variables);
    std::memset(m_callbacks, 0, sizeof m_callbacks);
    for (ScriptFunction& function : m_functions)
        function = ScriptFunction();
    for (ScriptFrame& frame : m_frames)
        std::memset(&frame.returnValue, 0, sizeof frame.returnValue);
    m_message[0] = m_errorToken[0] = m_errorLineText[0] = 0;
    m_pendingToken[0] = m_pendingLineText[0] = 0;
    // A new engine is not cancelled: an Evaluate before any run works too.
    Reset();
}

CScriptEngine::~CScriptEngine()
{
    m_running = false;
    Reset();
    if (m_comInitialized)
        ::CoUninitialize();
}

void CScriptEngine::Reset()
{
    if (m_running)
        return; // a callback cannot reset the run that called it
    TruncateVariables(0);
    for (ScriptFrame& frame : m_frames) {
        ClearVariantWhole(frame.returnValue);
        frame.token.Clear();
    }
    m_depth = 0;
    m_functionCount = 0;
    // Stop sets the event before the flag, so a clear flag means nothing to
    // reset: a run that was not stopped starts the next without a call into
    // the system, which under some hosts costs more than a short statement.
    if (m_cancel.exchange(false) && m_cancelEvent)
        ::ResetEvent(m_cancelEvent);
    m_message[0] = 0;
    m_errorToken[0] = 0;
    m_errorLineText[0] = 0;
    m_errorLine = 0;
    m_source.clear();
    m_lexer.SetText(nullptr);
    m_token.Clear();
    CloseScriptFiles();
}

void CScriptEngine::Stop()
{
    // Event first, then flag: a Reset that finds the flag clear may leave
    // the event alone, and one that finds it set resets both.
    if (m_cancelEvent)
        ::SetEvent(m_cancelEvent);
    m_cancel = true;
}

bool CScriptEngine::Execute(const char* text)
{
    if (!text || m_running)
        return false;
    std::wstring wide;
    try {
        wide = GbkToWide(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return RunSource(std::move(wide));
}

bool CScriptEngine::ExecuteWide(const wchar_t* text)
{
    if (!text || m_running)
        return false;
    // The engine keeps its own copy: functions defined by the text point into it
    // and stay callable (by Evaluate) after the caller's text is gone. A text
    // that fits the buffer of the last copy is copied into it, which takes no
    // memory and so cannot fail: a formula runs its statements one by one.
    const size_t length = std::wcslen(text);
    const bool inSource = text >= m_source.data() && text <= m_source.data() + m_source.size();
    if (length <= m_source.capacity() && !inSource) {
        Reset();
        m_source.assign(text, length);
        RunProgram(m_source.c_str());
        return m_message[0] == 0;
    }
    std::wstring copy;
    try {
        copy.assign(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return RunSource(std::move(copy));
}

bool CScriptEngine::RunSource(std::wstring&& text)
{
    Reset();
    m_source = std::move(text);
    RunProgram(m_source.c_str());
    return m_message[0] == 0;
}

bool CScriptEngine::ExecuteFile(const char* path)
{
    if (!path || m_running)
        return false;
    std::string bytes;
    try {
        if (!ReadWholeFile(path, bytes, kMaxScriptFileBytes))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return Execute(bytes.c_str());
}

bool CScriptEngine::Evaluate(const char* text, VARIANT* result)
{
    if (!text || m_running)
        return false;
    m_message[0] = 0;
    std::wstring wide;
    try {
        wide = GbkToWide(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
    RunningScope running(m_running);
    const int depth = m_depth;
    const int functions = m_functionCount;
    const ScriptLexerState savedLexer = m_lexer.state;
    try {
        PushFrame(true);
        m_lexer.SetText(wide.c_str());
        m_nesting = 0;
        RunStatementList(K::kEnd);
    } catch (EXCEP code) {
        // A return of the text itself ends it with its value.
        if (code != kUnscopedReturn)
            CommitError(code);
    } catch (...) {
        CommitUnexpectedError();
    }
    if (result && m_depth > depth) {
        if (FAILED(::VariantCopy(result, &m_frames[depth].returnValue)) && m_message[0] == 0)
            CommitError(kTypeMismatch);
    }
    PopFrame(depth);
    m_functionCount = functions;
    m_lexer.state = savedLexer;
    m_token.Clear();
    return m_message[0] == 0;
}

bool CScriptEngine::AddCallback(const char* name, IScriptCallback* callback)
{
    if (!callback || m_callbackCount >= kMaxCallbacks)
        return false;
    std::wstring wide;
    try {
        if (name && *name)
            wide = GbkToWide(name);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ScriptCallbackEntry& entry = m_callbacks[m_callbackCount];
    std::memset(&entry, 0, sizeof entry);
    CopyName(entry.name, wide.c_str());
    entry.callback = callback;
    ++m_callbackCount;
    return true;
}

bool CScriptEngine::AddDefaultCallback(IScriptCallback* callback)
{
    return AddCallback("", callback);
}

void CScriptEngine::GetError(
    int* line, char* message, int messageSize, char* token, int tokenSize, char* lineText, int lineTextSize)
{
    if (line)
        *line = m_errorLine;
    CopyGbkBounded(message, messageSize, m_message, std::strlen(m_message));
    CopyGbkBounded(token, tokenSize, m_errorToken, std::strlen(m_errorToken));
    CopyGbkBounded(lineText, lineTextSize, m_errorLineText, std::strlen(m_errorLineText));
}

void CScriptEngine::RunProgram(const wchar_t* text)
{
    RunningScope running(m_running);
    const int depth = m_depth;
    m_lexer.SetText(text);
    m_nesting = 0;
    try {
        RunStatementList(K::kEnd);
    } catch (EXCEP code) {
        CommitError(code);
    } catch (...) {
        CommitUnexpectedError();
    }
    // Frames left open by an abandoned run are closed now, so that a later
    // Evaluate starts from a consistent state.
    PopFrame(depth);
}

void CScriptEngine::Raise(EXCEP code)
{
    if (code != kStop)
        CaptureErrorContext();
    throw code;
}

void CScriptEngine::Check(HRESULT hr)
{
    if (FAILED(hr))
        Raise(kTypeMismatch);
}

// Taken when the error is raised, while the text being read (perhaps the string
// of an eval) is still alive.
void CScriptEngine::CaptureErrorContext()
{
    m_pendingLine = m_lexer.state.line;
    m_pendingToken[0] = 0;
    m_pendingLineText[0] = 0;
    const wchar_t* start = m_lexer.state.bufferStart;
    const wchar_t* position = m_lexer.state.position;
    if (!start || !position || position < start)
        return;
    size_t back = std::wcslen(m_token.text);
    if (back > static_cast<size_t>(position - start))
        back = static_cast<size_t>(position - start);
    const wchar_t* from = position - back;
    WideToGbkBounded(m_pendingToken, kTokenTextSize, from, std::wcslen(from));

    const wchar_t* lineStart = from;
    while (lineStart > start && lineStart[-1] != L'\n')
        --lineStart;
    const wchar_t* lineEnd = lineStart;
    while (*lineEnd && *lineEnd != L'\n' && *lineEnd != L'\r')
        ++lineEnd;
    WideToGbkBounded(m_pendingLineText, kLineTextSize, lineStart, static_cast<size_t>(lineEnd - lineStart));
}

void CScriptEngine::CommitError(int code)
{
    const char* message = MessageOf(code);
    if (!message)
        return; // a clean stop
    std::strcpy(m_message, message);
    m_errorLine = m_pendingLine;
    std::strcpy(m_errorToken, m_pendingToken);
    std::strcpy(m_errorLineText, m_pendingLineText);
}

// Anything other than a raised code (memory exhausted): the text being read may
// be gone, so only the message and the line are kept.
void CScriptEngine::CommitUnexpectedError()
{
    std::strcpy(m_message, kMessages[kError]);
    m_errorLine = m_lexer.state.line;
    m_errorToken[0] = 0;
    m_errorLineText[0] = 0;
}

void CScriptEngine::NextToken()
{
    if (m_lexer.Next(m_token) == K::kMalformed)
        Raise(kSyntaxError);
}

void CScriptEngine::PeekToken(ScriptToken& token)
{
    if (m_lexer.Peek(token) == K::kMalformed)
        Raise(kSyntaxError);
}

void CScriptEngine::SkipTo(ScriptTokenKind kind, int parens)
{
    int braces = 0;
    while (m_token.kind != K::kEnd) {
        switch (m_token.kind) {
        case K::kOpenParen:
            ++parens;
            break;
        case K::kCloseParen:
            --parens;
            break;
        case K::kOpenBrace:
            ++braces;
            break;
        case K::kCloseBrace:
            --braces;
            break;
        default:
            break;
        }
        if (m_token.kind == kind && parens <= 0 && braces <= 0) {
            NextToken();
            return;
        }
        NextToken();
    }
}

int CScriptEngine::FindVariable(const wchar_t* name) const
{
    for (int i = m_variableCount - 1; i >= 0; --i) {
        if (std::wcscmp(m_variables[i].name, name) == 0)
            return i;
    }
    return -1;
}

int CScriptEngine::FindFunction(const wchar_t* name) const
{
    for (int i = 0; i < m_functionCount; ++i) {
        if (std::wcscmp(m_functions[i].name, name) == 0)
            return i;
    }
    return -1;
}

IScriptCallback* CScriptEngine::FindNamedCallback(const wchar_t* name) const
{
    if (!*name)
        return nullptr;
    for (int i = 0; i < m_callbackCount; ++i) {
        if (std::wcscmp(m_callbacks[i].name, name) == 0)
            return m_callbacks[i].callback;
    }
    return nullptr;
}

int CScriptEngine::DeclareVariable(const wchar_t* name, const VARIANT* value)
{
    if (m_variableCount + 1 >= kMaxVariables)
        Raise(kCompilerLimit);
    ScriptVariable& slot = m_variables[m_variableCount];
    ClearVariantWhole(slot.value);
    if (value)
        Check(::VariantCopy(&slot.value, const_cast<VARIANT*>(value)));
    CopyName(slot.name, name);
    return m_variableCount++;
}

void CScriptEngine::TruncateVariables(int count)
{
    while (m_variableCount > count) {
        --m_variableCount;
        ClearVariantWhole(m_variables[m_variableCount].value);
        m_variables[m_variableCount].name[0] = 0;
    }
}

void CScriptEngine::PushFrame(bool callBoundary)
{
    if (m_depth + 1 >= kMaxFrames)
        Raise(kStackOverflow);
    ScriptFrame& frame = m_frames[m_depth];
    frame.position = m_lexer.state;
    frame.variableCount = m_variableCount;
    ClearVariantWhole(frame.returnValue);
    frame.token = m_token;
    frame.callBoundary = callBoundary;
    ++m_depth;
}

void CScriptEngine::PopFrame(int depth)
{
    if (depth < 0 || depth >= m_depth)
        return;
    ScriptFrame& target = m_frames[depth];
    TruncateVariables(target.variableCount);
    for (int i = m_depth - 1; i >= depth; --i)
        ClearVariantWhole(m_frames[i].returnValue);
    m_lexer.state = target.position;
    m_token = std::move(target.token); // the frame is done with it; a move cannot fail
    target.token.Clear();
    m_depth = depth;
}

void CScriptEngine::CloseScriptFiles()
{
    m_files.clear();
}
