#pragma once
// The ranking statistics dialog: one of the twelve rankings of the service in
// a skinned list with a market filter. A row opens its stock in the main
// window; its context menu adds the stock to the user's list. The ranking is
// fetched once, when the dialog opens.
#include "app/RankingRecords.h"
#include "app/ServiceDownload.h"
#include "skin/DialogBackground.h"
#include "res/resource.h"
#include "skin/BaseDlg.h"
#include "skin/SkinContextMenu.h"
#include "skin/SkinListImpl.h"
#include "skin/SkinListNotify.h"
#include "skin/SkinStatic.h"
#include "views/ViewIds.h"
#include "win/DialogImpl.h"
#include "win/Gdi.h"
#include <vector>

class CMessageProcessor;

class CStatisTicalDlg : public CDialogImpl<CStatisTicalDlg>,
                        public CBaseDlg,
                        public CSkinContextMenu<CStatisTicalDlg>
{
public:
    enum { IDD = IDD_STATISTICS };

    CStatisTicalDlg();

    void SetCommand(UINT command) { m_command = command; }
    UINT GetCommand() const { return m_command; }
    // The opener's hub, for the rows' stocks and the context menu's command.
    void SetDispatcher(CMessageProcessor* dispatcher) { m_dispatcher = dispatcher; }
    // How the ranking is fetched (the program's HTTP client unless replaced).
    void SetFetcher(ServiceFetcher fetcher) { m_fetcher = std::move(fetcher); }

    void LoadRanking();
    // Filter 0 all, 1 Shanghai, -1 Shenzhen.
    void ShowRankingPage(int filter);
    void GetRankingTitle();
    void OpenRowStock(int row);
    void ShowAddToUserStockMenu(int row);
    int GetFilter() const { return m_filter; }
    CSkinListImpl& GetList() { return m_list; }
    const std::vector<RankingRecord>& GetRecords() const { return m_records; }

    BEGIN_MSG_MAP(CStatisTicalDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        COMMAND_ID_HANDLER(IDCANCEL, EndDialogCancel)
        COMMAND_RANGE_HANDLER(kMenuCommandFirst, kMenuCommandLast, OnMenuCommand)
        COMMAND_RANGE_HANDLER(IDC_STATISTICS_ALL, IDC_STATISTICS_SHENZHEN, OnFilter)
        COMMAND_ID_HANDLER(IDOK, EndDialogOk)
        NOTIFY_HANDLER(IDC_STATISTICS_LIST, SLN_DBLCLK, OnRowNotify)
        NOTIFY_HANDLER(IDC_STATISTICS_LIST, SLN_SELCHANGED, OnRowNotify)
        NOTIFY_HANDLER(IDC_STATISTICS_LIST, SLN_LBUTTONUP, OnRowNotify)
        NOTIFY_HANDLER(IDC_STATISTICS_LIST, SLN_RBUTTONUP, OnRightButtonUp)
        CHAIN_MSG_MAP(CSkinContextMenu<CStatisTicalDlg>)
        CHAIN_MSG_MAP(CBaseDlg)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        return PaintSkinnedDialogBackground(m_hWnd, reinterpret_cast<HDC>(wp), m_frame);
    }
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnMenuCommand(WORD, WORD id, HWND, BOOL&);
    LRESULT OnFilter(WORD code, WORD id, HWND, BOOL& handled);
    LRESULT OnRowNotify(int, NMHDR* header, BOOL&);
    LRESULT OnRightButtonUp(int, NMHDR* header, BOOL&);

    UINT m_command;
    CMessageProcessor* m_dispatcher;
    ServiceFetcher m_fetcher;
    CSkinListImpl m_list;
    CSkinGradientStatic m_title;
    CFont m_titleFont;
    std::vector<RankingRecord> m_records;
    int m_filter;
};
