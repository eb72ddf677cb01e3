// Statements of the script language, run while they are read.
#include "formula/ScriptEngine.h"

#include <cwchar>

namespace {

using K = ScriptTokenKind;

// Runs the body of a loop or switch; a break inside ends it.
template <class Body> void CatchBreak(Body body)
{
    try {
        body();
    } catch (CScriptEngine::EXCEP code) {
        if (code != CScriptEngine::kUnscopedBreak)
            throw;
    }
}

} // namespace

void CScriptEngine::ExpectToken(ScriptTokenKind kind, EXCEP code)
{
    if (Kind() != kind)
        Raise(code);
}

void CScriptEngine::CheckCancelled()
{
    if (m_cancel)
        Raise(kCancelled);
}

void CScriptEngine::RunStatementList(ScriptTokenKind terminator)
{
    NextToken();
    while (Kind() != K::kEnd && Kind() != terminator) {
        RunStatement();
        CheckCancelled();
    }
}

void CScriptEngine::RunStatement()
{
    NestingGuard guard(*this);
    switch (Kind()) {
    case K::kName:
        RunNameStatement();
        break;
    case K::kSemicolon:
        NextToken();
        break;
    case K::kOpenBrace:
        RunBlock();
        break;
    case K::kIf:
        RunIf();
        break;
    case K::kFunction:
        DefineFunction();
        break;
    case K::kSwitch:
        RunSwitch();
        break;
    case K::kWhile:
        RunWhile();
        break;
    case K::kFor:
        RunFor();
        break;
    case K::kBreak:
        Raise(kUnscopedBreak);
    case K::kVar:
        RunVar();
        break;
    case K::kReturn:
        RunReturn();
        break;
    default:
        Raise(kKeywordExpected);
    }
}

// A body: ";", a braced block, or one statement.
void CScriptEngine::RunBlock()
{
    if (Kind() == K::kOpenBrace) {
        const int depth = m_depth;
        PushFrame(false);
        RunStatementList(K::kCloseBrace);
        PopFrame(depth); // back just after the "{"
        SkipTo(K::kCloseBrace);
    } else if (Kind() != K::kSemicolon) {
        // The statement leaves its ";" current (or, for a nested if or loop, the
        // token after it, which must not be swallowed).
        RunStatement();
    }
    if (Kind() == K::kSemicolon)
        NextToken();
}

void CScriptEngine::RunNameStatement()
{
    const ScriptToken name = m_token;
    ScriptToken next;
    PeekToken(next);
    switch (next.kind) {
    case K::kAssign:
    case K::kAddAssign:
    case K::kSubAssign: {
        NextToken();
        NextToken();
        ScriptValue value;
        ParseExpressionList(value);
        AssignName(name, next.kind, value);
        return;
    }
    case K::kIncrement:
    case K::kDecrement: {
        ScriptValue value;
        ParseExpressionList(value); // the name's value, one up or down
        AssignName(name, K::kAssign, value);
        return;
    }
    case K::kDot:
        RunMemberStatement(name);
        return;
    default: {
        // A call, or a bare name evaluated for nothing (an unknown one is undefined).
        ScriptValue value;
        ParsePostfix(value);
        return;
    }
    }
}

void CScriptEngine::AssignName(const ScriptToken& name, ScriptTokenKind op, ScriptValue& value)
{
    const int index = FindVariable(name.text);
    if (index >= 0) {
        VARIANT& target = m_variables[index].value;
        if (op == K::kAssign) {
            Check(::VariantCopy(&target, value.get()));
            return;
        }
        ScriptValue left;
        Check(::VariantCopy(left.get(), &target));
        ApplyBinary(op == K::kAddAssign ? Operator::kAdd : Operator::kSubtract, left, value);
        const int again = FindVariable(name.text); // a callback may have reset the table
        if (again == index)
            Check(::VariantCopy(&m_variables[index].value, left.get()));
        return;
    }
    if (op != K::kAssign) {
        // The host receives the combined value, not just the right-hand side.
        ScriptValue left;
        ReadHostVariable(name.text, left);
        ApplyBinary(op == K::kAddAssign ? Operator::kAdd : Operator::kSubtract, left, value);
        value.Take(left);
    }
    for (int i = 0; i < m_callbackCount; ++i) {
        if (m_callbacks[i].name[0] == 0 && m_callbacks[i].callback->SetVariable(name.text, *value))
            return;
    }
    if (FindNamedCallback(name.text))
        Raise(kNameExpected); // a named callback takes only member assignments
    Raise(kUndefined);
}

