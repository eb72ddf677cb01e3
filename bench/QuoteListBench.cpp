// The quote list's refresh: the simulated market's quotes merged into the
// quote table, the board filled and sorted into the list, then one paint of
// the list. Run on demand under Wine (needs a display):
//   scripts/wine-run --prefix build/wineprefix build/bin/bench_quotelist.exe
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>

#include "base/MemoryStream.h"
#include "bench/BenchTiming.h"
#include "data/CodeTable.h"
#include "data/DataLock.h"
#include "data/ReportData.h"
#include "tools/marketdata/SimMarketTables.h"
#include "views/ReportView.h"
#include "views/ViewDataSource.h"
#include "win/AppModule.h"
#include "win/Dib32.h"

namespace {

// The simulated market's quotes and names; the data lock and a browse list
// as the program's.
class BenchData : public IViewDataSource
{
public:
    const QuoteMap* quotes = nullptr;
    const CCodeTable* codes = nullptr;
    StockPagingList paging;

    CriticalSection* DataLock() override { return &GetDataLock(); }
    StockPagingList* GetPagingList() override { return &paging; }
    QuoteMap GetQuotes() override { return *quotes; }
    void GetCodeAndName(CodeKey key, std::string& code, std::string& name) override
    {
        code = codes->GetCodeOfKey(key);
        name = codes->GetNameOfKey(key);
    }
};

class CNullProcessor : public CMessageProcessor
{
public:
    int Register(UINT, CMessageAcceptor*) override { return 1; }
    int Dispatch(UINT, WPARAM, LPARAM) override { return 0; }
};

bool Merge(const SimReply& reply, CCodeTable* codes, CReportData* quotes)
{
    const std::string bytes = SimMarketTables::Delivered(reply);
    CMemoryStream stream;
    stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.Seek(0, 0);
    return codes ? codes->Merge(&stream) == 1 : quotes->Merge(0, &stream) == 1;
}

void Report(const char* what, size_t rows, const BenchTiming& timing)
{
    std::printf("%-44s %6zu rows  median %8.2f ms  p90 %8.2f ms\n", what, rows, timing.median, timing.p90);
}

} // namespace

int main()
{
    // As in the program: the list registers itself for drag and drop.
    ::OleInitialize(nullptr);
    CAppModule::Get().Init();
    HWND host = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1280, 1000,
        nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    SimMarketTables market;
    CCodeTable codes;
    CReportData table;
    if (!host || !Merge(market.CodeTableReply(), &codes, nullptr)
        || !Merge(market.QuotesReply(), nullptr, &table)) {
        std::printf("set-up failed\n");
        return 1;
    }
    CNullProcessor processor;
    BenchData data;
    CReportView view(&processor, &data);
    QuoteMap quotes = table.GetQuoteMap();
    data.quotes = &quotes;
    data.codes = &codes;
    RECT rect = { 0, 0, 1280, 1000 };
    if (!view.Create(host, rect)) {
        std::printf("the view was not created\n");
        return 1;
    }

    // The simulated market: every refresh moves the prices.
    const BenchTiming refresh = MeasureMs([&] {
        Merge(market.QuotesReply(), nullptr, &table);
        quotes = table.GetQuoteMap();
        view.ShowBoard(kBoardAllA, 3);
        return static_cast<double>(view.GetList().GetItemCount());
    });
    Report("refresh: merge, fill board 6, sort by change", static_cast<size_t>(view.GetList().GetItemCount()),
        refresh);

    // A market of the real size: 5,000 quotes on board 6.
    QuoteMap large;
    CCodeTable largeCodes;
    for (uint32_t i = 0; i < 5000; ++i) {
        const uint32_t key = i < 2500 ? 0x600000 + i : 0x01000000 + i;
        CodeTableRecord record = {};
        record.key = key;
        std::snprintf(record.name, sizeof(record.name), "S%u", i);
        largeCodes.AddEntry(record);
        QuoteRecord quote = {};
        quote.key = key;
        quote.previousClose = 10;
        quote.last = 9.0f + static_cast<float>((i * 7919) % 2000) / 1000.0f;
        quote.open = quote.high = quote.low = quote.last;
        quote.volume = static_cast<float>(i * 100);
        quote.amount = static_cast<float>(i * 1000);
        large[key] = quote;
    }
    quotes = large;
    data.codes = &largeCodes;
    const BenchTiming fill = MeasureMs(
        [&] {
            view.ShowBoard(kBoardAllA, 3);
            return static_cast<double>(view.GetList().GetItemCount());
        },
        20, 3);
    Report("refresh: fill board 6, sort by change", static_cast<size_t>(view.GetList().GetItemCount()), fill);

    CDib32 image;
    RECT client = {};
    ::GetClientRect(view.GetList().m_hWnd, &client);
    if (!image.Create(client.right, client.bottom))
        std::printf("no image %ld x %ld\n", client.right, client.bottom);
    const BenchTiming paint = MeasureMs([&] {
        view.GetList().SendMessage(
            WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image.GetDC()), PRF_CLIENT | PRF_ERASEBKGND);
        ::GdiFlush();
        return 1.0;
    });
    Report("paint: the list at 1280 x 983", static_cast<size_t>(view.GetList().GetItemCount()), paint);
    view.DestroyWindow();
    ::DestroyWindow(host);
    ::OleUninitialize();
    return 0;
}
