// The formula calculator: definitions taken or refused as a whole, the
// variables bound before a run, the dirty flags, the measured range and the
// draw step's order, over a few day bars of one stock.
#include "formula/FormulaCalculator.h"
#include "formula/FormulaLibrary.h"
#include "formula/FormulaDefinition.h"
#include "formula/FormulaManager.h"
#include "formula/IndicatorPainter.h"
#include "formula/PriceSeriesSource.h"
#include "formula/ScriptAcceptor.h"

#include "base/UnicodeString.h"
#include "data/Rc4.h"
#include "data/Stock.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "tools/marketdata/SimMarketSeries.h"

#include <gtest/gtest.h>

#include <cmath>

#include <memory>
#include <string>
#include <vector>

namespace {

const float I = kInvalidValue;

class FixedMarket : public PriceSeriesMarket
{
public:
    bool CountUpDown(uint32_t, int* rising, int* falling, int* unchanged) override
    {
        *rising = 7;
        *falling = 3;
        *unchanged = 2;
        return true;
    }
};

FormulaDefinition Definition(int number, const std::wstring& content,
    const std::vector<std::pair<std::wstring, std::wstring>>& args = {},
    const std::wstring& showname = L"IND")
{
    FormulaDefinition definition;
    definition.NO = number;
    definition.name = showname;
    definition.showname = showname;
    definition.type = 2;
    definition.content = content;
    for (const auto& arg : args)
        definition.args.push_back(FormulaArg { arg.first, L"0", L"100", arg.second });
    return definition;
}

class FormulaCalculatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 10; ++i) {
            const float close = 10.0f + i;
            stock.GetDayData().AppendBar(
                MakeBar(T(2026, 11, 2 + i), close - 0.5f, close + 1, close - 1, close, 100.0f * (i + 1), 8));
        }
        FormulaManager* manager = FormulaManager::Instance();
        ASSERT_NE(nullptr, manager);
        calculator = manager->CreateCalculator(&painter, &market);
        ASSERT_NE(nullptr, calculator);
    }

    // The first recorded value of the statement named name after a calculation.
    const VARIANT* Recorded(const std::wstring& name) const
    {
        for (const FormulaStatement& statement : calculator->GetStatements())
            if (statement.name == name && !statement.values.empty())
                return &statement.values[0].get();
        return nullptr;
    }
    std::vector<float> RecordedSeries(const std::wstring& name) const
    {
        const VARIANT* value = Recorded(name);
        SeriesView view;
        if (!value || !calculator->GetHost()->ReadSeries(*value, view))
            return {};
        return std::vector<float>(view.data, view.data + view.count);
    }
    double RecordedNumber(const std::wstring& name) const
    {
        const VARIANT* value = Recorded(name);
        double number = -12345;
        if (value)
            ReadScalar(*value, number);
        return number;
    }

    CStock stock { 0x600000 };
    FixedMarket market;
    IndicatorPainter painter;
    std::unique_ptr<FormulaCalculator> calculator;
};

}

TEST_F(FormulaCalculatorTest, TakesADefinitionOnceWithItsTitle)
{
    EXPECT_EQ(0, calculator->SetFormula(nullptr));
    EXPECT_FALSE(calculator->HasText());
    const FormulaDefinition macd = Definition(
        100, L"DIF:C-O;DEA:DIF*2;", { { L"SHORT", L"12" }, { L"LONG", L"26" }, { L"MID", L"9" } }, L"MACD");
    EXPECT_EQ(1, calculator->SetFormula(&macd));
    EXPECT_TRUE(calculator->HasText());
    EXPECT_EQ(L"MACD(12,26,9)", calculator->GetTitle());
    EXPECT_EQ(100, calculator->GetNumber());
    EXPECT_EQ(2, calculator->GetKind());
    EXPECT_EQ(2u, calculator->GetStatements().size());
    EXPECT_TRUE(calculator->IsDataDirty());
    EXPECT_TRUE(calculator->IsRangeDirty());

    // The same definition again changes nothing, not even the flags.
    calculator->SetData(&stock, kPeriodDay, 0, 9);
    calculator->Calculate();
    EXPECT_EQ(0, calculator->SetFormula(&macd));
    EXPECT_FALSE(calculator->IsDataDirty());
    EXPECT_EQ(L"MACD(12,26,9)", calculator->GetTitle());

    const struct
    {
        std::vector<std::pair<std::wstring, std::wstring>> args;
        const wchar_t* title;
    } titles[] = {
        { {}, L"IND" },
        { { { L"N", L"2.5" } }, L"IND(2)" },
        { { { L"N", L"-2.5" }, { L"M", L"abc" }, { L"K", L"07x" } }, L"IND(-2,0,7)" },
        { { { L"N", L"5" }, { L"N", L"8" } }, L"IND(5,8)" },
    };
    int number = 200;
    for (const auto& t : titles) {
        const FormulaDefinition definition = Definition(++number, L"X:1;", t.args);
        ASSERT_EQ(1, calculator->SetFormula(&definition));
        EXPECT_EQ(std::wstring(t.title), calculator->GetTitle());
    }
    // A repeated name keeps its first value.
    EXPECT_EQ(5.0, calculator->GetParameters().at(L"N"));
}

