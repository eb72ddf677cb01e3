#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "base/ExchangeTime.h"
#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "base/PodBytes.h"
#include "net/DataProvider.h"
#include "net/QuoteRequestClient.h"
#include "net/ScReciverWindow.h"
#include "tests/support/QuoteFixtures.h"
#include "tests/support/WindowTesting.h"
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"
#include "tools/scstock/ScStockControl.h"

namespace {

// A Wednesday afternoon in exchange time: the session has run since 09:30.
const int32_t kNow = MakeExchangeTime(2026, 3, 11, 14, 0);

const uint32_t kShanghaiStock = 0x600000;
const uint32_t kShenzhenStock = 0x01000001;
const uint32_t kThirdMarketStock = 0x02400001;
const uint32_t kIndex = SimMarketTables::kShanghaiCompositeKey;

std::vector<std::string> g_boxes;
void RecordMessageBox(const char* caption)
{
    g_boxes.push_back(caption);
}

int32_t Word(const std::string& bytes, size_t offset)
{
    int32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

// The library carries volumes and amounts as 32-bit floats, so beyond 2^24
// they arrive as near as a float can hold them; times and prices arrive exact.
// Each character of pattern is one 32-bit word of a record: 'x' exact, 'f'
// through a float.
const char kBarWords[] = "xxxxxff";
const char kTickHeaderWords[] = "xxxxxxxff"
                                "xxxxx"
                                "fffff"
                                "xxxxx"
                                "fffff";
const char kTickWords[] = "xxffxfxf";

::testing::AssertionResult SameWords(
    const std::string& expected, const std::string& actual, size_t from, size_t to, const char* pattern)
{
    const size_t words = std::strlen(pattern);
    for (size_t at = from, i = 0; at + 4 <= to; at += 4, i = (i + 1) % words) {
        const uint32_t a = static_cast<uint32_t>(Word(expected, at));
        const uint32_t b = static_cast<uint32_t>(Word(actual, at));
        const double slack = pattern[i] == 'f' ? 1.0 + 2.5e-7 * std::max(a, b) : 0.0;
        if (std::fabs(static_cast<double>(a) - static_cast<double>(b)) > slack)
            return ::testing::AssertionFailure() << "word at " << at << ": " << a << " != " << b;
    }
    return ::testing::AssertionSuccess();
}

// A delivered bar or tick stream after its two leading words.
::testing::AssertionResult SameRecords(
    int32_t command, const std::string& expected, const std::string& actual)
{
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "sizes " << expected.size() << " != " << actual.size();
    if (command != kCmdTicks)
        return SameWords(expected, actual, 8, expected.size(), kBarWords);
    if (expected.size() < 8 + 116)
        return ::testing::AssertionFailure() << "no tick header";
    ::testing::AssertionResult header = SameWords(expected, actual, 8, 8 + 116, kTickHeaderWords);
    if (!header)
        return header;
    return SameWords(expected, actual, 8 + 116, expected.size(), kTickWords);
}

TEST(LibraryProviderPieces, SerialsAdvanceByTwoAndStartAgainPastTwentyEightBits)
{
    const struct
    {
        uint32_t counter;
        uint32_t serial;
    } cases[] = {
        { 0, 2 },
        { 5, 7 },
        { 0x0FFFFFFE, 0x10000000 },
        { 0x0FFFFFFF, 2 },
        { 0x10000000, 2 },
    };
    for (const auto& c : cases) {
        uint32_t counter = c.counter;
        EXPECT_EQ(c.serial, CScReciverWindow::NextSerial(counter)) << std::hex << c.counter;
        EXPECT_EQ(c.serial, counter);
    }
}

TEST(LibraryProviderPieces, PackedTimesOfTheSessionAndCodeKeysOfTheLists)
{
    EXPECT_EQ(0x25Eu, PackedDateTime(0, 0, 0, 9, 30));
    EXPECT_EQ(0x3C0u, PackedDateTime(0, 0, 0, 15, 0));
    const uint32_t open = PackStockDate(PackedDateTime(1999, 1, 1, 9, 30), 20260311);
    EXPECT_EQ(2026u << 20 | 3u << 16 | 11u << 11 | 0x25Eu, open);
    EXPECT_EQ(2026, PackedYear(open));
    EXPECT_EQ(3, PackedMonth(open));
    EXPECT_EQ(11, PackedDay(open));
    EXPECT_EQ(9, PackedHour(open));
    EXPECT_EQ(30, PackedMinute(open));

    const struct
    {
        uint16_t market;
        const char* code;
        uint32_t key;
    } cases[] = {
        { kScMarketShanghai, "600000", 0x600000 }, { kScMarketShanghai, "1A0001", 0x1A0001 },
        { kScMarketShenzhen, "000001", 0x01000001 }, { kScMarketThird, "400001", 0x02400001 },
        { 0x1234, "60a0", 0x60A0 }, // another market leaves the market byte 0
        { kScMarketShanghai, "12X4", 0x12 }, // up to the first non-digit
        { kScMarketShanghai, "", 0 }, { kScMarketShenzhen, "1234567", 0 }, // would reach the market byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.key, CScReciverWindow::CodeKeyOf(c.market, c.code, std::strlen(c.code))) << c.code;
    // The text is read no further than its field.
    EXPECT_EQ(0x6000u, CScReciverWindow::CodeKeyOf(kScMarketShanghai, "600000", 4));
}

// The provider against the stand-in library beside the test, on this
// thread's messages; the simulated market answers the network path too.
class LibraryProviderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_library = ::LoadLibraryA("SCStock.dll");
        ASSERT_NE(nullptr, m_library);
        m_setClock = Fetch<ScTestSetClockFunction>(kScTestSetClock);
        m_setFault = Fetch<ScTestSetFaultFunction>(kScTestSetFault);
        m_postSnapshots = Fetch<ScTestPostSnapshotsFunction>(kScTestPostSnapshots);
        m_postRaw = Fetch<ScTestPostRawFunction>(kScTestPostRaw);
        m_askCount = Fetch<ScTestAskCountFunction>(kScTestAskCount);
        ASSERT_TRUE(m_setClock && m_setFault && m_postSnapshots && m_postRaw && m_askCount);
        m_setClock(kNow);
        m_setFault(static_cast<int32_t>(ScStockFault::None), -1);
        m_series.SetClock(kNow);
        m_savedServerTime = ServerTime::Get();
        ServerTime::Set(kNow);
        g_boxes.clear();
        CScReciverWindow::SetMessageBox(&RecordMessageBox);
    }

    void TearDown() override
    {
        DestroyScReciverWindow();
        SetDataProviderMode(0);
        CScReciverWindow::SetLibraryPath("");
        CScReciverWindow::SetReplyDeadline(0);
        CScReciverWindow::SetMessageBox(nullptr);
        ServerTime::Set(m_savedServerTime);
        if (m_setFault)
            m_setFault(static_cast<int32_t>(ScStockFault::None), -1);
        if (m_library)
            ::FreeLibrary(m_library);
    }

    template <class F> F Fetch(const char* name)
    {
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(m_library, name)));
    }

    // Mode 1's provider, once the library's lists have arrived.
    CScReciverWindow* StartProvider()
    {
        SetDataProviderMode(1);
        IDataProvider* provider = GetDataProvider();
        CScReciverWindow* library = CScReciverWindow::PeekInstance();
        EXPECT_EQ(static_cast<IDataProvider*>(library), provider);
        if (!library)
            return nullptr;
        const size_t listed = m_tables.Securities().size();
        EXPECT_TRUE(PumpUntil([&] { return library->StockCount() == listed; }));
        return library;
    }

    // The stream a request gets through mode 1, pumping this thread's
    // messages until its one call came.
    CallbackRecord Ask(
        CScReciverWindow* provider, int32_t command, uint32_t key, uint32_t value, uint32_t value2)
    {
        CallbackRecorder calls;
        EXPECT_EQ(1,
            provider->RequestAsync(command, key, value, value2, &CallbackRecorder::OnComplete, calls.Arg(1)));
        EXPECT_TRUE(PumpUntil([&] { return calls.Count() >= 1; }));
        // Nothing more comes for it.
        PumpUntil([] { return false; }, 50);
        EXPECT_EQ(1u, calls.Count());
        return calls.Count() ? calls.Records()[0] : CallbackRecord {};
    }

    // The stream the network path delivers for the same request.
    std::string AskNetwork(int32_t command, uint32_t key, uint32_t value, uint32_t value2)
    {
        QuoteSimulator sim;
        m_tables.Install(sim);
        m_series.Install(sim);
        EXPECT_TRUE(sim.Start(0));
        QuoteRequestClient client("127.0.0.1", sim.Port());
        CMemoryStream out;
        DownloadRequest request;
        request.command = command;
        request.userData = key;
        request.value = value;
        request.value2 = value2;
        request.out = &out;
        EXPECT_EQ(0, client.Execute(request));
        return std::string(
            reinterpret_cast<const char*>(out.GetBuffer()), static_cast<size_t>(out.GetSize()));
    }

    HMODULE m_library = nullptr;
    ScTestSetClockFunction m_setClock = nullptr;
    ScTestSetFaultFunction m_setFault = nullptr;
    ScTestPostSnapshotsFunction m_postSnapshots = nullptr;
    ScTestPostRawFunction m_postRaw = nullptr;
    ScTestAskCountFunction m_askCount = nullptr;
    SimMarketTables m_tables;
    SimMarketSeries m_series;
    int32_t m_savedServerTime = 0;
};

