// Series files that no merge of ours could have written: a value no market
// has, a time no request reaches. Each is refused whole and the series keeps
// what it held, so that one damaged record can neither reach the charts nor
// freeze the series (requests start at the last time held).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "base/PodBytes.h"
#include "data/F10Data.h"
#include "data/FenbiData.h"
#include "data/FiveMinData.h"
#include "data/FormuleData.h"
#include "data/KData.h"
#include "data/ReplyChecks.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"
#include "tests/support/TempDirectory.h"

namespace {

const uint32_t kKey = 0x600000;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
const int32_t kNow = 1741000000; // 2025-03-03, a Monday

std::string BarFile(const std::vector<Bar>& bars)
{
    std::string bytes;
    for (const Bar& bar : bars)
        AppendPod(bytes, bar);
    return bytes;
}

std::string TickFile(const TickFileHeader& header, const std::vector<TickRecord>& ticks)
{
    std::string bytes;
    AppendPod(bytes, header);
    for (const TickRecord& t : ticks)
        AppendPod(bytes, t);
    return bytes;
}

TickFileHeader Header(int32_t time)
{
    TickFileHeader header = {};
    header.time = time;
    header.previousClose = header.open = header.high = header.low = header.last = 10;
    return header;
}

std::string F10File(int32_t first, int32_t last, const std::string& text)
{
    std::string bytes;
    AppendPod(bytes, first);
    AppendPod(bytes, last);
    return bytes + text;
}

} // namespace

TEST(DamagedSeriesFiles, BarFilesWithValuesNoMarketHasOrTimesNoRequestReachesAreRefused)
{
    ScopedServerTime server(kNow);
    TempDirectory dir;
    const int32_t day = T(2025, 2, 28);
    const Bar good = MakeBar(day, 10, 11, 9, 10.5f);
    auto with = [&](void (*damage)(Bar&)) {
        Bar bar = good;
        damage(bar);
        return bar;
    };
    const struct
    {
        const char* name;
        Bar bar;
    } cases[] = {
        { "no time", with([](Bar& b) { b.time = 0; }) },
        { "a time before 1970", with([](Bar& b) { b.time = -86400; }) },
        { "a time in 2038", with([](Bar& b) { b.time = 0x7FFFFF00; }) },
        { "a week ahead of the server", with([](Bar& b) { b.time = kNow + 7 * 86400; }) },
        { "a close that is no number", with([](Bar& b) { b.close = kNaN; }) },
        { "an infinite high", with([](Bar& b) { b.high = kInf; }) },
        { "a negative low", with([](Bar& b) { b.low = -9; }) },
        { "an open beyond any market", with([](Bar& b) { b.open = 3.0e38f; }) },
        { "an infinite volume", with([](Bar& b) { b.volume = kInf; }) },
        { "an amount that is no number", with([](Bar& b) { b.amount = kNaN; }) },
    };
    const std::string held = BarFile({ MakeBar(T(2025, 2, 26), 9, 10, 8, 9.5f) });
    for (const auto& c : cases) {
        for (bool minutes : { false, true }) {
            const std::string name = minutes ? "1.mn5" : "1.day";
            ASSERT_TRUE(dir.WriteFile(name, held));
            CFiveMinData fiveMinute;
            CKData daily;
            CKData& series = minutes ? static_cast<CKData&>(fiveMinute) : daily;
            ASSERT_EQ(series.Load(dir.File(name).c_str(), kKey), 1);
            ASSERT_TRUE(dir.WriteFile(name, BarFile({ good, c.bar })));
            EXPECT_EQ(series.Load(dir.File(name).c_str(), kKey), 0) << c.name << " " << name;
            ASSERT_EQ(series.GetCount(), 1) << c.name << " " << name;
            EXPECT_EQ(series.GetLastTime(), T(2025, 2, 26)) << c.name << " " << name;
        }
    }
}

