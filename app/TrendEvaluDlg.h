#pragma once
// The trend evaluation dialog: asks the service for a short-term, pattern or
// technical verdict on the current stock and shows it after a progress
// animation of about three seconds, driven by a short-lived thread while a
// message loop of its own keeps the dialog alive.
#include "app/ServiceDownload.h"
#include "base/Thread.h"
#include "skin/DialogBackground.h"
#include "res/resource.h"
#include "skin/BaseDlg.h"
#include "skin/SkinStatic.h"
#include "win/DialogImpl.h"
#include "win/Gdi.h"
#include "win/UiTaskQueue.h"
#include <atomic>
#include <functional>
#include <string>

// What the dialog keeps of the current stock: copies, never the snapshot.
struct TrendStock
{
    std::string code;
    std::string name;
    bool index = false;
};

class CTrendEvaluDlg : public CDialogImpl<CTrendEvaluDlg>, public CBaseDlg, public CThread
{
public:
    enum { IDD = IDD_TREND_EVALUATION };
    static const int kAnimationSteps = 60;
    static const DWORD kStepMs = 50;

    // False when there is no current stock.
    using StockSource = std::function<bool(TrendStock& out)>;

    CTrendEvaluDlg();
    ~CTrendEvaluDlg() override;

    void SetTitle(const char* title)
    {
        if (title)
            m_title = title;
    }
    // 4014 short-term (2), 4015 pattern (1), 4017 technical (3); other
    // commands leave the type as it is.
    void SetKind(UINT command);
    int32_t GetType() const { return m_type; }
    // Where the current stock comes from (the data center unless replaced).
    void SetStockSource(StockSource source) { m_stockSource = std::move(source); }
    void SetFetcher(ServiceFetcher fetcher) { m_fetcher = std::move(fetcher); }
    // Called with every position the bar is given (tests watch it).
    void SetProgressObserver(std::function<void(int)> observer) { m_progressObserver = std::move(observer); }

    void Evaluate();
    void SetResultText(const std::string& text);
    const std::string& GetResultText() const { return m_resultText; }
    int GetProgress() const { return m_shownProgress; }

    // The progress thread.
    void Run() override;

    BEGIN_MSG_MAP(CTrendEvaluDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        CHAIN_MSG_MAP_MEMBER(m_tasks)
        COMMAND_ID_HANDLER(IDCANCEL, EndDialogCancel)
        COMMAND_ID_HANDLER(IDC_TREND_EVALUATE, OnEvaluate)
        CHAIN_MSG_MAP(CBaseDlg)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        return PaintSkinnedDialogBackground(m_hWnd, reinterpret_cast<HDC>(wp), m_frame);
    }
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEvaluate(WORD, WORD, HWND, BOOL&);
    void SetProgress(int position);
    void EnableButtons(bool enable);
    // The nested loop of the animation; false when the dialog was closed.
    void RunAnimationLoop();

    std::string m_title;
    int32_t m_type;
    bool m_hasStock;
    // Set while an evaluation runs its nested loop: a click that reaches the
    // button then (a posted one reaches even a disabled button) must not start
    // a second evaluation over the first one's thread.
    bool m_evaluating = false;
    TrendStock m_stock;
    StockSource m_stockSource;
    ServiceFetcher m_fetcher;
    std::function<void(int)> m_progressObserver;
    CSkinStatic m_result;
    CFont m_resultFont;
    std::string m_resultText;
    HWND m_progressBar;
    std::atomic<int32_t> m_position;
    std::atomic<int32_t> m_done;
    int m_shownProgress;
    // The progress thread shows every step through here, which also wakes
    // the animation's loop when no other message comes.
    CUiTaskQueue m_tasks;
};
