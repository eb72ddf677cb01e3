// Skinned list benchmark: the quote list's refresh, a refill of 5,000 rows
// of 20 columns in recycling mode (emptied, then every row inserted at its
// position and its texts set, the scroll bars updated once), one full paint
// of a 1920x1080 list through its memory bitmap, and the two together.
//   bench_list [runs]     (default 20)
#include "bench/BenchTiming.h"
#include "skin/SkinListImpl.h"
#include "win/AppModule.h"
#include "win/Dib32.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kRows = 5000;
const int kColumns = 20;
const int kWidth = 1920;
const int kHeight = 1080;

class CHost : public CWindowImpl<CHost, CWindow, CWinTraits<WS_POPUP | WS_CLIPCHILDREN>>
{
public:
    DECLARE_WND_CLASS_EX("ZtListBenchHost", 0, COLOR_WINDOW + 1)
    BEGIN_MSG_MAP(CHost)
    END_MSG_MAP()
};

typedef std::vector<std::vector<std::string>> Texts;

// Texts as a quote list shows them: code, name, prices, amounts with units.
Texts MakeTexts(int pass)
{
    Texts rows(kRows);
    char buffer[64];
    for (int r = 0; r < kRows; ++r) {
        rows[r].resize(kColumns);
        std::snprintf(buffer, sizeof(buffer), "%06d", 600000 + r);
        rows[r][0] = buffer;
        rows[r][1] = "股票" + std::to_string(r);
        for (int c = 2; c < kColumns; ++c) {
            const double v = ((r * 131 + c * 17 + pass * 7) % 10000) / 100.0;
            if (c % 4 == 0)
                std::snprintf(buffer, sizeof(buffer), "%.2f万", v * 13);
            else if (c % 4 == 1)
                std::snprintf(buffer, sizeof(buffer), "%.2f亿", v / 7);
            else
                std::snprintf(buffer, sizeof(buffer), "%.2f", v);
            rows[r][c] = buffer;
        }
    }
    return rows;
}

double Refill(CSkinListImpl& list, const Texts& texts)
{
    list.DeleteAllItems();
    for (int r = 0; r < kRows; ++r) {
        list.InsertItem(r, texts[r][0], false, -1, 0, 0);
        for (int c = 1; c < kColumns; ++c)
            list.SetItemText(r, c, texts[r][c]);
    }
    list.UpdateScrollBars();
    return list.GetItemCount();
}

double Paint(CSkinListImpl& list, CDib32& image)
{
    list.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image.GetDC()), PRF_CLIENT);
    ::GdiFlush();
    return image.GetColor(kWidth / 2, kHeight / 2);
}

}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
    CAppModule::Get().Init();
    CHost host;
    if (!host.Create(nullptr, CRect(0, 0, kWidth, kHeight))) {
        std::printf("no host window\n");
        return 1;
    }
    ::SetWindowPos(host, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    CSkinListCtrlData list;
    list.m_options.recycling = true;
    if (!list.Create(host, CRect(0, 0, kWidth, kHeight), nullptr, WS_CHILD | WS_VISIBLE)) {
        std::printf("no list window (skin files or resources missing?)\n");
        return 1;
    }
    const char* titles[kColumns] = { "代码", "名称", "现价", "涨跌", "涨幅", "成交额", "成交量", "开盘", "最高",
        "最低", "昨收", "换手", "量比", "振幅", "市盈", "买入", "卖出", "总额", "外盘", "内盘" };
    for (int c = 0; c < kColumns; ++c)
        list.AddColumn(titles[c], 96, -1, c == 0, c >= 2 ? kListCellAmount : 0, c >= 2 ? kListAlignRight : 0);
    const Texts passes[2] = { MakeTexts(0), MakeTexts(1) };
    CDib32 image;
    if (!image.Create(kWidth, kHeight)) {
        std::printf("no bitmap\n");
        return 1;
    }

    const BenchTiming first = MeasureMs([&] { return Refill(list, passes[0]); }, 1, 0);
    int pass = 0;
    const BenchTiming refill = MeasureMs([&] { return Refill(list, passes[++pass % 2]); }, runs, 2);
    const BenchTiming paint = MeasureMs([&] { return Paint(list, image); }, runs, 2);
    const BenchTiming both
        = MeasureMs([&] { return Refill(list, passes[++pass % 2]) + Paint(list, image); }, runs, 2);

    std::printf("skinned list: %d rows x %d columns, %dx%d, %d runs (median / 90th percentile)\n", kRows,
        kColumns, kWidth, kHeight, runs);
    std::printf("  first fill (allocating)  %8.2f ms\n", first.median);
    std::printf("  refill (recycling)       %8.2f ms  %8.2f ms\n", refill.median, refill.p90);
    std::printf("  full paint               %8.2f ms  %8.2f ms\n", paint.median, paint.p90);
    std::printf("  refill + paint           %8.2f ms  %8.2f ms   (target: under 50 ms)\n", both.median, both.p90);
    host.DestroyWindow();
    return 0;
}
