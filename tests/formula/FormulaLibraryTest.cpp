// The indicator definition store: the document's shape, the lookups, the
// number texts, and documents that must leave the store empty (or as it was)
// without harm.
#include <gtest/gtest.h>

#include <string>

#include "base/MemoryStream.h"
#include "base/UnicodeString.h"
#include "data/FormuleData.h"
#include "formula/DecimalText.h"
#include "formula/FormulaLibrary.h"
#include "formula/IndicatorCategory.h"
#include "tests/support/TempDirectory.h"
#include "tools/marketdata/SimMarketSeries.h"

namespace {

// Eight definitions: a duplicate name, a definition without NO and with
// number texts that are not plain numbers, entities and CJK text.
const wchar_t kIndicators[]
    = L"<?xml version=\"1.0\"?>\n"
      L"<tech>\n"
      L" <id name=\"first\">\n"
      L"  <formula NO=\"100\" name=\"MACD\" showname=\"\" des=\"平滑异同移动平均线\" passwd=\"0\" type=\"3\" "
      L"draw=\"0\">\n"
      L"   <content "
      L"val=\"DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);DEA:EMA(DIF,MID);MACD:(DIF-DEA)*2,COLORSTICK;\"/>\n"
      L"   <content val=\"ignored\"/>\n"
      L"   <args><arg name=\"SHORT\" min=\"2\" max=\"200\" default=\"12\"/>"
      L"<arg name=\"LONG\" min=\"2\" max=\"200\" default=\"26\"/><arg name=\"MID\" min=\"2\" max=\"200\" "
      L"default=\"9\"/></args>\n"
      L"   <args><arg name=\"IGNORED\"/></args>\n"
      L"  </formula>\n"
      L"  <formula NO=\"101\" name=\"KDJ\" showname=\"KDJ\" des=\"随机指标\" type=\"2\">\n"
      L"   <content val=\"RSV:=(CLOSE-LLV(LOW,N))/(HHV(HIGH,N)-LLV(LOW,N))*100;K:SMA(RSV,M1,1);\"/>\n"
      L"   <MyAxis><arg val=\"20\"/><arg val=\"50\"/><arg val=\"80\"/><other val=\"90\"/></MyAxis>\n"
      L"   <MyAxis><arg val=\"1\"/></MyAxis>\n"
      L"  </formula>\n"
      L" </id>\n"
      L" <id>\n"
      L"  <formula NO=\"102\" name=\"RSI\" showname=\"RSI\" type=\"2\">\n"
      L"   <content val=\"LC:=REF(CLOSE,1);X:C&lt;O &amp;&amp; V&gt;0;DRAWTEXT(X,L,&quot;买,入&quot;);\"/>\n"
      L"  </formula>\n"
      L"  <formula NO=\"7\" name=\"MACD\" showname=\"MACD2\" type=\"3\">\n"
      L"   <content val=\"second\"/>\n"
      L"  </formula>\n"
      L"  <formula name=\"NONUM\" showname=\"无编号\" des=\"中文说明，含全角标点。\" passwd=\"abc\" "
      L"type=\"abc\" draw=\"1x\">\n"
      L"   <MyAxis><arg val=\"-2.5e1\"/><arg val=\"abc\"/><arg val=\"0x10\"/><arg val=\"inf\"/></MyAxis>\n"
      L"  </formula>\n"
      L"  <formula NO=\"07\" name=\"SEVEN\" showname=\"RSI\" type=\"16\"/>\n"
      L"  <formula NO=\"-3\" name=\"BOLL\" type=\"99\" draw=\"1\">\n"
      L"   <content val=\"BOLL:MA(CLOSE,M);\"/>\n"
      L"  </formula>\n"
      L" </id>\n"
      L" <formula NO=\"1\" name=\"OUTSIDE\"/>\n"
      L" <id><id><formula NO=\"2\" name=\"TOODEEP\"/></id></id>\n"
      L"</tech>\n";

// Two bytes of byte order mark, then the UTF-16LE text, as the formula data holds it.
std::string Utf16Body(const std::wstring& text)
{
    std::string body("\xFF\xFE", 2);
    body.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return body;
}

int LoadBody(FormulaLibrary& library, const std::string& body)
{
    return library.LoadFromBody(
        reinterpret_cast<const uint8_t*>(body.data()), static_cast<int32_t>(body.size()));
}

std::wstring Nested(int depth)
{
    std::wstring text = L"<tech><id><formula NO=\"5\" name=\"DEEP\">";
    for (int i = 0; i < depth; ++i)
        text += L"<a x=\"1>2\">";
    for (int i = 0; i < depth; ++i)
        text += L"</a>";
    return text + L"</formula></id></tech>";
}

// A formula element with extra attributes beyond its NO and name; the "=" in
// their quoted values are no attributes.
std::wstring ManyAttributes(int extra)
{
    std::wstring text = L"<tech><id><formula NO=\"5\" name=\"WIDE\"";
    for (int i = 0; i < extra; ++i)
        text += L" a" + std::to_wstring(i) + L"=\"x=y\"";
    return text + L"/></id></tech>";
}

void ExpectFixtureDefinitions(const FormulaLibrary& library)
{
    EXPECT_EQ(library.GetDefinitions().size(), 6u);
    EXPECT_EQ(library.GetLoadOrder().size(), 7u) << "duplicates keep their load-order entry";

    const FormulaDefinition* macd = library.FindByName(L"MACD");
    ASSERT_NE(macd, nullptr);
    EXPECT_EQ(macd->NO, 100) << "the first of two definitions with one name stays";
    EXPECT_EQ(macd->showname, L"MACD") << "an empty show name takes the name";
    EXPECT_EQ(
        macd->content, L"DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);DEA:EMA(DIF,MID);MACD:(DIF-DEA)*2,COLORSTICK;");
    ASSERT_EQ(macd->args.size(), 3u) << "only the first args element is read";
    EXPECT_EQ(macd->args[1].name, L"LONG");
    EXPECT_EQ(macd->args[1].min, L"2");
    EXPECT_EQ(macd->args[1].max, L"200");
    EXPECT_EQ(macd->args[1].defaultValue, L"26");
    EXPECT_TRUE(macd->MyAxis.empty());
    EXPECT_EQ(library.NumberByShowName(L"MACD"), 100);
    EXPECT_EQ(library.NumberByShowName(L"MACD2"), 7) << "the dropped duplicate is still in the load order";
    EXPECT_EQ(library.NumberByShowName(L"macd"), 0);

    const FormulaDefinition* kdj = library.FindByName(L"KDJ");
    ASSERT_NE(kdj, nullptr);
    EXPECT_EQ(kdj->MyAxis, (std::vector<float> { 20.0f, 50.0f, 80.0f }));
    EXPECT_TRUE(kdj->args.empty());
    EXPECT_EQ(kdj->passwd, 0);
    EXPECT_EQ(kdj->draw, 0);

    const FormulaDefinition* rsi = library.FindByName(L"RSI");
    ASSERT_NE(rsi, nullptr);
    EXPECT_EQ(rsi->content, L"LC:=REF(CLOSE,1);X:C<O && V>0;DRAWTEXT(X,L,\"买,入\");");
    EXPECT_EQ(library.NumberByShowName(L"RSI"), 102) << "the first in load order";

    const FormulaDefinition* none = library.FindByName(L"NONUM");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->NO, 0);
    EXPECT_EQ(none->type, 0) << "\"abc\"";
    EXPECT_EQ(none->passwd, 0);
    EXPECT_EQ(none->draw, 1) << "\"1x\"";
    EXPECT_TRUE(none->content.empty());
    EXPECT_EQ(none->MyAxis, (std::vector<float> { -25.0f, 0.0f, 0.0f, 0.0f }));
    EXPECT_EQ(none->des, L"中文说明，含全角标点。");
    EXPECT_EQ(WideToGbk(none->des), "中文说明，含全角标点。") << "the text reaches 8-bit controls whole";
    EXPECT_EQ(library.FindByNumber(0), none) << "a definition without NO is found by 0";
    EXPECT_EQ(library.NumberByShowName(L"无编号"), 0);