TEST_F(LibraryProviderTest, ModeOneIsOneProviderUntilDestroyedAndListsEveryStock)
{
    CScReciverWindow* provider = StartProvider();
    ASSERT_NE(nullptr, provider);
    EXPECT_TRUE(provider->IsLibraryLoaded());
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(static_cast<IDataProvider*>(provider), GetDataProvider());

    // The code table holds what the network's does: the reply's header
    // words are the request's own, and the entries come in the library's
    // order (by market, then by position), so they are compared as a set,
    // each name up to its terminator: the bytes after it are never read.
    CMemoryStream out;
    ASSERT_EQ(1, provider->RequestSync(kCmdCodeTable, 0, 11, 22, &out));
    const std::string library(
        reinterpret_cast<const char*>(out.GetBuffer()), static_cast<size_t>(out.GetSize()));
    const std::string network = AskNetwork(kCmdCodeTable, 0, 0, 0);
    ASSERT_EQ(network.size(), library.size());
    EXPECT_EQ(11, Word(library, 0));
    EXPECT_EQ(22, Word(library, 4));
    auto entries = [](const std::string& stream) {
        std::vector<std::string> all;
        for (size_t at = 8; at + 14 <= stream.size(); at += 14) {
            std::string entry = stream.substr(at, 14);
            const size_t end = entry.find('\0', 4);
            if (end != std::string::npos)
                std::fill(entry.begin() + static_cast<std::ptrdiff_t>(end), entry.end(), '\0');
            all.push_back(entry);
        }
        std::sort(all.begin(), all.end());
        return all;
    };
    EXPECT_EQ(entries(network), entries(library));

    DestroyScReciverWindow();
    EXPECT_EQ(nullptr, CScReciverWindow::PeekInstance());
    IDataProvider* again = GetDataProvider();
    EXPECT_NE(nullptr, CScReciverWindow::PeekInstance());
    EXPECT_EQ(static_cast<IDataProvider*>(CScReciverWindow::PeekInstance()), again);
}

