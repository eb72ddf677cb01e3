// Formula text into engine statements: the rewriting table, where an
// expression ends, comments, and the quirks that stay as they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/UnicodeString.h"
#include "data/Rc4.h"
#include "formula/FormulaKeywordList.h"
#include "formula/FormulaLibrary.h"
#include "formula/FormulaPreprocessor.h"
#include "tools/marketdata/SimMarketSeries.h"

namespace {

class FormulaPreprocessorTest : public ::testing::Test
{
protected:
    FormulaPreprocessorTest() { preprocessor.SetKeywordList(&keywords); }

    std::vector<FormulaStatement> Compile(const std::wstring& text)
    {
        std::vector<FormulaStatement> statements;
        EXPECT_TRUE(preprocessor.Compile(text, statements));
        return statements;
    }

    FormulaKeywordList keywords;
    FormulaPreprocessor preprocessor;
};

struct RewriteCase
{
    const wchar_t* statement;
    const wchar_t* text;
    const wchar_t* function;
    bool notDrawn;
    const wchar_t* name;
    std::vector<std::wstring> attributes;
};

} // namespace

TEST_F(FormulaPreprocessorTest, RewritesEachKindOfStatement)
{
    const RewriteCase cases[] = {
        // The kinds of statement.
        { L"DIF:=EMA(CLOSE,12)-EMA(CLOSE,26);", L"DIF:=Excute(EMA(CLOSE,12)-EMA(CLOSE,26));", L"Excute", true,
            L"DIF", {} },
        { L"MA5:MA(CLOSE,5),COLORRED;", L"MA5:=DRAWBASELINE(MA(CLOSE,5));", L"DRAWBASELINE", false, L"MA5",
            { L"COLORRED" } },
        { L"VOL,VOLSTICK;", L"DRAWBASELINE(VOL);", L"DRAWBASELINE", false, L"", { L"VOLSTICK" } },
        { L"STICKLINE(CLOSE>OPEN,CLOSE,OPEN,8,0),COLORRED;", L"STICKLINE(CLOSE>OPEN,CLOSE,OPEN,8,0);",
            L"STICKLINE", false, L"", { L"COLORRED" } },
        { L"X:=ABS(CLOSE);", L"X:=Excute(ABS(CLOSE));", L"Excute", true, L"X", {} },
        // A comma inside a call never ends the expression, wherever the call stands.
        { L"(H+L)/2+MA(C,5);", L"DRAWBASELINE((H+L)/2+MA(C,5));", L"DRAWBASELINE", false, L"", {} },
        { L"M:(H+L)/2+MA(C,5),COLORRED;", L"M:=DRAWBASELINE((H+L)/2+MA(C,5));", L"DRAWBASELINE", false, L"M",
            { L"COLORRED" } },
        { L"R:MAX(C-REF(C,1),0)/SMA(ABS(C-REF(C,1)),6,1)*100,COLORWHITE,LINETHICK2;",
            L"R:=DRAWBASELINE(MAX(C-REF(C,1),0)/SMA(ABS(C-REF(C,1)),6,1)*100);", L"DRAWBASELINE", false, L"R",
            { L"COLORWHITE", L"LINETHICK2" } },
        { L"X:=IF(C>O,1,0)+IF(C<O,-1,0);", L"X:=Excute(IF(C>O,1,0)+IF(C<O,-1,0));", L"Excute", true, L"X",
            {} },
        // Nor one inside a string.
        { L"DRAWTEXT(C>O,L,\"买,入\"),COLORRED;", L"DRAWTEXT(C>O,L,\"买,入\");", L"DRAWTEXT", false, L"",
            { L"COLORRED" } },
        { L"T:\"a,(b\",COLORRED;", L"T:=DRAWBASELINE(\"a,(b\");", L"DRAWBASELINE", false, L"T",
            { L"COLORRED" } },
        // Nor does a ":" in a string name anything.
        { L"DRAWTEXT(C>O,L,\"9:30\"),COLORRED;", L"DRAWTEXT(C>O,L,\"9:30\");", L"DRAWTEXT", false, L"",
            { L"COLORRED" } },
        { L"T:\"a:=b\";", L"T:=DRAWBASELINE(\"a:=b\");", L"DRAWBASELINE", false, L"T", {} },
        { L"T:=IF(C>O,'x:y',\"\\\":\");", L"T:=Excute(IF(C>O,'x:y',\"\\\":\"));", L"Excute", true, L"T", {} },
        // Spaces before the attribute comma: the call's own ")" is replaced.
        { L"STICKLINE(C>O,C,O,8,0) ,COLORRED;", L"STICKLINE(C>O,C,O,8,0);", L"STICKLINE", false, L"",
            { L"COLORRED" } },
        // A draw call that is only part of the expression is wrapped.
        { L"STICKLINE(C>O,C,O,8,0)+1,COLORRED;", L"DRAWBASELINE(STICKLINE(C>O,C,O,8,0)+1);", L"DRAWBASELINE",
            false, L"", { L"COLORRED" } },
        // Kept as they are.
        { L"DRAWLINE(X);", L"DRAWBASELINE(DRAWLINE(X));", L"DRAWBASELINE", false, L"", {} },
        { L"stickline(C>O,C,O,8,0);", L"DRAWBASELINE(stickline(C>O,C,O,8,0));", L"DRAWBASELINE", false, L"",
            {} },
        { L"X:=STICKLINE(C>O,C,O,8,0);", L"X:=STICKLINE(C>O,C,O,8,0);", L"STICKLINE", true, L"X", {} },
        { L"A:B:=X;", L"A:=DRAWBASELINE(B:=X);", L"DRAWBASELINE", false, L"A", {} },
        { L"NAME :C;", L"NAME :=DRAWBASELINE(C);", L"DRAWBASELINE", false, L"NAME", {} },
        { L"  M : C , COLORRED , , LINETHICK2,,;", L"M :=DRAWBASELINE( C );", L"DRAWBASELINE", false, L"M",
            { L"COLORRED", L"", L"LINETHICK2" } },
        { L"X:;", L"X:=DRAWBASELINE();", L"DRAWBASELINE", false, L"X", {} },
    };
    for (const RewriteCase& c : cases) {
        SCOPED_TRACE(WideToGbk(c.statement));
        const std::vector<FormulaStatement> statements = Compile(c.statement);
        ASSERT_EQ(statements.size(), 1u);
        const FormulaStatement& s = statements[0];
        EXPECT_EQ(WideToGbk(s.text), WideToGbk(c.text));
        EXPECT_EQ(s.function, c.function);
        EXPECT_EQ(s.notDrawn, c.notDrawn);
        EXPECT_FALSE(s.inlined);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.attributes, c.attributes);
        EXPECT_TRUE(s.values.empty());
    }
}

