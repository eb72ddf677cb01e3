#include "formula/ScriptLexer.h"

#include <cstring>
#include <cwchar>

namespace {

using K = ScriptTokenKind;

struct Keyword
{
    const wchar_t* word;
    ScriptTokenKind kind;
};

// Keywords are case-sensitive.
const Keyword kKeywords[] = {
    { L"break", K::kBreak },
    { L"case", K::kCase },
    { L"default", K::kDefault },
    { L"else", K::kElse },
    { L"for", K::kFor },
    { L"foreach", K::kForeach },
    { L"function", K::kFunction },
    { L"if", K::kIf },
    { L"return", K::kReturn },
    { L"switch", K::kSwitch },
    { L"uses", K::kUses },
    { L"var", K::kVar },
    { L"while", K::kWhile },
};

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Letters, digits, "_", "$", "%" and every character above U+0100 (so Chinese
// names work).
bool IsNameChar(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || IsDigit(c) || c == L'_' || c == L'$'
        || c == L'%' || c > 0x0100;
}

// Characters that are a token of their own.
const struct
{
    wchar_t character;
    ScriptTokenKind kind;
} kSingleCharacterTokens[] = {
    { L'~', K::kXor },
    { L'(', K::kOpenParen },
    { L')', K::kCloseParen },
    { L'{', K::kOpenBrace },
    { L'}', K::kCloseBrace },
    { L',', K::kComma },
    { L'.', K::kDot },
    { L';', K::kSemicolon },
    { L'*', K::kStar },
    { L'/', K::kSlash },
};

ScriptTokenKind Single(ScriptToken& token, ScriptTokenKind kind, const wchar_t* text, size_t length)
{
    token.kind = kind;
    token.SetText(text, length);
    return kind;
}

} // namespace

void ScriptToken::Clear()
{
    kind = K::kEnd;
    text[0] = 0;
    string.clear();
}

void ScriptToken::SetText(const wchar_t* begin, size_t length)
{
    if (length >= static_cast<size_t>(kTextSize))
        length = kTextSize - 1;
    std::memcpy(text, begin, length * sizeof(wchar_t));
    text[length] = 0;
}

void ScriptLexer::SetText(const wchar_t* text)
{
    state.position = text;
    state.bufferStart = text;
    state.line = 1;
}

ScriptTokenKind ScriptLexer::Peek(ScriptToken& token)
{
    const ScriptLexerState saved = state;
    const ScriptTokenKind kind = Next(token);
    state = saved;
    return kind;
}

ScriptTokenKind ScriptLexer::Next(ScriptToken& token)
{
    token.Clear();
    const wchar_t*& p = state.position;
    if (!p)
        return token.kind = K::kEnd;

    for (;;) {
        const wchar_t c = *p;
        if (c == L'\t' || c == L'\r' || c == L' ') {
            ++p;
        } else if (c == L'\n') {
            ++state.line;
            ++p;
        } else if (c == L'/' && p[1] == L'/') {
            p += 2;
            while (*p && *p != L'\n')
                ++p;
        } else if (c == L'/' && p[1] == L'*') {
            // Line feeds inside the comment are counted so that error lines stay exact.
            p += 2;
            while (*p && !(p[0] == L'*' && p[1] == L'/')) {
                if (*p == L'\n')
                    ++state.line;
                ++p;
            }
            if (*p)
                p += 2;
        } else {
            break;
        }
    }

    const wchar_t c = *p;
    if (c == 0)
        return token.kind = K::kEnd; // stays on the terminator
    const wchar_t* const start = p;
    const ScriptTokenKind kind = ReadToken(token);
    if (kind == K::kMalformed) {
        // Error texts then show the bad token itself: the position goes back to
        // its start, and the partial text must not move the error text back again.
        p = start;
        token.text[0] = 0;
    }
    return kind;
}

ScriptTokenKind ScriptLexer::ReadToken(ScriptToken& token)
{
    const wchar_t*& p = state.position;
    const wchar_t c = *p;

    switch (c) {
    case L'!':
    case L'<':
    case L'>': {
        size_t length = 1;
        if (p[1] == L'<' || p[1] == L'=' || p[1] == L'>')
            length = 2;
        const ScriptTokenKind kind = (c == L'!' && length == 1) ? K::kNot : K::kOperator;
        Single(token, kind, p, length);
        p += length;
        return kind;
    }
    case L'=':
        Single(token, K::kOperator, p, 1);
        ++p;
        return K::kOperator;
    case L':':
        if (p[1] == L'=') {
            Single(token, K::kAssign, p, 2);
            p += 2;
            return K::kAssign;
        }
        Single(token, K::kColon, p, 1);
        ++p;
        return K::kColon;
    case L'+':
    case L'-': {
        const bool plus = c == L'+';
        if (p[1] == c) {
            Single(token, plus ? K::kIncrement : K::kDecrement, p, 2);
            p += 2;
        } else if (p[1] == L'=') {
            Single(token, plus ? K::kAddAssign : K::kSubAssign, p, 2);
            p += 2;
        } else {
            Single(token, plus ? K::kAddSign : K::kSubSign, p, 1);
            ++p;
        }
        return token.kind;
    }
    case L'&':
    case L'|': {
        const size_t length = p[1] == c ? 2 : 1;
        Single(token, c == L'&' ? K::kAnd : K::kOr, p, length);
        p += length;
        return token.kind;
    }
    case L'"':
    case L'\'':
        return ReadString(token);
    default:
        break;
    }
    for (const auto& single : kSingleCharacterTokens) {
        if (single.character == c)
            return Single(token, single.kind, p++, 1);
    }
    if (IsDigit(c))
        return ReadNumber(token);
    if (ReadWordOperator(token))
        return token.kind;
    return ReadName(token);
}

// "AND", "and", "OR", "or", "NOT" and "not" are operators only when a space
// follows; "NOT(" stays a name, which the formula host's NOT function relies on.
bool ScriptLexer::ReadWordOperator(ScriptToken& token)
{
    static const struct
    {
        const wchar_t* word;
        size_t length;
        ScriptTokenKind kind;
    } kWords[] = {
        { L"AND", 3, K::kAnd },
        { L"and", 3, K::kAnd },
        { L"OR", 2, K::kOr },
        { L"or", 2, K::kOr },
        { L"NOT", 3, K::kNot },
        { L"not", 3, K::kNot },
    };
    const wchar_t* p = state.position;
    for (const auto& w : kWords) {
        if (std::wcsncmp(p, w.word, w.length) == 0 && p[w.length] == L' ') {
            Single(token, w.kind, p, w.length);
            state.position += w.length;
            return true;
        }
    }
    return false;
}

ScriptTokenKind ScriptLexer::ReadNumber(ScriptToken& token)
{
    const wchar_t*& p = state.position;
    ScriptTokenKind kind = K::kInteger;
    int length = 0;
    while (IsDigit(*p)) {
        if (length >= kMaxNumberLength)
            return token.kind = K::kMalformed;
        token.text[length++] = *p++;
        if (*p == L'.') {
            if (length >= kMaxNumberLength)
                return token.kind = K::kMalformed;
            token.text[length++] = *p++;
            kind = K::kReal;
        }
    }
    token.text[length] = 0;
    return token.kind = kind;
}

ScriptTokenKind ScriptLexer::ReadString(ScriptToken& token)
{
    const wchar_t*& p = state.position;
    const wchar_t quote = *p++;
    std::wstring value;
    for (;;) {
        wchar_t c = *p;
        if (c == 0 || c == L'\n') {
            token.string.clear();
            return token.kind = K::kMalformed;
        }
        ++p;
        if (c == quote)
            break;
        if (c == L'\\') {
            c = *p;
            if (c == 0 || c == L'\n') {
                token.string.clear();
                return token.kind = K::kMalformed;
            }
            ++p;
            if (c == L'n')
                c = L'\n';
            else if (c == L'r')
                c = L'\r';
            else if (c == L't')
                c = L'\t';
        }
        if (value.size() >= static_cast<size_t>(kMaxStringLength))
            return token.kind = K::kMalformed;
        value.push_back(c);
    }
    token.string.swap(value);
    token.text[0] = 0;
    return token.kind = K::kString;
}

ScriptTokenKind ScriptLexer::ReadName(ScriptToken& token)
{
    const wchar_t*& p = state.position;
    int length = 0;
    while (IsNameChar(*p)) {
        if (length >= kMaxNameLength)
            return token.kind = K::kMalformed;
        token.text[length++] = *p++;
    }
    if (length == 0) {
        Single(token, K::kOther, p, 1);
        ++p;
        return K::kOther;
    }
    token.text[length] = 0;
    for (const Keyword& k : kKeywords) {
        if (std::wcscmp(k.word, token.text) == 0)
            return token.kind = k.kind;
    }
    return token.kind = K::kName;
}