TEST_F(LibraryProviderTest, BarsAndTicksComeInTheNetworkLayoutFromTheSameMarket)
{
    CScReciverWindow* provider = StartProvider();
    ASSERT_NE(nullptr, provider);
    const int32_t day = MakeExchangeTime(2026, 3, 11);
    const int32_t yearAgo = MakeExchangeTime(2025, 3, 1);
    const struct
    {
        int32_t command;
        uint32_t key;
        // What the network request asks for (mode 1 asks the library for
        // the session of the server's day for five-minute bars).
        uint32_t value;
        uint32_t value2;
    } cases[] = {
        { kCmdDayBars, kShanghaiStock, static_cast<uint32_t>(yearAgo), static_cast<uint32_t>(kNow + 86400) },
        { kCmdDayBars, kShenzhenStock, static_cast<uint32_t>(yearAgo), static_cast<uint32_t>(kNow) },
        { kCmdDayBars, kThirdMarketStock, static_cast<uint32_t>(yearAgo), static_cast<uint32_t>(kNow) },
        { kCmdDayBars, kIndex, static_cast<uint32_t>(yearAgo), static_cast<uint32_t>(kNow) },
        { kCmdFiveMinuteBars, kShanghaiStock, static_cast<uint32_t>(day + 34200),
            static_cast<uint32_t>(day + 54000) },
        { kCmdFiveMinuteBars, kIndex, static_cast<uint32_t>(day + 34200),
            static_cast<uint32_t>(day + 54000) },
        { kCmdTicks, kShanghaiStock, 0, static_cast<uint32_t>(kNow + 259200) },
        { kCmdTicks, kShenzhenStock, 0, static_cast<uint32_t>(kNow + 259200) },
        { kCmdTicks, kIndex, 0, static_cast<uint32_t>(kNow + 259200) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.command << " " << c.key);
        const CallbackRecord got = Ask(provider, c.command, c.key, c.value, c.value2);
        ASSERT_EQ(1, got.ok);
        EXPECT_EQ(c.key, got.userData);
        EXPECT_EQ(provider->ReceiverThreadId(), got.threadId);
        const std::string network = AskNetwork(c.command, c.key, c.value, c.value2);
        ASSERT_GT(network.size(), 8u + 28u);
        // The records are the network's; the two leading words, which no
        // series reads, are the first and last record's times.
        EXPECT_TRUE(SameRecords(c.command, network, got.stream));
        const size_t first = c.command == kCmdTicks ? 8 + 116 : 8;
        const size_t record = c.command == kCmdTicks ? 32 : 28;
        EXPECT_EQ(Word(network, first), Word(got.stream, 0));
        EXPECT_EQ(Word(network, network.size() - record), Word(got.stream, 4));
    }
}