TEST_F(FormulaPreprocessorTest, SplitsStatementsAndDropsComments)
{
    struct SplitCase
    {
        const wchar_t* text;
        std::vector<std::wstring> texts;
    };
    const SplitCase cases[] = {
        { L"C", { L"DRAWBASELINE(C);" } },
        { L"A:=C;B:A*2", { L"A:=Excute(C);", L"B:=DRAWBASELINE(A*2);" } },
        { L"{only a comment}", {} },
        { L"", {} },
        { L"A:=C;{x:=1;y:=2;}B:A;", { L"A:=Excute(C);", L"B:=DRAWBASELINE(A);" } },
        { L"A:{inner{still}C;", { L"A:=DRAWBASELINE(C);" } },
        { L"A:{x}}C;", { L"A:=DRAWBASELINE(}C);" } },
        { L"A:C;{never closed;B:O;", { L"A:=DRAWBASELINE(C);" } },
        // What follows the last ";" is a statement of its own.
        { L"A:C;\r\n", { L"A:=DRAWBASELINE(C);", L"DRAWBASELINE(\r\n);" } },
        // Braces cannot form a loop or function body: they are comments.
        { L"while(1<2){x:=1};", { L"DRAWBASELINE(while(1<2));" } },
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(WideToGbk(c.text));
        std::vector<std::wstring> texts;
        for (const FormulaStatement& s : Compile(c.text))
            texts.push_back(s.text);
        std::string got, expected;
        for (const std::wstring& t : texts)
            got += WideToGbk(t) + "|";
        for (const std::wstring& t : c.texts)
            expected += WideToGbk(t) + "|";
        EXPECT_EQ(got, expected);
    }
    EXPECT_FALSE(preprocessor.CheckText(L""));
    EXPECT_TRUE(preprocessor.CheckText(L"{only a comment}"));
}

TEST_F(FormulaPreprocessorTest, CompileAppendsAndNextStatementWalks)
{
    std::vector<FormulaStatement> statements(1);
    preprocessor.Compile(L"A:C;B:O;", statements);
    ASSERT_EQ(statements.size(), 3u);
    EXPECT_EQ(statements[2].name, L"B");

    const std::wstring text = L"A:C;B:O";
    std::wstring statement;
    size_t position = 0;
    ASSERT_TRUE(preprocessor.NextStatement(text, statement, position));
    EXPECT_EQ(statement, L"A:C;");
    EXPECT_EQ(position, 4u);
    ASSERT_TRUE(preprocessor.NextStatement(text, statement, position));
    EXPECT_EQ(statement, L"A:C;B:O;") << "appends to what the statement held";
    EXPECT_FALSE(preprocessor.NextStatement(text, statement, position));
}

TEST_F(FormulaPreprocessorTest, WithoutAKeywordListNoCallIsKept)
{
    FormulaPreprocessor bare;
    std::vector<FormulaStatement> statements;
    bare.Compile(L"STICKLINE(C>O,C,O,8,0),COLORRED;", statements);
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].text, L"DRAWBASELINE(STICKLINE(C>O,C,O,8,0));");
}

TEST_F(FormulaPreprocessorTest, TheSimulatorsIndicatorsCompileStatementByStatement)
{
    const std::string body = SimMarketSeries().FormulaBody();
    std::string plain = body;
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
    FormulaLibrary library;
    ASSERT_EQ(library.LoadFromBody(
                  reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int32_t>(plain.size())),
        1);
    std::vector<std::wstring> directCalls;
    for (const auto& entry : library.GetDefinitions()) {
        const FormulaDefinition& definition = entry.second;
        SCOPED_TRACE(WideToGbk(definition.name));
        const std::vector<FormulaStatement> statements = Compile(definition.content);
        ASSERT_EQ(statements.size(),
            static_cast<size_t>(std::count(definition.content.begin(), definition.content.end(), L';')));
        for (const FormulaStatement& s : statements) {
            EXPECT_EQ(s.text.substr(s.text.size() - 2), L");");
            if (s.function != L"Excute" && s.function != L"DRAWBASELINE")
                directCalls.push_back(s.function);
            for (const std::wstring& attribute : s.attributes)
                EXPECT_FALSE(attribute.empty()) << WideToGbk(s.text);
        }
    }
    std::sort(directCalls.begin(), directCalls.end());
    directCalls.erase(std::unique(directCalls.begin(), directCalls.end()), directCalls.end());
    EXPECT_EQ(
        directCalls, (std::vector<std::wstring> { L"DRAWBAND", L"DRAWICON", L"DRAWTEXT", L"STICKLINE" }));
}
