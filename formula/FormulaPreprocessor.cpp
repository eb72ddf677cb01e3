#include "formula/FormulaPreprocessor.h"

#include "formula/FormulaKeywordList.h"

#include <cwchar>

namespace {

const size_t kNone = std::wstring::npos;

std::wstring TrimCharacters(const std::wstring& text, const wchar_t* characters)
{
    const size_t first = text.find_first_not_of(characters);
    if (first == kNone)
        return std::wstring();
    const size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

std::wstring TrimSpaces(const std::wstring& text)
{
    return TrimCharacters(text, L" ");
}

// Names are compared ("MACD" draws red and green sticks) and shown: the line
// breaks a definition is written with are no part of them.
std::wstring TrimWhiteSpace(const std::wstring& text)
{
    return TrimCharacters(text, L" \t\r\n\v\f");
}

// The text without its "{...}" comments; an unclosed comment runs to the end.
std::wstring StripComments(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    bool inComment = false;
    for (wchar_t c : text) {
        if (inComment) {
            if (c == L'}')
                inComment = false;
        } else if (c == L'{') {
            inComment = true;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool IsQuote(wchar_t c)
{
    return c == L'"' || c == L'\'';
}

// The index of the quote that closes the string opening at start. As for the
// engine, a backslash escapes the next character and a string that is not
// closed ends at the line break (or the end of the text).
size_t StringEnd(const std::wstring& text, size_t start)
{
    const wchar_t quote = text[start];
    for (size_t i = start + 1; i < text.size(); ++i) {
        if (text[i] == L'\n')
            return i;
        if (text[i] == L'\\')
            ++i;
        else if (text[i] == quote)
            return i;
    }
    return text.size();
}

// The first occurrence of what outside strings, or kNone: a ":" in a
// DRAWTEXT text such as "9:30" names nothing.
size_t FindOutsideStrings(const std::wstring& text, const wchar_t* what)
{
    const size_t length = std::wcslen(what);
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsQuote(text[i]))
            i = StringEnd(text, i);
        else if (text.compare(i, length, what) == 0)
            return i;
    }
    return kNone;
}

// The first "," at parenthesis depth 0 outside strings, from from on: where
// an expression ends and its attribute words begin. Commas inside a call's
// arguments belong to the expression.
size_t ExpressionEndComma(const std::wstring& text, size_t from)
{
    int depth = 0;
    for (size_t i = from; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (IsQuote(c))
            i = StringEnd(text, i);
        else if (c == L'(')
            ++depth;
        else if (c == L')')
            --depth;
        else if (c == L',' && depth == 0)
            return i;
    }
    return kNone;
}

// The first "(" outside strings in [from, to), or kNone.
size_t FirstOpenParenthesis(const std::wstring& text, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i) {
        if (IsQuote(text[i]))
            i = StringEnd(text, i);
        else if (text[i] == L'(')
            return i;
    }
    return kNone;
}

// The ")" matching the "(" at open, before to, and whether a "," separates
// arguments between them; kNone when it is not closed before to.
size_t MatchingParenthesis(const std::wstring& text, size_t open, size_t to, bool& hasComma)
{
    int depth = 0;
    hasComma = false;
    for (size_t i = open; i < to; ++i) {
        const wchar_t c = text[i];
        if (IsQuote(c)) {
            i = StringEnd(text, i);
        } else if (c == L'(') {
            ++depth;
        } else if (c == L')') {
            if (--depth == 0)
                return i;
        } else if (c == L',') {
            hasComma = true;
        }
    }
    return kNone;
}

} // namespace

FormulaPreprocessor::FormulaPreprocessor()
    : m_keywords(nullptr)
{
}

bool FormulaPreprocessor::SetKeywordList(const FormulaKeywordList* keywords)
{
    m_keywords = keywords;
    return true;
}

bool FormulaPreprocessor::IsDrawFunction(const std::wstring& name) const
{
    return m_keywords && m_keywords->Contains(name.c_str());
}

bool FormulaPreprocessor::CheckText(const std::wstring& text) const
{
    return !text.empty();
}

bool FormulaPreprocessor::Compile(const std::wstring& text, std::vector<FormulaStatement>& statements) const
{
    const std::wstring source = StripComments(text);
    size_t position = 0;
    std::wstring statement;
    while (NextStatement(source, statement, position)) {
        FormulaStatement record;
        RewriteStatement(statement, record);
        statements.push_back(std::move(record));
        statement.clear();
    }
    return true;
}

bool FormulaPreprocessor::NextStatement(
    const std::wstring& text, std::wstring& statement, size_t& position) const
{
    if (position >= text.size())
        return false;
    const size_t semicolon = text.find(L';', position);
    if (semicolon != kNone) {
        statement.append(text, position, semicolon + 1 - position);
        position = semicolon + 1;
        return true;
    }
    statement.append(text, position, kNone);
    position = text.size();
    if (statement.empty() || statement.back() != L';')
        statement.push_back(L';');
    return true;
}

void FormulaPreprocessor::RewriteStatement(const std::wstring& statement, FormulaStatement& record) const
{
    std::wstring s = TrimSpaces(statement);
    const size_t colon = FindOutsideStrings(s, L":");
    if (colon == kNone) {
        RewriteDrawBaseline(std::wstring(), s, record);
    } else if (colon + 1 < s.size() && s[colon + 1] == L'=') {
        RewriteExcute(TrimWhiteSpace(s.substr(0, colon)), s, record);
    } else {
        s.insert(colon + 1, 1, L'=');
        RewriteDrawBaseline(TrimWhiteSpace(s.substr(0, colon)), s, record);
    }
}

void FormulaPreprocessor::RewriteExcute(
    const std::wstring& name, const std::wstring& statement, FormulaStatement& record) const
{
    record.notDrawn = true;
    record.inlined = false;
    record.name = name;
    record.function.clear();
    Rewrite(L"Excute", statement, record);
}

void FormulaPreprocessor::RewriteDrawBaseline(
    const std::wstring& name, const std::wstring& statement, FormulaStatement& record) const
{
    record.notDrawn = false;
    record.inlined = false;
    record.name = name;
    record.function.clear();
    Rewrite(L"DRAWBASELINE", statement, record);
}

void FormulaPreprocessor::Rewrite(
    const wchar_t* wrapper, const std::wstring& s, FormulaStatement& record) const
{
    // The expression starts after "NAME:=".
    const size_t assign = FindOutsideStrings(s, L":=");
    const size_t start = assign != kNone && assign > 0 ? assign + 2 : 0;

    // It ends at the first comma outside every call, or at the ";".
    size_t end = ExpressionEndComma(s, start);
    if (end == kNone) {
        end = s.rfind(L';');
        if (end == kNone)
            end = s.size();
    }

    // A draw function called with arguments as the whole expression keeps its
    // own call. "DRAWLINE(X)" has no argument list to keep and is wrapped.
    bool direct = false;
    const size_t open = FirstOpenParenthesis(s, start, end);
    if (open != kNone && open > 0) {
        const std::wstring callee = TrimSpaces(s.substr(start, open - start));
        bool hasComma = false;
        const size_t close = MatchingParenthesis(s, open, end, hasComma);
        const size_t lastWritten = s.find_last_not_of(L' ', end - 1);
        if (hasComma && close != kNone && close == lastWritten && IsDrawFunction(callee)) {
            direct = true;
            record.function = callee;
            record.text = s.substr(0, close) + L");";
        }
    }
    if (!direct) {
        record.function = wrapper;
        record.text = s.substr(0, start) + wrapper + L"(" + s.substr(start, end - start) + L");";
    }

    // The attribute words after the expression, each trimmed of spaces.
    record.attributes.clear();
    if (end < s.size()) {
        std::wstring piece;
        for (size_t i = end + 1; i < s.size(); ++i) {
            const wchar_t c = s[i];
            if (c == L',' || c == L';') {
                if (!piece.empty())
                    record.attributes.push_back(TrimSpaces(piece));
                piece.clear();
            } else {
                piece.push_back(c);
            }
        }
        if (!piece.empty())
            record.attributes.push_back(TrimSpaces(piece));
    }
}
