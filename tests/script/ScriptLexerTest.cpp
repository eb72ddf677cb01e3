#include "formula/ScriptLexer.h"

#include "base/UnicodeString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using K = ScriptTokenKind;

// Renders every token of a text as "kind:text" (strings as kind:"contents"),
// ending at the end token or the first malformed one.
std::vector<std::string> Tokens(const std::wstring& text)
{
    ScriptLexer lexer;
    lexer.SetText(text.c_str());
    std::vector<std::string> out;
    for (int guard = 0; guard < 100; ++guard) {
        ScriptToken token;
        const K kind = lexer.Next(token);
        std::string item = std::to_string(static_cast<int>(kind)) + ":";
        if (kind == K::kMalformed)
            ; // whatever was read before the fault is of no interest
        else if (kind == K::kString)
            item += "\"" + WideToGbk(token.string) + "\"";
        else
            item += WideToGbk(token.text);
        out.push_back(item);
        if (kind == K::kEnd || kind == K::kMalformed)
            break;
    }
    return out;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : " ") + item;
    return out;
}

struct TokenCase
{
    const wchar_t* text;
    const char* tokens;
};

// Kinds: 0 end, -1 malformed, 2 name, 3 operator, 4 comma, 5 dot, 6 colon, 7 ";",
// 8 other, 9-12 ( ) { }, 13 integer, 14 real, 15 string, 16 :=, 17 not, 18 +, 19 -,
// 20 +=, 21 -=, 22 /, 23 *, 24 or, 25 and, 26 xor, 27 ++, 28 --, 29-41 keywords.
const TokenCase kTokenCases[] = {
    { L"a<=b", "2:a 3:<= 2:b 0:" },
    { L"a==b", "2:a 3:= 3:= 2:b 0:" },
    { L"x:=12", "2:x 16::= 13:12 0:" },
    { L"x :12", "2:x 6:: 13:12 0:" },
    { L"!a != b <> c >< d !< e >> f", "17:! 2:a 3:!= 2:b 3:<> 2:c 3:>< 2:d 3:!< 2:e 3:>> 2:f 0:" },
    { L"+ ++ += - -- -= / * ~", "18:+ 27:++ 20:+= 19:- 28:-- 21:-= 22:/ 23:* 26:~ 0:" },
    { L"& && | || , . ; ( ) { }", "25:& 25:&& 24:| 24:|| 4:, 5:. 7:; 9:( 10:) 11:{ 12:} 0:" },
    // The word operators need a blank after them; otherwise they are names.
    { L"NOT a not b", "17:NOT 2:a 17:not 2:b 0:" },
    { L"NOTE not(x) Not y", "2:NOTE 2:not 9:( 2:x 10:) 2:Not 2:y 0:" },
    { L"a AND b and c OR d or e", "2:a 25:AND 2:b 25:and 2:c 24:OR 2:d 24:or 2:e 0:" },
    { L"ANDY ORB AND\nx", "2:ANDY 2:ORB 2:AND 2:x 0:" },
    { L"1.5 7. 1.2.3 1e5 42", "14:1.5 14:7. 14:1.2.3 13:1 2:e5 13:42 0:" },
    { L"'a\"b' \"c'd\" 'e\\\\f' 'g\\n\\t\\'h'", "15:\"a\"b\" 15:\"c'd\" 15:\"e\\f\" 15:\"g\n\t'h\" 0:" },
    { L"a /* x\n y */ b // z\n c", "2:a 2:b 2:c 0:" },
    { L"a /* never closed", "2:a 0:" },
    { L"_x $y %z @", "2:_x 2:$y 2:%z 8:@ 0:" },
    { L"\u6536\u76d8\u4ef7:=3", "2:\xca\xd5\xc5\xcc\xbc\xdb 16::= 13:3 0:" },
    { L"if else function switch case default while for break foreach var return uses",
        "29:if 30:else 31:function 32:switch 33:case 34:default 35:while 36:for 37:break 38:foreach 39:var "
        "40:return 41:uses 0:" },
    { L"If WHILE iff", "2:If 2:WHILE 2:iff 0:" },
    { L"'open", "-1:" },
    { L"'line\nbreak'", "-1:" },
};

TEST(ScriptLexer, TokenTable)
{
    for (const TokenCase& c : kTokenCases)
        EXPECT_EQ(c.tokens, Join(Tokens(c.text))) << WideToGbk(c.text);
}

TEST(ScriptLexer, LengthLimits)
{
    const std::wstring name63(63, L'n');
    EXPECT_EQ("2:" + std::string(63, 'n') + " 0:", Join(Tokens(name63)));
    EXPECT_EQ("-1:", Join(Tokens(name63 + L"n")));

    const std::wstring number63(63, L'7');
    EXPECT_EQ("13:" + std::string(63, '7') + " 0:", Join(Tokens(number63)));
    EXPECT_EQ("-1:", Join(Tokens(number63 + L"7")));
    EXPECT_EQ("-1:", Join(Tokens(std::wstring(62, L'7') + L".5")));

    const std::wstring string299 = L"'" + std::wstring(299, L's') + L"'";
    EXPECT_EQ("15:\"" + std::string(299, 's') + "\" 0:", Join(Tokens(string299)));
    EXPECT_EQ("-1:", Join(Tokens(L"'" + std::wstring(300, L's') + L"'")));
}

TEST(ScriptLexer, EndIsSticky)
{
    ScriptLexer lexer;
    const wchar_t* text = L"a";
    lexer.SetText(text);
    ScriptToken token;
    EXPECT_EQ(K::kName, lexer.Next(token));
    EXPECT_EQ(K::kEnd, lexer.Next(token));
    EXPECT_EQ(K::kEnd, lexer.Next(token));
    EXPECT_EQ(text + 1, lexer.state.position);

    lexer.SetText(nullptr);
    EXPECT_EQ(K::kEnd, lexer.Next(token));
}

TEST(ScriptLexer, LinesCountedOnceAndInsideComments)
{
    ScriptLexer lexer;
    lexer.SetText(L"a\n\nb /* one\ntwo\n */ c // x\nd");
    ScriptToken token;
    lexer.Next(token);
    EXPECT_EQ(1, lexer.state.line);
    EXPECT_EQ(K::kName, lexer.Peek(token));
    EXPECT_STREQ(L"b", token.text);
    EXPECT_EQ(1, lexer.state.line); // a peek puts the line back too
    lexer.Next(token);
    EXPECT_EQ(3, lexer.state.line);
    lexer.Next(token);
    EXPECT_STREQ(L"c", token.text);
    EXPECT_EQ(5, lexer.state.line);
    lexer.Next(token);
    EXPECT_STREQ(L"d", token.text);
    EXPECT_EQ(6, lexer.state.line);
}

} // namespace
