#include "app/StatisTicalDlg.h"

#include "net/ServiceBaseUrl.h"
#include "skin/ControlSkinner.h"
#include "skin/NcFrameLayout.h"
#include "views/MessageProcessor.h"
#include "views/ViewIds.h"
#include "win/Menu.h"

namespace {
const COLORREF kSortCellBackground = RGB(255, 255, 255);
const COLORREF kSortCellText = RGB(128, 0, 128);
} // namespace

CStatisTicalDlg::CStatisTicalDlg()
    : m_command(4045)
    , m_dispatcher(nullptr)
    , m_fetcher(&DownloadServiceBody)
    , m_filter(0)
{
}

LRESULT CStatisTicalDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_title.SubclassWindow(GetDlgItem(IDC_STATISTICS_TITLE));
    m_title.textColour = RGB(255, 0, 0);
    m_titleFont.Create("宋体", 14, FW_NORMAL);
    m_title.font = m_titleFont;

    // The list takes the place the template keeps for it.
    HWND place = GetDlgItem(IDC_STATISTICS_LIST);
    const CRect rect = CWindow(place).GetRectInParent();
    ::DestroyWindow(place);
    m_list.Create(m_hWnd, rect, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE,
        IDC_STATISTICS_LIST);
    m_list.InitResources();

    LoadRanking();
    ::CheckRadioButton(m_hWnd, IDC_STATISTICS_ALL, IDC_STATISTICS_SHENZHEN, IDC_STATISTICS_ALL);
    GetRankingTitle();
    m_frame.Attach(m_hWnd, 2);
    m_frame.SetCaptionTextColor(RGB(192, 0, 0));
    SkinDialogButtons(*this, m_hWnd);
    GetSystemSettings();
    CenterWindow(GetParent());
    return TRUE;
}

void CStatisTicalDlg::LoadRanking()
{
    const RankingPage* page = FindRankingPage(m_command);
    if (!page)
        return;
    m_list.AddColumn("序号", 40, -1, false, kListCellInteger);
    m_list.AddColumn("股票代码", 80);
    m_list.AddColumn("股票名称", 80);
    for (const RankingColumn& column : page->columns) {
        if (column.title)
            m_list.AddColumn(column.title, column.width);
    }
    m_records.clear();
    std::string body;
    const std::string url = ServiceBaseUrl::Get() + "Zentu/live/live.php?type=" + std::to_string(page->type);
    if (m_fetcher && m_fetcher(url, body))
        m_records = ParseRankingReply(reinterpret_cast<const uint8_t*>(body.data()), body.size(), page->layout);
    ShowRankingPage(0);
}

void CStatisTicalDlg::ShowRankingPage(int filter)
{
    const RankingPage* page = FindRankingPage(m_command);
    {
        SingleLock lock(&m_list.GetListLock());
        m_list.DeleteAllItems();
        if (page) {
            for (const RankingRow& row : RankingRowsFor(*page, m_records, filter)) {
                const int index = m_list.InsertItem("", false);
                if (index < 0)
                    break;
                m_list.SetItemFormat(index, 0, kListCellInteger, 0);
                for (size_t cell = 0; cell < row.cells.size(); ++cell) {
                    const int key = static_cast<int>(cell) + 1;
                    m_list.SetItemText(index, key, row.cells[cell]);
                    if (key >= 3) {
                        const bool streak = page->layout == RankingLayout::R60 && key == 3;
                        m_list.SetItemFormat(index, key, streak ? kListCellInteger : kListCellAmount, 0);
                    }
                    if (key == page->sortColumn)
                        m_list.SetItemColors(index, key, kSortCellBackground, kSortCellText);
                }
                m_list.SetItemData(index, row.key);
            }
            m_list.SortByColumn(page->sortColumn, page->ascending ? 1 : 2, false);
            const int count = m_list.GetItemCount();
            for (int row = 0; row < count; ++row)
                m_list.SetItemText(row, 0, std::to_string(row + 1));
        }
    }
    if (m_list.m_hWnd) {
        m_list.UpdateScrollBars();
        m_list.Invalidate();
    }
    m_filter = filter;
}

void CStatisTicalDlg::GetRankingTitle()
{
    const RankingPage* page = FindRankingPage(m_command);
    if (!page || !m_title.m_hWnd)
        return;
    m_title.SetWindowText(page->title);
    m_title.Invalidate();
}

void CStatisTicalDlg::OpenRowStock(int row)
{
    if (row < 0 || !m_dispatcher)
        return;
    uint32_t key = 0;
    if (!m_list.GetItemData(row, key))
        return;
    m_dispatcher->Dispatch(kViewMsgOpenStockInMode, static_cast<WPARAM>(key), 1);
}

void CStatisTicalDlg::ShowAddToUserStockMenu(int row)
{
    if (row < 0)
        return;
    // The command takes the selected row: the clicked one becomes it.
    if (!m_list.IsRowSelected(row))
        m_list.SelectItem(row, 0, 0);
    CMenu menu(::CreatePopupMenu());
    if (menu.IsNull())
        return;
    ::AppendMenuA(menu, MF_STRING, kCmdAddUserStock, "加入自选股");
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    const int x = ClampXToWorkArea(cursor.x, cursor.y);
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, cursor.y, 0, m_hWnd, nullptr);
}

LRESULT CStatisTicalDlg::OnMenuCommand(WORD, WORD id, HWND, BOOL&)
{
    LPARAM extra = 0;
    if (id == kCmdAddUserStock || id == kCmdRemoveUserStock) {
        // Without a selected row there is no stock to give: nothing is sent.
        const int row = m_list.GetSelectedItem();
        uint32_t key = 0;
        if (row < 0 || !m_list.GetItemData(row, key))
            return 0;
        extra = static_cast<LPARAM>(key);
    }
    if (m_dispatcher)
        m_dispatcher->Dispatch(kViewMsgMenuCommand, id, extra);
    return 0;
}

LRESULT CStatisTicalDlg::OnFilter(WORD code, WORD id, HWND, BOOL& handled)
{
    if (code != BN_CLICKED) {
        handled = FALSE;
        return 0;
    }
    ShowRankingPage(id == IDC_STATISTICS_SHANGHAI ? 1 : id == IDC_STATISTICS_SHENZHEN ? -1 : 0);
    return 0;
}

LRESULT CStatisTicalDlg::OnRowNotify(int, NMHDR* header, BOOL&)
{
    OpenRowStock(reinterpret_cast<SkinListNotify*>(header)->row);
    return 0;
}

LRESULT CStatisTicalDlg::OnRightButtonUp(int, NMHDR* header, BOOL&)
{
    ShowAddToUserStockMenu(reinterpret_cast<SkinListNotify*>(header)->row);
    return 0;
}