TEST(DamagedSeriesFiles, BarFilesLoadInOrderWithOneBarPerDay)
{
    ScopedServerTime server(kNow);
    TempDirectory dir;
    // Today's bar, built from the ticks, may come without a high: still ours.
    Bar today = MakeBar(T(2025, 3, 3), 10, 0, 9.5f, 9.8f);
    ASSERT_TRUE(dir.WriteFile("1.day",
        BarFile({ MakeBar(T(2025, 2, 28), 10, 11, 9, 10.5f), MakeBar(T(2025, 2, 26), 9, 10, 8, 9.5f), today,
            MakeBar(T(2025, 2, 28), 12, 13, 11, 12.5f) })));
    CKData series;
    ASSERT_EQ(series.Load(dir.File("1.day").c_str(), kKey), 1);
    ASSERT_EQ(series.GetCount(), 3);
    EXPECT_EQ(series.GetBar(0)->time, T(2025, 2, 26));
    EXPECT_EQ(series.GetBar(1)->time, T(2025, 2, 28));
    EXPECT_EQ(series.GetBar(1)->close, 10.5f) << "the first bar of a day stays";
    EXPECT_EQ(series.GetBar(2)->time, T(2025, 3, 3));
    EXPECT_EQ(series.GetFirstTime(), T(2025, 2, 26));
    EXPECT_EQ(series.GetLastTime(), T(2025, 3, 3)) << "requests start at the latest bar";
}

TEST(DamagedSeriesFiles, TickFilesNoMergeWroteAreRefusedAndTheNextReplyIsTaken)
{
    ScopedServerTime server(kNow);
    TempDirectory dir;
    const int32_t today = T(2025, 3, 3, 10, 0);
    auto headerWith = [&](void (*damage)(TickFileHeader&)) {
        TickFileHeader h = Header(today);
        damage(h);
        return h;
    };
    const std::vector<TickRecord> ticks = { MakeTick(T(2025, 3, 3, 9, 31), 10, 100, 1000) };
    const struct
    {
        const char* name;
        std::string file;
    } cases[] = {
        { "a header without a day", TickFile(headerWith([](TickFileHeader& h) { h.time = 0; }), ticks) },
        // Taken, it would refuse every reply of today as one of an earlier day.
        { "a header of a day in 2038", TickFile(headerWith([](TickFileHeader& h) { h.time = 0x7FFFFF00; }),
                                           { MakeTick(0x7FFFFF00, 10, 100, 1000) }) },
        { "a last price that is no number", TickFile(headerWith([](TickFileHeader& h) { h.last = kNaN; }), ticks) },
        { "an infinite bid", TickFile(headerWith([](TickFileHeader& h) { h.bidPrices[2] = kInf; }), ticks) },
        { "a negative reference price",
            TickFile(headerWith([](TickFileHeader& h) { h.previousClose = -1; }), ticks) },
        { "a total volume that is no number",
            TickFile(headerWith([](TickFileHeader& h) { h.totalVolume = kNaN; }), ticks) },
        { "a trade at an infinite price", TickFile(Header(today), { MakeTick(T(2025, 3, 3, 9, 31), kInf, 100, 1000) }) },
        { "a trade of no volume", TickFile(Header(today), { MakeTick(T(2025, 3, 3, 9, 31), 10, kNaN, 1000) }) },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(dir.WriteFile("600000.fbl", c.file));
        CFenbiData series;
        EXPECT_EQ(series.Load(dir.File("600000.fbl").c_str(), kKey), 0) << c.name;
        EXPECT_EQ(series.GetHeader().time, 0) << c.name;
        EXPECT_EQ(series.GetCount(), 0) << c.name;
        // The day's ticks come as they would for a stock never shown.
        CMemoryStream stream;
        FillStream(stream,
            TickReply(MakeWireTickHeader(today, 10), { MakeWireTick(T(2025, 3, 3, 9, 31), 10, 100, 1000) }));
        EXPECT_EQ(series.Merge(kKey, &stream), 1) << c.name;
        EXPECT_EQ(series.GetCount(), 1) << c.name;
    }
    // A trade of another day is dropped, as it always was, and the rest loads.
    ASSERT_TRUE(dir.WriteFile("600000.fbl",
        TickFile(Header(today), { MakeTick(T(2025, 2, 28, 9, 31), kNaN, 1, 1), ticks[0] })));
    CFenbiData series;
    EXPECT_EQ(series.Load(dir.File("600000.fbl").c_str(), kKey), 1);
    EXPECT_EQ(series.GetCount(), 1);
}