    EXPECT_EQ(library.FindByNumber(7)->name, L"SEVEN") << "\"07\"";
    EXPECT_EQ(library.NameByNumber(-3), L"BOLL");
    EXPECT_EQ(library.FindByName(L"BOLL")->showname, L"BOLL") << "absent show name";
    EXPECT_EQ(library.NameByNumber(12345), L"");
    EXPECT_EQ(library.FindByNumber(12345), nullptr);
    EXPECT_EQ(library.FindByName(L"OUTSIDE"), nullptr) << "formulas count only inside tech > id";
    EXPECT_EQ(library.FindByName(L"TOODEEP"), nullptr);
    EXPECT_EQ(library.FindByName(L"macd"), nullptr) << "names are exact";
}

} // namespace

TEST(FormulaLibrary, ReadsTheDocumentFromTheFormulaDataBody)
{
    FormulaLibrary library;
    ASSERT_EQ(LoadBody(library, Utf16Body(kIndicators)), 1);
    ExpectFixtureDefinitions(library);

    // The map walks in name order; FindByNumber takes the first in that order.
    std::wstring names;
    for (const auto& entry : library.GetDefinitions())
        names += entry.first + L" ";
    EXPECT_EQ(names, L"BOLL KDJ MACD NONUM RSI SEVEN ");
}