TEST_F(LibraryProviderTest, TicksOnceFetchedAreAnsweredFromTheCacheThatSnapshotsExtend)
{
    CScReciverWindow* provider = StartProvider();
    ASSERT_NE(nullptr, provider);
    const CallbackRecord first = Ask(provider, kCmdTicks, kShanghaiStock, 0, 0);
    ASSERT_EQ(1, first.ok);
    const int32_t lastTime = Word(first.stream, 4);

    // Answered at once from the cache: the library is not asked again.
    const int32_t asked = m_askCount();
    const CallbackRecord cached = Ask(provider, kCmdTicks, kShanghaiStock, 0, 0);
    EXPECT_EQ(first.stream, cached.stream);
    // A series that holds every tick gets the header alone.
    const CallbackRecord none = Ask(provider, kCmdTicks, kShanghaiStock, static_cast<uint32_t>(lastTime), 0);
    ASSERT_EQ(1, none.ok);
    ASSERT_EQ(8u + 116u, none.stream.size());
    EXPECT_EQ(0, Word(none.stream, 0));
    EXPECT_EQ(0, Word(none.stream, 4));
    EXPECT_EQ(asked, m_askCount());

    // Two minutes on, the library's snapshot becomes the next tick.
    m_setClock(kNow + 120);
    m_series.SetClock(kNow + 120);
    ASSERT_GT(m_postSnapshots(), 0);
    PumpPendingMessages();
    const CallbackRecord later = Ask(provider, kCmdTicks, kShanghaiStock, static_cast<uint32_t>(lastTime), 0);
    ASSERT_EQ(1, later.ok);
    ASSERT_EQ(8u + 116u + 32u, later.stream.size());
    // Headed by the new snapshot, with one tick made of it.
    const WireTickHeader header = m_series.TickHeader(kShanghaiStock);
    std::string expected(8, '\0');
    AppendPod(expected, header);
    WireTick tick = {};
    tick.time = header.time;
    tick.price = header.last;
    tick.volume = header.totalVolume;
    tick.amount = header.totalAmount;
    tick.bidPrice = header.bidPrices[0];
    tick.askPrice = header.askPrices[0];
    for (int i = 0; i < 5; ++i) {
        tick.bidVolume += header.bidVolumes[i];
        tick.askVolume += header.askVolumes[i];
    }
    AppendPod(expected, tick);
    EXPECT_TRUE(SameRecords(kCmdTicks, expected, later.stream));
    EXPECT_GT(header.time, lastTime);
    EXPECT_EQ(header.time, Word(later.stream, 0));

    // The same snapshot again is no new trade.
    ASSERT_GT(m_postSnapshots(), 0);
    PumpPendingMessages();
    EXPECT_EQ(later.stream, Ask(provider, kCmdTicks, kShanghaiStock, static_cast<uint32_t>(lastTime), 0).stream);
    EXPECT_EQ(asked, m_askCount());
}