TEST_F(FormulaCalculatorTest, ARefusedDefinitionKeepsTheFormulaAndItsParameters)
{
    const FormulaDefinition first = Definition(1, L"X:C+N;", { { L"N", L"3" } });
    ASSERT_EQ(1, calculator->SetFormula(&first));
    const FormulaDefinition empty = Definition(2, L"", { { L"N", L"1000" } });
    EXPECT_EQ(0, calculator->SetFormula(&empty));
    EXPECT_EQ(1, calculator->GetNumber());
    EXPECT_EQ(3.0, calculator->GetParameters().at(L"N"));
    EXPECT_EQ(L"IND(3)", calculator->GetTitle());
    calculator->SetData(&stock, kPeriodDay, 0, 9);
    ASSERT_EQ(1, calculator->Calculate());
    EXPECT_EQ(22.0f, RecordedSeries(L"X").at(9)); // 19 + 3, not 19 + 1000

    // Only comments: taken, with nothing to calculate.
    const FormulaDefinition comment = Definition(3, L"{nothing but a note}");
    EXPECT_EQ(1, calculator->SetFormula(&comment));
    EXPECT_TRUE(calculator->GetStatements().empty());
    EXPECT_EQ(0, calculator->Calculate());
}

TEST_F(FormulaCalculatorTest, BindsEveryVariableBeforeARun)
{
    const FormulaDefinition definition = Definition(1,
        L"A1:HIGH;A2:H;A3:INDEXH;B1:OPEN;B2:O;B3:INDEXO;C1:LOW;C2:L;C3:INDEXL;D1:CLOSE;D2:C;D3:INDEXC;"
        L"E1:VOL;E2:V;E3:INDEXV;F1:AMOUNT;F2:A;F3:INDEXA;G:CAPITAL;P:PERIOD;N:DRAWNULL;S:DRAWDATA_SIZE;"
        L"U:ADVANCE;W:DECLINE;Q:K;",
        { { L"K", L"4.5" } });
    ASSERT_EQ(1, calculator->SetFormula(&definition));
    calculator->SetData(&stock, kPeriodDay, 2, 6);
    ASSERT_EQ(1, calculator->Calculate());
    const struct
    {
        const wchar_t* names[3];
        float atBar4;
    } series[] = {
        { { L"A1", L"A2", L"A3" }, 15.0f },
        { { L"B1", L"B2", L"B3" }, 13.5f },
        { { L"C1", L"C2", L"C3" }, 13.0f },
        { { L"D1", L"D2", L"D3" }, 14.0f },
        { { L"E1", L"E2", L"E3" }, 500.0f },
        { { L"F1", L"F2", L"F3" }, 8000.0f },
    };
    for (const auto& s : series) {
        for (const wchar_t* name : s.names) {
            const std::vector<float> values = RecordedSeries(name);
            ASSERT_EQ(10u, values.size())
                << std::wstring(name).size(); // the whole series, not the visible bars
            EXPECT_EQ(s.atBar4, values[4]);
        }
    }
    EXPECT_EQ(PriceSeriesSource::kDefaultCapital, RecordedNumber(L"G"));
    EXPECT_EQ(5.0, RecordedNumber(L"P"));
    EXPECT_EQ(I, RecordedNumber(L"N"));
    EXPECT_EQ(5.0, RecordedNumber(L"S"));
    EXPECT_EQ(7.0, RecordedNumber(L"U"));
    EXPECT_EQ(3.0, RecordedNumber(L"W"));
    EXPECT_EQ(4.5, RecordedNumber(L"Q"));

    // A range of one bar.
    calculator->SetData(&stock, kPeriodDay, 3, 3);
    calculator->Invalidate();
    calculator->Calculate();
    EXPECT_EQ(1.0, RecordedNumber(L"S"));

    // A parameter named like a price series replaces it whole.
    const FormulaDefinition shadow = Definition(2, L"X:C*2;", { { L"C", L"3" } });
    ASSERT_EQ(1, calculator->SetFormula(&shadow));
    calculator->Calculate();
    EXPECT_EQ(6.0, RecordedNumber(L"X"));
}