TEST(FormulaLibrary, ReadsUtf16AndUtf8Files)
{
    TempDirectory dir("formula");
    ASSERT_TRUE(dir.WriteFile("utf16.xml", Utf16Body(kIndicators)));
    ASSERT_TRUE(dir.WriteFile("utf8.xml", "\xEF\xBB\xBF" + WideToMultiByteString(kIndicators, CP_UTF8)));
    for (const char* name : { "utf16.xml", "utf8.xml" }) {
        SCOPED_TRACE(name);
        FormulaLibrary library;
        ASSERT_EQ(library.Load(GbkToWide(dir.File(name)).c_str()), 1);
        ExpectFixtureDefinitions(library);
    }
    FormulaLibrary library;
    EXPECT_EQ(library.Load(GbkToWide(dir.File("missing.xml")).c_str()), 0);
    EXPECT_TRUE(library.GetDefinitions().empty());
}

TEST(FormulaLibrary, BadBodiesLeaveTheStoreAsItWas)
{
    const std::string valid = Utf16Body(kIndicators);
    struct Case
    {
        const char* what;
        std::string body;
    };
    const Case cases[] = {
        { "empty", std::string() },
        { "one byte", std::string("\xFF", 1) },
        { "mark only", std::string("\xFF\xFE", 2) },
        { "mark and one byte", std::string("\xFF\xFE<", 3) },
        { "not XML", Utf16Body(L"formula.dat: not a document") },
        { "binary", std::string("\xFF\xFE\x01\xD8\x00\xDC\x00\x00\x3C\x00", 10) },
        { "unterminated", Utf16Body(L"<tech><id><formula NO=\"5\" name=\"X\">") },
        { "unclosed value", Utf16Body(L"<tech><id><formula NO=\"5\" name=\"X/></id></tech>") },
        { "mismatched end", Utf16Body(L"<tech><id><formula NO=\"5\" name=\"X\"/></di></tech>") },
        { "no tech", Utf16Body(L"<tek><id><formula NO=\"5\" name=\"X\"/></id></tek>") },
        { "no definitions", Utf16Body(L"<tech><id/></tech>") },
        { "nested past the cap", Utf16Body(Nested(FormulaLibrary::kMaxNesting)) },
        { "nested 200,000 deep", Utf16Body(Nested(200000)) },
        { "attributes past the cap", Utf16Body(ManyAttributes(FormulaLibrary::kMaxAttributes - 1)) },
        { "100,000 attributes on one element", Utf16Body(ManyAttributes(100000)) },
        { "over the size cap",
            std::string(FormulaLibrary::kMaxDocumentBytes + 2, ' ').replace(0, 2, "\xFF\xFE") },
        { "open tags 200,000 deep", Utf16Body([] {
             std::wstring text = L"<tech>";
             for (int i = 0; i < 200000; ++i)
                 text += L"<a>";
             return text;
         }()) },
        { "the document after a NUL", Utf16Body(std::wstring(1, L'\0') + kIndicators) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FormulaLibrary empty;
        EXPECT_EQ(LoadBody(empty, c.body), 0);
        EXPECT_TRUE(empty.GetDefinitions().empty());
        EXPECT_TRUE(empty.GetLoadOrder().empty());

        FormulaLibrary held;
        ASSERT_EQ(LoadBody(held, valid), 1);
        EXPECT_EQ(LoadBody(held, c.body), 0);
        ExpectFixtureDefinitions(held);
    }
    FormulaLibrary library;
    EXPECT_EQ(library.LoadFromBody(nullptr, 100), 0);
    EXPECT_EQ(library.LoadFromBody(reinterpret_cast<const uint8_t*>(valid.data()), -1), 0);
}

TEST(FormulaLibrary, TheBodyIsReadByItsLengthNotUpToATerminator)
{
    // An odd length drops the last byte; the text ends where the body ends
    // even though no terminator follows it.
    std::string body = Utf16Body(kIndicators) + "\x41";
    FormulaLibrary library;
    ASSERT_EQ(LoadBody(library, body), 1);
    ExpectFixtureDefinitions(library);

    // A length that stops inside the document cuts it.
    body = Utf16Body(kIndicators);
    EXPECT_EQ(library.LoadFromBody(
                  reinterpret_cast<const uint8_t*>(body.data()), static_cast<int32_t>(body.size() / 2)),
        0);
    ExpectFixtureDefinitions(library);
}

TEST(FormulaLibrary, NestingUpToTheCapIsRead)
{
    FormulaLibrary library;
    // tech, id and formula are three levels: the rest of the cap is left.
    ASSERT_EQ(LoadBody(library, Utf16Body(Nested(FormulaLibrary::kMaxNesting - 3))), 1);
    ASSERT_NE(library.FindByName(L"DEEP"), nullptr);
    EXPECT_EQ(LoadBody(library, Utf16Body(Nested(FormulaLibrary::kMaxNesting - 2))), 0);
    // Quoted ">" and "/>" and comments do not fool the count.
    std::wstring text = L"<tech><id><formula NO=\"6\" name=\"SHALLOW\">";
    for (int i = 0; i < 200; ++i)
        text += L"<a v=\"x/>\"/><!-- <b> --><![CDATA[<c>]]>";
    text += L"</formula></id></tech>";
    ASSERT_EQ(LoadBody(library, Utf16Body(text)), 1);
    EXPECT_NE(library.FindByName(L"SHALLOW"), nullptr);
}

TEST(FormulaLibrary, AttributesUpToTheCapAreRead)
{
    FormulaLibrary library;
    ASSERT_EQ(LoadBody(library, Utf16Body(ManyAttributes(FormulaLibrary::kMaxAttributes - 2))), 1);
    ASSERT_NE(library.FindByName(L"WIDE"), nullptr);
    EXPECT_EQ(library.FindByName(L"WIDE")->NO, 5);
}

TEST(FormulaLibrary, ReleaseForgetsTheInstance)
{
    FormulaLibrary* first = FormulaLibrary::Instance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(FormulaLibrary::Instance(), first);
    ASSERT_EQ(LoadBody(*first, Utf16Body(kIndicators)), 1);
    FormulaLibrary::Release();
    FormulaLibrary* second = FormulaLibrary::Instance();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->GetDefinitions().empty());
    FormulaLibrary::Release();
    FormulaLibrary::Release();
}