TEST_F(LibraryProviderTest, AFaultyReplyFailsItsRequestOnceWithoutReadingPastIt)
{
    CScReciverWindow* provider = StartProvider();
    ASSERT_NE(nullptr, provider);
    const ScStockFault faults[]
        = { ScStockFault::NegativeCount, ScStockFault::HugeCount, ScStockFault::ShortBuffer };
    const int32_t commands[] = { kCmdDayBars, kCmdFiveMinuteBars, kCmdTicks };
    // Every reply ends at a page that cannot be read: reading past one
    // ends the test program.
    int code = 600001; // the simulated market lists every third code from here
    for (ScStockFault fault : faults) {
        for (int32_t command : commands) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(fault) << " " << std::hex << command);
            code += 3; // a stock without cached ticks
            const uint32_t key = static_cast<uint32_t>(std::stoul(std::to_string(code), nullptr, 16));
            m_setFault(static_cast<int32_t>(fault), 1);
            const uint32_t from = static_cast<uint32_t>(kNow - 30 * 86400);
            const CallbackRecord failed = Ask(provider, command, key, from, static_cast<uint32_t>(kNow));
            EXPECT_EQ(0, failed.ok);
            EXPECT_FALSE(failed.hadStream);
            EXPECT_EQ(0u, provider->ParkedCount());
            // The next reply is sound again and nothing was cached from the bad one.
            const int32_t asked = m_askCount();
            EXPECT_EQ(1, Ask(provider, command, key, from, static_cast<uint32_t>(kNow)).ok);
            EXPECT_EQ(asked + 1, m_askCount());
        }
    }
}

TEST_F(LibraryProviderTest, MalformedRepliesChangeNothingAndFailOnlyTheRequestTheyAnswer)
{
    CScReciverWindow* provider = StartProvider();
    ASSERT_NE(nullptr, provider);
    const size_t listed = provider->StockCount();

    // Stock lists that are not taken: the market keeps its stocks.
    auto stockList = [](int16_t count, size_t entries, uint8_t one) {
        ScStockListHead head = {};
        head.head.type = kScStockList;
        head.head.one = one;
        head.market = kScMarketShanghai;
        head.count = count;
        std::string bytes;
        AppendPod(bytes, head);
        bytes.append(entries * sizeof(ScStockListEntry), '1');
        return bytes;
    };
    const std::string lists[] = {
        stockList(-1, 0, 1), stockList(3, 2, 1), stockList(0, 0, 0), // not a reply
        std::string("\x31\x21", 2), // shorter than a head
    };
    for (const std::string& bytes : lists) {
        ASSERT_EQ(1, m_postRaw(bytes.data(), static_cast<int32_t>(bytes.size())));
        PumpPendingMessages();
        EXPECT_EQ(listed, provider->StockCount());
    }

    // Bar replies that the request's serial finds: a value with no integer
    // form, the wrong kind of bars. A fresh provider's serials are 2, 4, ...
    CallbackRecorder calls;
    m_setFault(static_cast<int32_t>(ScStockFault::NoReply), -1);
    ASSERT_EQ(1,
        provider->RequestAsync(
            kCmdDayBars, kShanghaiStock, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(1)));
    ASSERT_EQ(1,
        provider->RequestAsync(
            kCmdDayBars, kShenzhenStock, 0, 0, &CallbackRecorder::OnComplete, calls.Arg(2)));
    ASSERT_EQ(2u, provider->ParkedCount());
    auto barReply = [](uint32_t serial, uint16_t kind, float open) {
        ScBarHead head = {};
        head.head.type = kScBars;
        head.head.one = 1;
        head.head.serial = serial;
        head.barKind = kind;
        head.count = 1;
        ScBar bar = {};
        bar.time = kNow;
        bar.open = bar.high = bar.low = bar.close = open;
        std::string bytes;
        AppendPod(bytes, head);
        AppendPod(bytes, bar);
        return bytes;
    };
    const std::string nan = barReply(2, kScDayBars, std::numeric_limits<float>::quiet_NaN());
    const std::string wrongKind = barReply(4, kScFiveMinuteBars, 10.0f);
    const std::string unknownSerial = barReply(6, kScDayBars, 10.0f);
    for (const std::string* bytes : { &unknownSerial, &nan, &wrongKind })
        m_postRaw(bytes->data(), static_cast<int32_t>(bytes->size()));
    ASSERT_TRUE(PumpUntil([&] { return calls.Count() >= 2; }));
    PumpUntil([] { return false; }, 50);
    ASSERT_EQ(2u, calls.Count());
    EXPECT_EQ(0, calls.Records()[0].ok);
    EXPECT_EQ(0, calls.Records()[1].ok);
    EXPECT_EQ(0u, provider->ParkedCount());
}

