// Picking minutes: the band hit test, the keys, the selection, the value
// label, the data window and the cross-hair.
#include <gtest/gtest.h>

#include "tests/minute/MinuteFixtures.h"
#include "tests/support/OffscreenCanvas.h"
#include "tests/support/SeriesFixtures.h"
#include "views/MinuteTimeAxis.h"

namespace {

// Its own visibility: the test host itself stays hidden.
bool IsShown(HWND window)
{
    return (::GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

class MinuteCursor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StockRecipe r;
        r.ticks = WalkTicks(Day(10, 0), 10, { 0.02, -0.01 }, 100);
        rig.Show(r);
        Draw();
    }
    void Draw()
    {
        canvas.Fill(RGB(1, 2, 3));
        rig.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
    }
    int X(double seconds) const
    {
        const RECT& p = rig.chart.GetPricePane().rect;
        return p.left + static_cast<int>(seconds * (p.right - p.left) / kMinuteAxisSeconds);
    }
    int Count() const { return rig.chart.GetSnapshot()->GetMinute().GetCount(); }

    ChartRig rig;
    OffscreenCanvas canvas { 1000, 600 };
};

TEST_F(MinuteCursor, BandsMeetHalfwayAndReachFiftySecondsBeforeTheFirst)
{
    const int y = rig.chart.GetPricePane().rect.top + 20;
    // Records at 59, 119, 179...: the band of record 1 runs from 89 s to 149 s.
    EXPECT_EQ(rig.chart.HitTest(POINT { X(59), y }), 0);
    EXPECT_EQ(rig.chart.HitTest(POINT { X(9) + 1, y }), 0) << "50 s before the first record";
    EXPECT_EQ(rig.chart.HitTest(POINT { X(80), y }), 0) << "nearer the first";
    EXPECT_EQ(rig.chart.HitTest(POINT { X(100), y }), 1) << "nearer the second";
    EXPECT_EQ(rig.chart.HitTest(POINT { X(179), y }), 2);
    const int last = Count() - 1;
    EXPECT_EQ(rig.chart.HitTest(POINT { X(TradingSecondsSinceOpen(Day(9, 59, 30)) + 40), y }), last);
    EXPECT_EQ(rig.chart.HitTest(POINT { X(8000), y }), -1) << "far right of the last record";
    EXPECT_EQ(rig.chart.HitTest(POINT { 10, y }), -1) << "outside the pane's columns";
    const RECT& volume = rig.chart.GetVolumePane().rect;
    EXPECT_EQ(rig.chart.HitTest(POINT { X(59), volume.bottom + 5 }), 0) << "down to the chart's bottom";

    rig.chart.OnMouseMove(POINT { X(179), y });
    EXPECT_EQ(rig.chart.GetCursorIndex(), 2);
    rig.chart.OnMouseMove(POINT { 10, y });
    EXPECT_EQ(rig.chart.GetCursorIndex(), -1) << "outside the columns clears the cursor";
}

TEST_F(MinuteCursor, KeysMoveTheCursorWithinTheRecords)
{
    const int last = Count() - 1;
    rig.chart.CursorRight();
    EXPECT_EQ(rig.chart.GetCursorIndex(), 0) << "Right without a cursor: the first minute";
    EXPECT_TRUE(rig.chart.IsCrosshairOn());
    rig.chart.SetCursorIndex(-1);
    rig.chart.CursorLeft();
    EXPECT_EQ(rig.chart.GetCursorIndex(), last) << "Left without a cursor: the last minute";
    rig.chart.CursorRight();
    EXPECT_EQ(rig.chart.GetCursorIndex(), last) << "Right on the last stays";
    rig.chart.CursorHome();
    EXPECT_EQ(rig.chart.GetCursorIndex(), 0);
    rig.chart.CursorEnd();
    EXPECT_EQ(rig.chart.GetCursorIndex(), last);

    // Extending selects every minute between; a plain move clears the selection.
    rig.chart.SelectTo(2);
    rig.chart.MoveCursor(3, true);
    EXPECT_EQ(rig.chart.GetSelection(), (std::vector<int> { 2, 3, 4, 5 }));
    EXPECT_EQ(rig.chart.AddSelection(4), 0);
    EXPECT_EQ(rig.chart.AddSelection(9), 1);
    rig.chart.MoveCursor(1);
    EXPECT_TRUE(rig.chart.GetSelection().empty());

    // In the list modes the keys do nothing.
    rig.chart.SetDisplay(kMinuteModeTickList, 0, kPageTicks);
    rig.chart.CursorRight();
    EXPECT_EQ(rig.chart.GetCursorIndex(), -1);
}

TEST_F(MinuteCursor, AMoveAtTheSamePointDoesNotTakeTheCursorFromTheKeys)
{
    const POINT p { X(179), rig.chart.GetPricePane().rect.top + 20 };
    rig.chart.OnMouseMove(p);
    EXPECT_EQ(rig.chart.GetCursorIndex(), 2);
    rig.chart.CursorRight();
    EXPECT_EQ(rig.chart.GetCursorIndex(), 3);
    rig.chart.OnMouseMove(p);
    EXPECT_EQ(rig.chart.GetCursorIndex(), 3) << "the pointer did not move";
    rig.chart.OnMouseMove(p, true);
    EXPECT_EQ(rig.chart.GetCursorIndex(), 2) << "a click tracks";
}

TEST_F(MinuteCursor, DoubleClickTogglesTheCrosshair)
{
    const POINT p { X(179), rig.chart.GetPricePane().rect.top + 20 };
    rig.chart.OnLButtonDblClk(p);
    EXPECT_TRUE(rig.chart.IsCrosshairOn());
    EXPECT_EQ(rig.chart.GetCursorIndex(), 2);
    EXPECT_EQ(rig.chart.GetMousePosition().x, p.x);
    rig.chart.OnLButtonDblClk(p);
    EXPECT_FALSE(rig.chart.IsCrosshairOn());
    EXPECT_EQ(rig.chart.GetCursorIndex(), -1);
    EXPECT_EQ(rig.chart.GetMousePosition().x, -1);
}

TEST_F(MinuteCursor, ValueLabelsByPane)
{
    const MinuteChartPane& volume = rig.chart.GetVolumePane();
    const int y = volume.rect.bottom - (volume.rect.bottom - volume.rect.top) / 4;
    const double expected = (volume.rect.bottom - y) * volume.high / (volume.rect.bottom - volume.rect.top);
    char text[32];
    snprintf(text, sizeof(text), "%.2f", expected);
    EXPECT_EQ(rig.chart.ValueAtY(POINT { X(300), y }), text);
    const MinuteChartPane& price = rig.chart.GetPricePane();
    snprintf(text, sizeof(text), "%.2f", price.high);
    EXPECT_EQ(rig.chart.ValueAtY(POINT { X(300), price.rect.top }), text);
    EXPECT_EQ(rig.chart.ValueAtY(POINT { X(300), 595 }), "") << "over the time axis";
}

TEST_F(MinuteCursor, DataWindowFollowsTheCursor)
{
    HWND window = rig.chart.GetDataWindow();
    ASSERT_TRUE(window) << "created by the first drawing";
    EXPECT_FALSE(IsShown(window)) << "hidden without a cursor";
    RECT r {};
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 69);
    EXPECT_EQ(r.bottom - r.top, 282);