TEST(FormulaLibrary, TheSimulatorsDocumentHoldsARealIndicatorSet)
{
    // Through the formula data as the reply would arrive: two header words,
    // then the enciphered body.
    SimMarketSeries market;
    std::string reply(8, '\0');
    reply += market.FormulaBody();
    CMemoryStream stream;
    ASSERT_EQ(
        stream.Write(reply.data(), static_cast<int32_t>(reply.size())), static_cast<int32_t>(reply.size()));
    CFormuleData data;
    ASSERT_EQ(data.SetFromReply(&stream), 1);
    int32_t length = 0;
    const uint8_t* body = data.GetBuffer(&length);
    FormulaLibrary library;
    ASSERT_EQ(library.LoadFromBody(body, length), 1);

    const FormulaLibrary::DefinitionMap& all = library.GetDefinitions();
    EXPECT_EQ(all.size(), library.GetLoadOrder().size()) << "no duplicate names";
    for (const wchar_t* name : { L"MA", L"VOL", L"MACD", L"KDJ", L"RSI", L"BOLL" })
        EXPECT_NE(library.FindByName(name), nullptr) << WideToGbk(name);
    EXPECT_EQ(library.FindByName(L"MA")->draw, 1);
    EXPECT_NE(library.FindByName(L"VOL")->content.find(L",VOLSTICK;"), std::wstring::npos);
    EXPECT_EQ(library.FindByName(L"KDJ")->MyAxis, (std::vector<float> { 20.0f, 50.0f, 80.0f }));
    EXPECT_EQ(library.FindByName(L"KDJ")->args.size(), 3u);
    for (int32_t number = 100; number <= 104; ++number)
        EXPECT_NE(library.FindByNumber(number), nullptr) << number;

    // Every listed category but two holds an indicator: no reply gives the
    // advances and declines per bar a market-breadth indicator needs.
    int used[kIndicatorCategoryCount] = {};
    for (const auto& entry : all) {
        const FormulaDefinition& definition = entry.second;
        EXPECT_FALSE(definition.content.empty()) << WideToGbk(definition.name);
        EXPECT_FALSE(definition.des.empty()) << WideToGbk(definition.name);
        EXPECT_NE(definition.NO, 0) << WideToGbk(definition.name);
        EXPECT_EQ(library.FindByNumber(definition.NO), &definition) << "numbers are unique";
        ASSERT_TRUE(IsListedIndicatorCategory(definition.type)) << WideToGbk(definition.name);
        ++used[definition.type];
    }
    int empty = 0;
    for (int id = kFirstListedIndicatorCategory; id < kIndicatorCategoryCount; ++id)
        empty += used[id] == 0;
    EXPECT_EQ(empty, 2);
}