// name.member := value; any other use of name.member is an expression.
// The default callbacks are not offered the bare name first: one that takes
// any name (the formula host does) would store an empty value under it, the
// member would never reach its callback, and the "." left behind would end
// the run as a syntax fault.
void CScriptEngine::RunMemberStatement(const ScriptToken& name)
{
    if (FindVariable(name.text) >= 0)
        Raise(kSyntaxError);
    IScriptCallback* callback = FindNamedCallback(name.text);
    if (!callback)
        Raise(kUndefined);
    const ScriptLexerState saved = m_lexer.state;
    const ScriptToken savedToken = m_token;
    NextToken(); // "."
    NextToken();
    ExpectToken(K::kName, kNameExpected);
    const ScriptToken member = m_token;
    ScriptToken after;
    PeekToken(after);
    if (after.kind == K::kAssign) {
        NextToken();
        NextToken();
        ScriptValue value;
        ParseExpressionList(value);
        if (!callback->SetVariable(member.text, *value))
            Raise(kUndefined);
        return;
    }
    m_lexer.state = saved;
    m_token = savedToken;
    ScriptValue value;
    ParsePostfix(value);
}

void CScriptEngine::RunVar()
{
    for (;;) {
        NextToken();
        ExpectToken(K::kName, kNameExpected);
        const int scopeStart = m_depth > 0 ? m_frames[m_depth - 1].variableCount : 0;
        for (int i = scopeStart; i < m_variableCount; ++i) {
            if (std::wcscmp(m_variables[i].name, m_token.text) == 0)
                Raise(kDuplicatedEntry);
        }
        const int index = DeclareVariable(m_token.text, nullptr);
        NextToken();
        if (Kind() == K::kAssign) {
            NextToken();
            ScriptValue value;
            ParseLogic(value);
            if (index < m_variableCount)
                Check(::VariantCopy(&m_variables[index].value, value.get()));
        }
        if (Kind() == K::kComma)
            continue;
        if (Kind() == K::kSemicolon)
            return;
        Raise(kSyntaxError);
    }
}

void CScriptEngine::DefineFunction()
{
    if (m_depth > 0)
        Raise(kInvalidScope);
    NextToken();
    ExpectToken(K::kName, kNameExpected);
    if (FindFunction(m_token.text) >= 0)
        Raise(kDuplicatedEntry);
    if (m_functionCount + 1 >= kMaxFunctions)
        Raise(kCompilerLimit);
    ScriptFunction& function = m_functions[m_functionCount];
    std::wcscpy(function.name, m_token.text);
    NextToken();
    ExpectToken(K::kOpenParen, kParensMixup);
    function.start = m_lexer.state;
    SkipTo(K::kCloseParen);
    ExpectToken(K::kOpenBrace, kParensMixup);
    SkipTo(K::kCloseBrace);
    ++m_functionCount;
}

void CScriptEngine::RunIf()
{
    NestingGuard guard(*this);
    ScriptValue condition;
    ParseParenthesised(condition);
    NextToken();
    if (IsTrue(condition)) {
        RunBlock();
        while (Kind() == K::kElse) {
            NextToken();
            SkipStatement(); // an "else if" passes over its own chain
        }
    } else {
        SkipStatement();
        while (Kind() == K::kElse) {
            NextToken();
            if (Kind() == K::kIf)
                RunIf();
            else
                RunBlock();
        }
    }
}

// A body that ends in braces (a loop, a switch, an if with a braced body) is
// passed over to its closing brace, not to the next ";", which belongs to the
// statement after it.
void CScriptEngine::SkipStatement()
{
    NestingGuard guard(*this);
    switch (Kind()) {
    case K::kOpenBrace:
        SkipTo(K::kCloseBrace);
        break;
    case K::kIf:
        NextToken();
        SkipTo(K::kCloseParen);
        SkipStatement();
        if (Kind() == K::kElse) {
            NextToken();
            SkipStatement();
        }
        break;
    case K::kFunction:
        NextToken();
        if (Kind() == K::kName)
            NextToken();
        SkipTo(K::kCloseParen);
        if (Kind() == K::kOpenBrace)
            SkipTo(K::kCloseBrace);
        break;
    case K::kWhile:
    case K::kFor:
    case K::kSwitch:
        NextToken();
        SkipTo(K::kCloseParen);
        if (Kind() == K::kOpenBrace)
            SkipTo(K::kCloseBrace);
        break;
    default:
        SkipTo(K::kSemicolon);
        break;
    }
}