    rig.chart.CursorEnd();
    Draw();
    EXPECT_TRUE(IsShown(window));

    // Home and End on an empty series hide it.
    ChartRig empty;
    StockRecipe none;
    empty.Show(none);
    empty.chart.CursorEnd();
    EXPECT_EQ(empty.chart.GetCursorIndex(), -1);
    empty.chart.CursorHome();
    EXPECT_EQ(empty.chart.GetCursorIndex(), -1);
    empty.chart.Draw(canvas.Dc(), RECT { 0, 0, 1000, 600 });
    ASSERT_TRUE(empty.chart.GetDataWindow());
    EXPECT_FALSE(IsShown(empty.chart.GetDataWindow()));
}

TEST_F(MinuteCursor, DataWindowColours)
{
    // The last minute trades above the previous close: its values are red.
    rig.chart.CursorEnd();
    OffscreenCanvas window(69, 282);
    rig.chart.PaintDataWindow(window.Dc(), RECT { 0, 0, 69, 282 });
    EXPECT_EQ(window.Pixel(0, 0), RGB(128, 0, 0)) << "frame";
    EXPECT_EQ(window.Pixel(68, 281), RGB(128, 0, 0));
    EXPECT_EQ(window.Pixel(1, 1), RGB(8, 8, 8)) << "background";
    // Rows 2 to 5 are price, average, change and percentage.
    EXPECT_GT(window.CountPixels(RGB(255, 60, 60), RECT { 1, 64, 68, 204 }), 0);
    EXPECT_EQ(window.CountPixels(RGB(0, 200, 0)), 0);
}