// HIGH, LOW, VOL and AMOUNT are fetched when a run first reads one of their
// names, once for all three names, from the bars as they are at that run;
// OPEN and CLOSE before every run.
TEST_F(FormulaCalculatorTest, PriceSeriesAreFetchedWhenARunFirstReadsThem)
{
    const FormulaDefinition closeOnly = Definition(1, L"X:C;");
    ASSERT_EQ(1, calculator->SetFormula(&closeOnly));
    calculator->SetData(&stock, kPeriodDay, 0, 9);
    ASSERT_EQ(1, calculator->Calculate());
    const CScriptAcceptor* host = calculator->GetHost();
    EXPECT_NE(nullptr, host->FindVariable(L"OPEN"));
    for (const wchar_t* name : { L"HIGH", L"H", L"LOW", L"VOL", L"AMOUNT", L"A" })
        EXPECT_EQ(nullptr, host->FindVariable(name)) << std::wstring(name).size();

    stock.GetDayData().AppendBar(MakeBar(T(2026, 11, 20), 30, 31, 29, 30.5f, 1000, 8));
    const FormulaDefinition highs
        = Definition(2, L"X:H;Y:INDEXH*1;Z:ZIG(1,50);W:WINNER(C);S:HIGH+H;Q:L;", { { L"L", L"3" } });
    ASSERT_EQ(1, calculator->SetFormula(&highs));
    ASSERT_EQ(1, calculator->Calculate());
    const std::vector<float> x = RecordedSeries(L"X");
    ASSERT_EQ(11u, x.size());
    EXPECT_EQ(31.0f, x[10]);
    EXPECT_EQ(x, RecordedSeries(L"Y"));
    EXPECT_EQ(11u, RecordedSeries(L"Z").size());
    EXPECT_EQ(11u, RecordedSeries(L"W").size());
    const std::vector<float> s = RecordedSeries(L"S");
    ASSERT_EQ(11u, s.size());
    EXPECT_EQ(62.0f, s[10]);
    // One fetch serves every name of the series.
    const VARIANT* high = host->FindVariable(L"HIGH");
    const VARIANT* h = host->FindVariable(L"H");
    ASSERT_TRUE(high && h);
    EXPECT_EQ(high->byref, h->byref);
    // A parameter named like a price series is never replaced by it.
    EXPECT_EQ(3.0, RecordedNumber(L"Q"));
    EXPECT_EQ(nullptr, host->FindVariable(L"AMOUNT"));
}

TEST_F(FormulaCalculatorTest, WithoutBarsOnlyTheNumbersAreBound)
{
    const FormulaDefinition definition = Definition(1, L"X:C;Y:DRAWDATA_SIZE;");
    ASSERT_EQ(1, calculator->SetFormula(&definition));
    calculator->SetData(nullptr, kPeriodDay, 0, 4);
    ASSERT_EQ(1, calculator->Calculate());
    EXPECT_EQ(nullptr, Recorded(L"X"));
    EXPECT_EQ(5.0, RecordedNumber(L"Y"));
    EXPECT_EQ(5.0f, calculator->GetMin());
    EXPECT_EQ(5.0f, calculator->GetMax());
}