TEST_F(LibraryProviderTest, RequestsThatCannotBeAskedGetTheirFailureCall)
{
    CScReciverWindow* provider = StartProvider();
    ASSERT_NE(nullptr, provider);
    const struct
    {
        int32_t command;
        uint32_t key;
    } cases[] = {
        { kCmdTicks, 0x999999 }, // not listed by the library
        { kCmdDayBars, 0x03600000 },
        { kCmdF10, kShanghaiStock }, // commands the library does not serve
        { kCmdQuotes, 0 },
        { kCmdCodeTable, 0 },
    };
    const int32_t asked = m_askCount();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.command << " " << c.key);
        const CallbackRecord failed = Ask(provider, c.command, c.key, 0, 0);
        EXPECT_EQ(0, failed.ok);
        EXPECT_EQ(c.key, failed.userData);
        EXPECT_EQ(provider->ReceiverThreadId(), failed.threadId);
    }
    EXPECT_EQ(asked, m_askCount());
    CMemoryStream out;
    EXPECT_EQ(0, provider->RequestSync(kCmdDayBars, kShanghaiStock, 0, 0, &out));
    EXPECT_EQ(0, provider->RequestSync(kCmdCodeTable, 0, 0, 0, nullptr));
}

TEST_F(LibraryProviderTest, UnansweredRequestsFailAtTheDeadlineOrWhenTheProviderGoes)
{
    CScReciverWindow::SetReplyDeadline(300);
    CScReciverWindow* provider = StartProvider();
    ASSERT_NE(nullptr, provider);
    m_setFault(static_cast<int32_t>(ScStockFault::NoReply), 1);
    const DWORD start = ::GetTickCount();
    const CallbackRecord late = Ask(provider, kCmdDayBars, kShanghaiStock, 0, 0);
    EXPECT_EQ(0, late.ok);
    EXPECT_GE(::GetTickCount() - start, 250u);

    CScReciverWindow::SetReplyDeadline(0);
    m_setFault(static_cast<int32_t>(ScStockFault::NoReply), -1);
    CallbackRecorder calls;
    const uint32_t keys[] = { 0, kShanghaiStock, SimMarketTables::kSameDayExRightsKey, kShenzhenStock };
    for (int id = 1; id <= 3; ++id) {
        ASSERT_EQ(1,
            provider->RequestAsync(id == 3 ? kCmdTicks : kCmdDayBars, keys[id], 0, 0,
                &CallbackRecorder::OnComplete, calls.Arg(id)));
    }
    PumpPendingMessages();
    EXPECT_EQ(3u, provider->ParkedCount());
    EXPECT_EQ(0u, calls.Count());
    DestroyScReciverWindow();
    ASSERT_EQ(3u, calls.Count());
    for (int id = 1; id <= 3; ++id)
        EXPECT_EQ(1, calls.CallsFor(id));
    for (const CallbackRecord& r : calls.Records())
        EXPECT_EQ(0, r.ok);

    // A provider that is gone answers nobody twice.
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(3u, calls.Count());
}

TEST_F(LibraryProviderTest, WithoutTheLibraryTheBoxShowsOnceAndEveryRequestFails)
{
    CScReciverWindow::SetLibraryPath("C:\\no-such-directory\\SCStock.dll");
    SetDataProviderMode(1);
    IDataProvider* provider = GetDataProvider();
    CScReciverWindow* library = CScReciverWindow::PeekInstance();
    ASSERT_NE(nullptr, library);
    EXPECT_EQ(static_cast<IDataProvider*>(library), provider);
    EXPECT_FALSE(library->IsLibraryLoaded());
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("cannot load library: SCStock.dll", g_boxes[0]);

    CMemoryStream out;
    EXPECT_EQ(0, provider->RequestSync(kCmdCodeTable, 0, 0, 0, &out));
    const CallbackRecord failed = Ask(library, kCmdDayBars, kShanghaiStock, 0, 0);
    EXPECT_EQ(0, failed.ok);
    EXPECT_EQ(1u, g_boxes.size());
}

} // namespace
