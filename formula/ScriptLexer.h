#pragma once
// Tokens of the script language, read one at a time from UTF-16 text.
#include <cstdint>
#include <string>

enum class ScriptTokenKind : int32_t {
    kMalformed = -1, // an over-long or unterminated token; the engine reports it as a syntax error
    kEnd = 0,
    kName = 2,
    kOperator = 3,
    kComma = 4,
    kDot = 5,
    kColon = 6,
    kSemicolon = 7,
    kOther = 8,
    kOpenParen = 9,
    kCloseParen = 10,
    kOpenBrace = 11,
    kCloseBrace = 12,
    kInteger = 13,
    kReal = 14,
    kString = 15,
    kAssign = 16,
    kNot = 17,
    kAddSign = 18,
    kSubSign = 19,
    kAddAssign = 20,
    kSubAssign = 21,
    kSlash = 22,
    kStar = 23,
    kOr = 24,
    kAnd = 25,
    kXor = 26,
    kIncrement = 27,
    kDecrement = 28,
    kIf = 29,
    kElse = 30,
    kFunction = 31,
    kSwitch = 32,
    kCase = 33,
    kDefault = 34,
    kWhile = 35,
    kFor = 36,
    kBreak = 37,
    kForeach = 38,
    kVar = 39,
    kReturn = 40,
    kUses = 41,
};

struct ScriptToken
{
    static const int kTextSize = 64;

    ScriptTokenKind kind = ScriptTokenKind::kEnd;
    wchar_t text[kTextSize] = {}; // names, keywords, numbers and operators
    std::wstring string; // the contents of a string literal

    void Clear();
    void SetText(const wchar_t* begin, size_t length);
};

// Where the lexer stands: the position, the start of the buffer it reads (for
// error texts) and the line counter.
struct ScriptLexerState
{
    const wchar_t* position = nullptr;
    const wchar_t* bufferStart = nullptr;
    int32_t line = 1;
};

class ScriptLexer
{
public:
    static const int kMaxNameLength = 63;
    static const int kMaxNumberLength = 63;
    static const int kMaxStringLength = 299;

    void SetText(const wchar_t* text);
    // Reads the token at the position and advances past it.
    ScriptTokenKind Next(ScriptToken& token);
    // Reads the next token and leaves position and line where they were.
    ScriptTokenKind Peek(ScriptToken& token);

    ScriptLexerState state;

private:
    ScriptTokenKind ReadToken(ScriptToken& token);
    ScriptTokenKind ReadNumber(ScriptToken& token);
    ScriptTokenKind ReadString(ScriptToken& token);
    ScriptTokenKind ReadName(ScriptToken& token);
    bool ReadWordOperator(ScriptToken& token);
};