// The "(" expression list ")" after if or switch; the ")" is left current.
void CScriptEngine::ParseParenthesised(ScriptValue& value)
{
    NextToken();
    ExpectToken(K::kOpenParen, kParensMixup);
    NextToken();
    ParseExpressionList(value);
    ExpectToken(K::kCloseParen, kParensMixup);
}

// Passes over a loop from its "(" to the token after its body. Loop bodies are
// braced; anything else would make the skip run past the loop.
void CScriptEngine::SkipLoop()
{
    SkipTo(K::kCloseParen);
    ExpectToken(K::kOpenBrace, kParensMixup);
    SkipTo(K::kCloseBrace);
}

void CScriptEngine::RunWhile()
{
    NextToken();
    ExpectToken(K::kOpenParen, kParensMixup);
    const int depth = m_depth;
    PushFrame(false);
    const ScriptLexerState condition = m_lexer.state;
    CatchBreak([&] {
        for (;;) {
            NextToken();
            ScriptValue test;
            ParseExpressionList(test);
            if (!IsTrue(test))
                break;
            ExpectToken(K::kCloseParen, kParensMixup);
            NextToken();
            ExpectToken(K::kOpenBrace, kParensMixup);
            RunBlock();
            CheckCancelled(); // an empty body runs no statement that would check
            m_lexer.state = condition;
        }
    });
    PopFrame(depth);
    SkipLoop();
}

void CScriptEngine::RunFor()
{
    NextToken();
    ExpectToken(K::kOpenParen, kParensMixup);
    const int depth = m_depth;
    PushFrame(false); // loop variables live in it
    CatchBreak([&] {
        NextToken();
        if (Kind() == K::kVar)
            RunVar();
        else if (Kind() == K::kName)
            RunNameStatement();
        else
            ExpectToken(K::kSemicolon, kKeywordExpected);
        ExpectToken(K::kSemicolon, kSyntaxError);
        const ScriptLexerState condition = m_lexer.state;
        for (;;) {
            NextToken();
            ScriptValue test;
            ParseExpressionList(test);
            if (!IsTrue(test))
                break;
            ExpectToken(K::kSemicolon, kSyntaxError);
            const ScriptLexerState step = m_lexer.state;
            SkipTo(K::kCloseParen, 1); // over the step, which may hold calls of its own
            ExpectToken(K::kOpenBrace, kParensMixup);
            RunBlock();
            CheckCancelled();
            m_lexer.state = step;
            NextToken();
            if (Kind() != K::kCloseParen) {
                ExpectToken(K::kName, kKeywordExpected);
                RunNameStatement();
                ExpectToken(K::kCloseParen, kParensMixup);
            }
            m_lexer.state = condition;
        }
    });
    PopFrame(depth);
    SkipLoop();
}

void CScriptEngine::RunSwitch()
{
    ScriptValue selector;
    ParseParenthesised(selector);
    const int depth = m_depth;
    PushFrame(false);
    CatchBreak([&] {
        NextToken();
        ExpectToken(K::kOpenBrace, kParensMixup);
        NextToken();
        for (;;) {
            if (Kind() == K::kCase) {
                NextToken();
                ScriptValue label;
                ParseExpressionList(label);
                ExpectToken(K::kColon, kSyntaxError);
                if (VariantEquals(*selector, *label)) {
                    // A following case label is no statement: every matching
                    // case but the last ends with break.
                    RunStatementList(K::kCloseBrace);
                    break;
                }
                NextToken();
                while (Kind() != K::kCase && Kind() != K::kDefault && Kind() != K::kCloseBrace
                    && Kind() != K::kEnd)
                    SkipStatement();
            } else if (Kind() == K::kDefault) {
                NextToken();
                ExpectToken(K::kColon, kSyntaxError);
                NextToken();
                RunBlock();
                break;
            } else {
                break;
            }
        }
    });
    PopFrame(depth); // back after the ")"
    SkipTo(K::kCloseBrace);
}

void CScriptEngine::RunReturn()
{
    if (m_depth == 0)
        Raise(kInvalidScope);
    NextToken();
    ScriptValue value;
    ParseExpressionList(value);
    ExpectToken(K::kSemicolon, kSyntaxError);
    // The value travels out through the blocks and loops of the function (or
    // the Evaluate text) to its call frame, and no further.
    for (int i = m_depth - 1; i >= 0; --i) {
        Check(::VariantCopy(&m_frames[i].returnValue, value.get()));
        if (m_frames[i].callBoundary)
            break;
    }
    Raise(kUnscopedReturn);
}