TEST(DamagedSeriesFiles, F10FilesWithTimesAheadOrBytesThatAreNoTextAreRefused)
{
    ScopedServerTime server(kNow);
    TempDirectory dir;
    const std::string text = "\xB9\xAB\xCB\xBE\xB8\xC5\xBF\xF6\r\n" + std::string(120, 'x');
    const int32_t first = T(2025, 1, 2);
    const int32_t last = T(2025, 3, 1);
    ASSERT_TRUE(dir.WriteFile("600000.f10", F10File(first, last, text)));
    const struct
    {
        const char* name;
        std::string file;
    } cases[] = {
        // Taken, the next request would start in 2038 and no update would ever come.
        { "a last time in 2038", F10File(first, 0x7FFFFF00, text) },
        { "a first time before 1970", F10File(-5, last, text) },
        { "NULs inside", F10File(first, last, text + std::string(3, '\0') + "tail") },
        { "bytes no text has", F10File(first, last, "\xFF\xFF" + text) },
        { "a lead byte before no character", F10File(first, last, text + "\xB9 x") },
    };
    for (const auto& c : cases) {
        CF10Data series;
        ASSERT_EQ(series.Load(dir.File("600000.f10").c_str(), kKey), 1);
        ASSERT_TRUE(dir.WriteFile("bad.f10", c.file));
        EXPECT_EQ(series.Load(dir.File("bad.f10").c_str(), kKey), 0) << c.name;
        EXPECT_EQ(std::string(series.GetText(), series.GetTextLength()), text) << c.name;
        EXPECT_EQ(series.GetFirstTime(), first) << c.name;
        EXPECT_EQ(series.GetLastTime(), last) << c.name;
    }
    // A text that ends in NULs, as a reply may, is still text; so are the
    // bytes of older files: control codes, a four-byte character, a lead
    // byte cut before a line break.
    const std::string older = "\x01\x02\x1B" + text + "\x82\x31\xB7\x39\xB9\r\n\x1A";
    for (const std::string& ok : { text + std::string(2, '\0'), older }) {
        ASSERT_TRUE(dir.WriteFile("ending.f10", F10File(first, last, ok)));
        CF10Data series;
        EXPECT_EQ(series.Load(dir.File("ending.f10").c_str(), kKey), 1);
        EXPECT_GT(series.GetTextLength(), static_cast<int32_t>(text.size()));
    }
}

TEST(DamagedSeriesFiles, AFormulaFileLargerThanAnyDocumentIsNotRead)
{
    TempDirectory dir;
    std::string small(8, '\0');
    small += "\x11\x22\x33\x44";
    ASSERT_TRUE(dir.WriteFile("formula.dat", small));
    CFormuleData formulas;
    ASSERT_EQ(formulas.Load(dir.File("formula.dat").c_str()), 1);
    // One byte more than the two header words and the largest document.
    ASSERT_TRUE(dir.WriteFile("formula.dat", std::string(8 + MarketBounds::kFormulaDocumentBytes + 1, 'x')));
    EXPECT_EQ(formulas.Load(dir.File("formula.dat").c_str()), 0);
    int32_t length = 0;
    formulas.GetBuffer(&length);
    EXPECT_EQ(length, 4) << "the document held stays";
}