TEST_F(FormulaCalculatorTest, RangeCountsWhatEachFunctionDraws)
{
    const struct
    {
        const wchar_t* content;
        float minimum;
        float maximum;
    } cases[] = {
        { L"X:C;", 12.0f, 16.0f }, // the visible bars 2..6 only
        { L"X:C;Z:0;", 0.0f, 16.0f }, // a scalar output widens the range
        { L"X:C;Y:=C*100;", 12.0f, 16.0f }, // an intermediate result does not
        { L"X:C;STICKLINE(1,100,200,3);", 12.0f, 16.0f }, // four values are too few
        { L"X:C;STICKLINE(1,100,200,3,0);", 12.0f, 200.0f }, { L"X:C;DRAWBAND(5,255,300,0);", 5.0f, 300.0f },
        { L"X:C;DRAWTEXT(1,500,1);", 12.0f, 500.0f }, { L"X:C;DRAWICON(1,-4,1);", -4.0f, 16.0f },
        { L"X:C;N:DRAWNULL;", 0.0f, 16.0f }, // an invalid scalar counts as 0
        { L"X:C/(C>14);", 15.0f, 16.0f }, // invalid elements are skipped
        { L"X:MAA(C,5);Y:C;", 12.0f, 16.0f }, // an unknown name records nothing
    };
    int number = 10;
    for (const auto& c : cases) {
        const FormulaDefinition definition = Definition(++number, c.content);
        ASSERT_EQ(1, calculator->SetFormula(&definition));
        calculator->SetData(&stock, kPeriodDay, 2, 6);
        ASSERT_EQ(1, calculator->Calculate());
        EXPECT_EQ(c.minimum, calculator->GetMin()) << std::wstring(c.content).size() << " " << number;
        EXPECT_EQ(c.maximum, calculator->GetMax()) << number;
    }
}

// The range is measured several elements at a time; it keeps the bounds an
// element-by-element walk gives, down to the sign of a zero bound: the first
// zero met, here the -0 of -1*0 at bar 1, not the +0 of 1*0 at bar 4.
TEST_F(FormulaCalculatorTest, RangeOfALongStretchIsTheElementByElementOne)
{
    CStock zeros(0x600009);
    const float closes[] = { 5, -1, 5, 5, 1, 5, 5, 5, 5, 5, 7, 5 };
    for (int i = 0; i < 12; ++i)
        zeros.GetDayData().AppendBar(MakeBar(T(2026, 11, 2 + i), 5, 8, 0, closes[i]));
    const FormulaDefinition definition = Definition(1, L"X:C*(C>2);Y:C/(C>4);");
    ASSERT_EQ(1, calculator->SetFormula(&definition));
    calculator->SetData(&zeros, kPeriodDay, 0, 11);
    ASSERT_EQ(1, calculator->Calculate());
    EXPECT_EQ(0.0f, calculator->GetMin());
    EXPECT_TRUE(std::signbit(calculator->GetMin()));
    EXPECT_EQ(7.0f, calculator->GetMax());
}

TEST_F(FormulaCalculatorTest, DirtyFlagsDecideWhatIsRecomputed)
{
    const FormulaDefinition definition = Definition(1, L"X:C;");
    ASSERT_EQ(1, calculator->SetFormula(&definition));
    calculator->SetData(&stock, kPeriodDay, 0, 4);
    calculator->Calculate();
    EXPECT_EQ(10.0f, calculator->GetMin());
    EXPECT_FALSE(calculator->IsDataDirty());
    EXPECT_FALSE(calculator->IsRangeDirty());

    // Another visible range re-measures without a new run.
    calculator->SetData(&stock, kPeriodDay, 5, 9);
    EXPECT_TRUE(calculator->IsRangeDirty());
    EXPECT_FALSE(calculator->IsDataDirty());
    calculator->Calculate();
    EXPECT_EQ(15.0f, calculator->GetMin());
    EXPECT_EQ(19.0f, calculator->GetMax());

    // Another stock over the same bars: the new run is measured too.
    CStock other(0x600001);
    for (int i = 0; i < 10; ++i)
        other.GetDayData().AppendBar(MakeBar(T(2026, 11, 2 + i), 50, 51, 49, 50.0f + i));
    calculator->SetData(&other, kPeriodDay, 5, 9);
    EXPECT_TRUE(calculator->IsDataDirty());
    EXPECT_FALSE(calculator->IsRangeDirty());
    calculator->Calculate();
    EXPECT_EQ(55.0f, calculator->GetMin());
    EXPECT_EQ(59.0f, calculator->GetMax());

    // Changed bars of the same stock come through Invalidate.
    other.GetDayData().AppendBar(MakeBar(T(2026, 11, 20), 50, 51, 49, 100.0f));
    calculator->SetData(&other, kPeriodDay, 6, 10);
    calculator->Calculate();
    EXPECT_EQ(59.0f, calculator->GetMax()); // the old run: the series was not re-read
    calculator->Invalidate();
    EXPECT_TRUE(calculator->IsDataDirty());
    EXPECT_TRUE(calculator->IsRangeDirty());
    calculator->Calculate();
    EXPECT_EQ(100.0f, calculator->GetMax());
}