TEST(DecimalText, LeadingNumbersWhateverTheLocale)
{
    struct IntCase
    {
        const wchar_t* text;
        int32_t value;
    };
    const IntCase ints[] = {
        { L"07", 7 },
        { L"abc", 0 },
        { L"", 0 },
        { L"12abc", 12 },
        { L" -12", -12 },
        { L"+5", 5 },
        { L"- 5", 0 },
        { L"1.9", 1 },
        { L"0x10", 0 },
        { L"2147483647", 2147483647 },
        { L"99999999999999999999", 2147483647 },
        { L"-2147483648", -2147483647 - 1 },
        { L"-99999999999999999999", -2147483647 - 1 },
        { L"１２", 0 },
    };
    for (const IntCase& c : ints)
        EXPECT_EQ(ParseLeadingInt(c.text), c.value) << WideToGbk(c.text);
    EXPECT_EQ(ParseLeadingInt(nullptr), 0);

    struct DecimalCase
    {
        const wchar_t* text;
        double value;
    };
    const DecimalCase decimals[] = {
        { L"2.5", 2.5 },
        { L"2,5", 2.0 },
        { L".5", 0.5 },
        { L"5.", 5.0 },
        { L".", 0.0 },
        { L"-0.015", -0.015 },
        { L"20abc", 20.0 },
        { L"1e2", 100.0 },
        { L"1E-2x", 0.01 },
        { L"1e", 1.0 },
        { L"1e+", 1.0 },
        { L"abc", 0.0 },
        { L"inf", 0.0 },
        { L"nan", 0.0 },
        { L"-infinity", 0.0 },
        { L"0x1p3", 0.0 },
        { L"1e999", 0.0 },
        { L"-1e999", 0.0 },
        { L"1e-999", 0.0 },
        { L"0.000000000000000000000000001", 1e-27 },
        { L"123456789012345678901234567890", 1.2345678901234568e29 },
        { L"3.14159265358979323846", 3.141592653589793 },
    };
    for (const DecimalCase& c : decimals)
        EXPECT_DOUBLE_EQ(ParseLeadingDecimal(c.text), c.value) << WideToGbk(c.text);
    EXPECT_EQ(ParseLeadingDecimal(nullptr), 0.0);
}

TEST(IndicatorCategory, TableAndBoundsCheckedNames)
{
    const IndicatorCategory* table = IndicatorCategories();
    for (int id = 0; id < kIndicatorCategoryCount; ++id)
        EXPECT_EQ(table[id].id, id);
    EXPECT_EQ(IndicatorCategoryName(0), L"无类型");
    EXPECT_EQ(IndicatorCategoryName(2), L"超买超卖型");
    EXPECT_EQ(IndicatorCategoryName(16), L"五彩K线指标");
    // The 8-bit text is code page 936 (narrow literals here are compiled to it).
    EXPECT_EQ(IndicatorCategoryNameGbk(16), "五彩K线指标");
    EXPECT_EQ(IndicatorCategoryNameGbk(13), "鬼系");
    for (int32_t id : { -1, 17, 99, -2147483647 - 1, 2147483647 }) {
        EXPECT_EQ(IndicatorCategoryName(id), L"") << id;
        EXPECT_EQ(IndicatorCategoryNameGbk(id), "") << id;
        EXPECT_FALSE(IsListedIndicatorCategory(id)) << id;
    }
    EXPECT_FALSE(IsListedIndicatorCategory(0)) << "no category has no node in the trees";
    EXPECT_TRUE(IsListedIndicatorCategory(1));
    EXPECT_TRUE(IsListedIndicatorCategory(16));
}