TEST_F(MinuteCursor, CrosshairIsXorAndDrawnTwiceVanishes)
{
    rig.chart.CursorLeft();
    OffscreenCanvas overlay(1000, 600);
    overlay.Fill(RGB(8, 8, 8));
    rig.chart.DrawCrosshair(overlay.Dc());
    const int x = rig.chart.GetPricePane().rect.left + 50;
    int lineY = -1;
    for (int y = 0; y < 600 && lineY < 0; ++y) {
        if (overlay.Pixel(x, y) != RGB(8, 8, 8))
            lineY = y;
    }
    ASSERT_GE(lineY, 0) << "the horizontal line crosses the column";
    EXPECT_EQ(overlay.Pixel(x, lineY), RGB(247, 247, 247)) << "white XOR the background";
    // The boxes are drawn with their colours, the lines by XOR: twice, the lines are gone.
    EXPECT_GT(overlay.CountPixels(RGB(0, 0, 128)), 0) << "box background";
    rig.chart.DrawCrosshair(overlay.Dc());
    EXPECT_EQ(overlay.Pixel(x, lineY), RGB(8, 8, 8));
}

} // namespace

TEST(MinuteDataWindow, RowsFromAMinuteRecord)
{
    // Amounts are in thousands already, as the ticks deliver them.
    MinuteRecord record {};
    record.time = Day(10, 31);
    record.price = 10.5f;
    record.average = 10.4f;
    record.volume = 1200;
    record.amount = 1260;
    const std::vector<MinuteDataRow> rows = MinuteDataWindowRows(record, 10.0);
    ASSERT_EQ(rows.size(), 7u);
    const char* const expected[] = { "10:31", "10.50", "10.40", "0.50", "5.00%", "1200", "1260.00" };
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].value, expected[i]) << rows[i].label;
    EXPECT_EQ(rows[6].label, "额(千元)");
    // Without a reference price no percentage.
    EXPECT_EQ(MinuteDataWindowRows(record, 0)[4].value, "-");
}

TEST_F(MinuteCursor, DataWindowShowsTheMinutesAmountInThousands)
{
    rig.chart.CursorEnd();
    const int cursor = rig.chart.GetCursorIndex();
    ASSERT_GE(cursor, 0);
    const MinuteRecord* record = rig.chart.GetSnapshot()->GetMinute().GetAt(cursor);
    ASSERT_TRUE(record);
    ASSERT_GT(record->amount, 0);
    const std::vector<MinuteDataRow> rows = rig.chart.GetDataWindowRows();
    ASSERT_EQ(rows.size(), 7u);
    char text[64];
    snprintf(text, sizeof(text), "%.2f", record->amount);
    EXPECT_EQ(rows[6].value, text);
    // A ten-lot minute at about ten yuan is about a hundred thousand yuan, a
    // hundred in thousands: the shown figure matches the volume and price.
    EXPECT_NEAR(record->amount, record->volume * 100 * record->price / 1000, record->amount * 0.05 + 1);
}