TEST_F(FormulaCalculatorTest, EqualBoundsAreWidenedAndOverlayBoundsAreNotStored)
{
    OffscreenCanvas canvas(200, 121);
    const RECT pane = { 0, 0, 200, 121 };
    const struct
    {
        const wchar_t* content;
        float minimum;
        float maximum;
    } cases[] = { { L"X:50;", 47.5f, 52.5f }, { L"X:0;", -1.0f, 1.0f }, { L"X:-50;", -52.5f, -47.5f } };
    int number = 0;
    for (const auto& c : cases) {
        const FormulaDefinition definition = Definition(++number, c.content);
        ASSERT_EQ(1, calculator->SetFormula(&definition));
        calculator->SetData(&stock, kPeriodDay, 0, 9);
        calculator->Calculate();
        EXPECT_EQ(1, calculator->Draw(canvas.Dc(), pane, 0, 0, 0, 0, false));
        EXPECT_FLOAT_EQ(c.minimum, calculator->GetMin());
        EXPECT_FLOAT_EQ(c.maximum, calculator->GetMax());
    }

    // An overlay with bounds of 0 keeps the formula's own range; with bounds it
    // draws in them but keeps its own measured range.
    const FormulaDefinition lines = Definition(10, L"X:C;");
    ASSERT_EQ(1, calculator->SetFormula(&lines));
    calculator->SetData(&stock, kPeriodDay, 0, 9);
    calculator->Calculate();
    calculator->Draw(canvas.Dc(), pane, 0, 0, 0, 0, true);
    EXPECT_EQ(10.0f, calculator->GetMin());
    EXPECT_EQ(19.0f, calculator->GetMax());
    calculator->Draw(canvas.Dc(), pane, 0, 0, 5.0, 40.0, true);
    EXPECT_EQ(10.0f, calculator->GetMin());
    EXPECT_EQ(19.0f, calculator->GetMax());

    // Without a painter nothing is drawn and nothing fails.
    FormulaManager* manager = FormulaManager::Instance();
    std::unique_ptr<FormulaCalculator> blind = manager->CreateCalculator(nullptr, &market);
    ASSERT_NE(nullptr, blind);
    ASSERT_EQ(1, blind->SetFormula(&lines));
    blind->SetData(&stock, kPeriodDay, 0, 9);
    EXPECT_EQ(1, blind->Calculate());
    EXPECT_EQ(1, blind->Draw(canvas.Dc(), pane, 0, 0, 0, 0, false));
}

TEST_F(FormulaCalculatorTest, DrawsStatementsInOrderWithTheirColours)
{
    OffscreenCanvas canvas(200, 121);
    const RECT pane = { 0, 0, 200, 121 };
    FormulaDefinition definition
        = Definition(1, L"LOW0:0;DRAWKLINE(H,O,L,C),COLORRED;HIGH100:100;MID:=50;HALF:25,COLOR0000FF;");
    definition.MyAxis = { 50.0f, 150.0f };
    ASSERT_EQ(1, calculator->SetFormula(&definition));
    painter.SetBarWidth(10);
    calculator->SetData(&stock, kPeriodDay, 0, 9);
    ASSERT_EQ(1, calculator->Calculate());
    EXPECT_EQ(1, calculator->Draw(canvas.Dc(), pane, 0, 0, 0, 0, false));
    canvas.SavePng("calculator-order");
    // Range 0..100 over a 100 px plot: 0 at row 120, 100 at row 20, 25 at row
    // 95; the axis line of 50 at row 69 in white; 150 lies outside.
    EXPECT_EQ(0xFFFFFFu, canvas.Pixel(50, 120)); // the first default colour
    EXPECT_EQ(0x00FFFFu, canvas.Pixel(50, 20)); // DRAWKLINE took no colour: yellow is second
    EXPECT_EQ(0xFF0000u, canvas.Pixel(50, 95)); // COLOR0000FF is blue
    EXPECT_GE(canvas.CountPixels(0xFFFFFF, RECT { 0, 69, 200, 70 }), 190);
    EXPECT_EQ(0, painter.GetDefaultColorCounter()); // reset after the draw
}

