#include "app/TrendEvaluDlg.h"

#include <commctrl.h>

#include "base/PercentEncode.h"
#include "data/DataCenter.h"
#include "data/Stock.h"
#include "net/ServiceBaseUrl.h"
#include "skin/ControlSkinner.h"

namespace {
const char kIndexRefusal[] = "不能对指数进行诊断!";
const char kCalculating[] = "正在计算...";
const char kUnclear[] = "该股趋势不明，请谨慎操作！";

bool CurrentStockFromDataCenter(TrendStock& out)
{
    CDataCenter* center = CDataCenter::PeekInstance();
    if (!center)
        return false;
    SingleLock lock(&center->GetDataLock());
    CStock* stock = nullptr;
    if (!center->GetCurrentStock(&stock) || !stock)
        return false;
    out.code = stock->GetStockInfo().GetCode();
    out.name = stock->GetStockInfo().GetName();
    out.index = stock->GetStockInfo().IsIndex() != 0;
    return true;
}
} // namespace

CTrendEvaluDlg::CTrendEvaluDlg()
    : m_type(0)
    , m_hasStock(false)
    , m_stockSource(&CurrentStockFromDataCenter)
    , m_fetcher(&DownloadServiceBody)
    , m_progressBar(nullptr)
    , m_position(0)
    , m_done(0)
    , m_shownProgress(0)
{
}

CTrendEvaluDlg::~CTrendEvaluDlg()
{
    Stop();
}

void CTrendEvaluDlg::SetKind(UINT command)
{
    switch (command) {
    case 4014:
        m_type = 2;
        break;
    case 4015:
        m_type = 1;
        break;
    case 4017:
        m_type = 3;
        break;
    default:
        break;
    }
}

LRESULT CTrendEvaluDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_tasks.Attach(m_hWnd);
    m_progressBar = GetDlgItem(IDC_TREND_PROGRESS);
    ::SendMessageA(m_progressBar, PBM_SETRANGE32, 0, 100);
    m_hasStock = m_stockSource && m_stockSource(m_stock);
    if (!m_hasStock) {
        // Nothing to diagnose: the button stays off, the dialog can be closed.
        ::EnableWindow(GetDlgItem(IDC_TREND_EVALUATE), FALSE);
        SetDlgItemText(IDC_TREND_CODE, "");
        SetDlgItemText(IDC_TREND_NAME, "");
    } else {
        SetDlgItemText(IDC_TREND_CODE, m_stock.code.c_str());
        SetDlgItemText(IDC_TREND_NAME, m_stock.name.c_str());
    }
    m_result.SubclassWindow(GetDlgItem(IDC_TREND_RESULT));
    m_result.SetTextColour(RGB(0, 0, 255));
    m_resultFont.Create("宋体", 14, FW_NORMAL);
    m_result.SetFont(m_resultFont);
    m_frame.Attach(m_hWnd, 2);
    m_frame.SetCaptionTextColor(RGB(192, 0, 0));
    SkinDialogButtons(*this, m_hWnd);
    SetWindowText(m_title.c_str());
    CenterWindow(GetParent());
    return TRUE;
}

LRESULT CTrendEvaluDlg::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    m_done.store(1);
    return 0;
}

LRESULT CTrendEvaluDlg::OnEvaluate(WORD, WORD, HWND, BOOL&)
{
    Evaluate();
    return 0;
}

void CTrendEvaluDlg::SetResultText(const std::string& text)
{
    m_resultText = text;
    if (m_result.m_hWnd) {
        m_result.SetText(text);
        m_result.UpdateWindow();
    }
}

void CTrendEvaluDlg::SetProgress(int position)
{
    if (position > 100)
        position = 100;
    m_shownProgress = position;
    if (m_progressBar)
        ::SendMessageA(m_progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    if (m_progressObserver)
        m_progressObserver(position);
}

void CTrendEvaluDlg::EnableButtons(bool enable)
{
    ::EnableWindow(GetDlgItem(IDC_TREND_EVALUATE), enable && m_hasStock ? TRUE : FALSE);
    ::EnableWindow(GetDlgItem(IDCANCEL), enable ? TRUE : FALSE);
}

void CTrendEvaluDlg::Evaluate()
{
    if (!m_hasStock || m_evaluating)
        return;
    if (m_stock.index) {
        SetResultText(kIndexRefusal);
        return;
    }
    m_evaluating = true;
    EnableButtons(false);
    SetResultText(kCalculating);
    SetProgress(10);
    const std::string url = ServiceBaseUrl::Get() + "zentu/live/stock_trend.php?type=" + std::to_string(m_type)
        + "&code=" + PercentEncode(m_stock.code);
    SetProgress(30);
    std::string body;
    const bool fetched = m_fetcher && m_fetcher(url, body);
    if (fetched && !body.empty()) {
        SetProgress(40);
        m_position.store(40);
        m_done.store(0);
        if (Start(false))
            RunAnimationLoop();
        Stop();
        ::ShowWindow(m_progressBar, SW_HIDE);
        // The body has no terminator of its own: it is taken by its length.
        SetResultText(body);
    } else {
        SetResultText(kUnclear);
    }
    SetProgress(100);
    EnableButtons(true);
    m_evaluating = false;
}

void CTrendEvaluDlg::RunAnimationLoop()
{
    MSG msg;
    while (!m_done.load()) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: the quit belongs to the loop outside.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (got == -1)
            return;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        if (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE) {
            EndDialog(0);
            return;
        }
    }
}

void CTrendEvaluDlg::Run()
{
    // Shown only while the evaluation that started this thread runs: a step
    // that waits past its end must not move the bar back from 100.
    const UiTask showStep = [this] {
        if (m_evaluating)
            SetProgress(m_position.load());
    };
    for (int step = 0; step < kAnimationSteps && !IsStopRequested(); ++step) {
        ::Sleep(kStepMs);
        m_position.fetch_add(1);
        m_tasks.Post(showStep);
    }
    m_done.store(1);
    m_tasks.Post(showStep);
}