TEST_F(FormulaCalculatorTest, MacdWrittenALineAStatementStandsRedAndGreenOnTheZeroLine)
{
    // Closes 10..19: the histogram runs from -5 to 4 over a range of -5..4,
    // where 0 maps to row 120 - 100 * 5 / 9 = 65.
    FormulaDefinition definition = Definition(1, L"DIF:=C-15;\r\nMACD:DIF,COLORSTICK;\r\n", {}, L"MACD");
    ASSERT_EQ(1, calculator->SetFormula(&definition));
    painter.SetBarWidth(10);
    calculator->SetData(&stock, kPeriodDay, 0, 9);
    ASSERT_EQ(1, calculator->Calculate());
    bool named = false;
    for (const FormulaStatement& statement : calculator->GetStatements())
        named = named || statement.name == L"MACD";
    EXPECT_TRUE(named) << "the name without the line break before it";
    OffscreenCanvas canvas(200, 121);
    EXPECT_EQ(1, calculator->Draw(canvas.Dc(), RECT { 0, 0, 200, 121 }, 0, 0, 0, 0, false));
    canvas.SavePng("calculator-macd");
    const int zero = 65;
    const COLORREF green = 0x00FF00;
    const COLORREF red = 0x0000FF;
    // Bar 0 (-5) hangs green from the zero line; bar 9 (+4) stands red on it.
    EXPECT_GE(canvas.CountPixels(green, RECT { 3, zero, 4, 121 }), 50);
    EXPECT_EQ(0, canvas.CountPixels(green, RECT { 3, 0, 4, zero }));
    EXPECT_GE(canvas.CountPixels(red, RECT { 93, 20, 94, zero + 1 }), 40);
    EXPECT_EQ(0, canvas.CountPixels(red, RECT { 93, zero + 2, 94, 121 })) << "no stick rises from the bottom";
    // Bar 5 (0) draws no stick.
    EXPECT_EQ(0, canvas.CountPixels(red, RECT { 53, 20, 54, 121 }) + canvas.CountPixels(green, RECT { 53, 20, 54, 121 }));
}

TEST(SimulatorCandles, StickLinesOfTheCandleDefinitionsLeaveAGapBetweenBars)
{
    // The simulator's candles drawn through the calculator: each bar's body
    // and wick stay inside its own column, so neighbours never merge into a band.
    std::string plain = SimMarketSeries().FormulaBody();
    ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
    FormulaLibrary library;
    ASSERT_EQ(1, library.LoadFromBody(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int32_t>(plain.size())));
    CStock stock(0x600000);
    for (int i = 0; i < 40; ++i) {
        // Rising and falling bars by turns, every close above the average of 20.
        const float base = 10.0f + i * 0.3f;
        const float open = i % 2 ? base + 0.2f : base - 0.2f;
        const float close = i % 2 ? base - 0.2f : base + 0.2f;
        stock.GetDayData().AppendBar(MakeBar(T(2026, 1, 5) + i * 86400, open, base + 0.5f, base - 0.5f, close, 100, 8));
    }
    IndicatorPainter painter;
    FixedMarket market;
    std::unique_ptr<FormulaCalculator> calculator = FormulaManager::Instance()->CreateCalculator(&painter, &market);
    ASSERT_NE(nullptr, calculator);
    for (const wchar_t* name : { L"KLINE", L"WCKX" }) {
        SCOPED_TRACE(WideToGbk(name));
        const FormulaDefinition* definition = library.FindByName(name);
        ASSERT_NE(nullptr, definition);
        ASSERT_EQ(1, calculator->SetFormula(definition));
        for (int width : { 6, 10, 21 }) {
            SCOPED_TRACE(width);
            painter.SetBarWidth(width);
            calculator->SetData(&stock, kPeriodDay, 20, 39);
            ASSERT_EQ(1, calculator->Calculate());
            OffscreenCanvas canvas(20 * width, 121);
            calculator->Draw(canvas.Dc(), RECT { 0, 0, 20 * width, 121 }, 0, 0, 0, 0, false);
            if (width == 10)
                canvas.SavePng(std::string("calculator-candles-") + WideToGbk(name));
            // A column of the plot is a candle's when red, cyan or yellow lights it.
            int drawn = 0;
            for (int bar = 0; bar < 20; ++bar) {
                int empty = 0;
                for (int x = bar * width; x < (bar + 1) * width; ++x) {
                    const RECT column { x, 21, x + 1, 120 };
                    const int lit = canvas.CountPixels(0x0000FF, column) + canvas.CountPixels(0xFFFF00, column)
                        + canvas.CountPixels(0x00FFFF, column);
                    empty += lit == 0 ? 1 : 0;
                    drawn += lit > 0 ? 1 : 0;
                }
                EXPECT_GE(empty, 1) << "bar " << bar << " has no gap to its neighbour";
            }
            EXPECT_GE(drawn, 20 * 2) << "every bar draws its body";
        }
    }
}
