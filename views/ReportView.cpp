#include "views/ReportView.h"

#include "base/DataPaths.h"
#include "base/GdiObjectCache.h"
#include "data/GroupData.h"
#include "skin/EnBitmap.h"
#include "skin/NcFrameLayout.h"
#include "skin/SkinListNotify.h"
#include "views/ViewDataSource.h"

namespace {

const UINT kDeleteKey = VK_DELETE;
const UINT kEnterKey = VK_RETURN;
const COLORREF kHeaderText = 0xE6E6E6;
const COLORREF kSelection = 0x8CF0F0;
const COLORREF kText = 0xC0C0C0;
const char kRemoveText[] = "删除";

HBITMAP LoadSkinBitmap(const char* name)
{
    DataPaths* paths = DataPaths::Instance();
    if (!paths)
        return nullptr;
    const std::string path = paths->GetSkinFile(name);
    return static_cast<HBITMAP>(::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

} // namespace

CReportView::CReportView(CMessageProcessor* owner, IViewDataSource* data)
    : CBaseView(kViewReport, data)
    , m_board(kBoardShanghaiA)
    , m_sortedOnce(false)
    , m_boardParam(0)
{
    SetOwnerAndRegister(
        owner, { kViewMsgKeyDown, kViewMsgMouseWheel, kViewMsgUserListChanged, kViewMsgSectorTreeChanged });
    m_list.onRowsSwapped = [this](uint32_t first, uint32_t second) { OnRowsSwapped(first, second); };
}

CReportView::~CReportView()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

UserStockList* CReportView::GetUserList() const
{
    return UserStockList::Instance();
}

const GroupIndex* CReportView::GetGroups() const
{
    return GroupIndex::Instance();
}

LRESULT CReportView::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_tasks.Attach(m_hWnd);
    GetSystemSettings();
    m_board = kBoardShanghaiA;
    RECT none = {};
    m_scroll.Create(m_hWnd, none, nullptr, WS_CHILD | WS_VISIBLE | SBS_HORZ);
    m_scroll.SetBitmaps(LoadSkinBitmap("scroll_back.bmp"), LoadSkinBitmap("scroll_thumb.bmp"),
        LoadSkinBitmap("scroll_left.bmp"), LoadSkinBitmap("scroll_right.bmp"));

    DataPaths* paths = DataPaths::Instance();
    if (paths)
        m_list.m_options.imageStripPath = paths->GetSkinFile("ListItems.bmp");
    m_list.Create(m_hWnd, none, nullptr, 0, 0, kListId);
    m_list.SetListFont(CreatePlainFont(14, "System", 700));
    ::SetWindowLongPtrA(m_list.m_hWnd, GWL_STYLE,
        ::GetWindowLongPtrA(m_list.m_hWnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_HSCROLL));
    m_list.m_colors.background = 0;
    m_list.m_colors.headerBackground = 0;
    m_list.m_colors.headerText = kHeaderText;
    m_list.m_colors.selection = kSelection;
    m_list.m_colors.text = kText;
    m_list.m_options.visualStyles = false;
    m_list.m_options.cellSelection = false;
    m_list.m_options.roundedSelection = false;
    m_list.m_options.underlineSelection = true;
    m_list.m_options.recycling = true;
    m_list.m_options.sortCallback = &CReportView::OnSorted;
    m_list.m_options.sortCallbackValue = reinterpret_cast<UINT_PTR>(this);
    m_list.m_options.externalHScroll = m_scroll.m_hWnd;
    m_scroll.SetNotifyWindow(m_list.m_hWnd);

    m_strip.Create(m_hWnd, none, "FlatTab",
        WS_CHILD | WS_VISIBLE | CSkinFlatTabCtrl::kStyleToolTip | CSkinFlatTabCtrl::kStyleArrows
            | CSkinFlatTabCtrl::kStyleBottomTabs,
        0, kBoardStripId);
    m_strip.m_unselectedFill = 0x969696;
    m_strip.m_unselectedText = 0x000000;
    m_strip.m_selectedFill = 0x000080;
    m_strip.m_selectedText = 0xFFFF80;
    for (int i = 0; i < 9; ++i)
        m_strip.AddItem(i, kBoardTabs[i].label);

    m_list.DeleteAllItems();
    m_list.m_options.fixedLeadingColumns = 1;
    for (const ReportColumn& column : kReportColumns)
        m_list.AddColumn(column.title, column.width, -1, false, column.kind, column.format);
    const CRect client = GetClientRect();
    Layout(client.Width(), client.Height());
    ShowBoard(kBoardShanghaiA, 0);
    return 0;
}

void CReportView::OnSize(UINT, CSize client, BOOL&)
{
    Layout(client.cx, client.cy);
}

void CReportView::Layout(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    const int rowTop = height - kBottomRowHeight;
    if (m_list.m_hWnd)
        m_list.MoveWindow(CRect(0, 0, width, std::max(0, rowTop)));
    if (m_strip.m_hWnd)
        m_strip.MoveWindow(CRect(0, rowTop, std::min(width, kBoardStripWidth), height));
    if (m_scroll.m_hWnd)
        m_scroll.MoveWindow(CRect(std::min(width, kBoardStripWidth), rowTop, width, height));
}

LRESULT CReportView::OnPaint(UINT message, WPARAM, LPARAM, BOOL&)
{
    // The children cover the client area.
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        ::BeginPaint(m_hWnd, &paint);
        ::EndPaint(m_hWnd, &paint);
    }
    return 0;
}

void CReportView::AddStockRow(int row, CodeKey key, const QuoteRecord& quote)
{
    const int index = m_list.InsertItem(row, std::string(), false, -1, 0, 0);
    if (index < 0)
        return;
    std::string code;
    std::string name;
    Data().GetCodeAndName(key, code, name);
    const ReportRowCells cells = FormatReportRow(quote, code, name);
    const COLORREF background = m_list.m_colors.background;
    for (int column = 0; column < kReportColumnCount; ++column) {
        m_list.SetItemText(index, column, cells.text[column]);
        m_list.SetItemFormat(index, column, kReportColumns[column].kind, kReportColumns[column].format);
        if (!cells.useDefaultColour[column])
            m_list.SetItemColors(index, column, background, cells.colour[column]);
    }
    if (GdiObjectCache* cache = GdiObjectCache::Instance())
        m_list.SetItemFont(index, 2, cache->GetFont(16, "宋体", 400));
    m_list.SetItemData(index, key);
}

void CReportView::ShowBoard(int32_t board, int32_t sortColumn)
{
    // The data lock before the view lock, as on every thread.
    SingleLock dataLock(Data().DataLock());
    SingleLock viewLock(&m_viewLock);
    const int32_t previous = m_board.exchange(board);
    // A sector group shows under the sector tab; a refresh of a fixed board
    // while the sector menu is open re-selects that board's own tab.
    if (m_strip.m_hWnd)
        m_strip.SetCurSel(IsFixedBoard(board) ? board : kBoardSectorMenu);
    m_list.m_options.rowDragging = false;
    int rememberedRow = -1;
    int rememberedColumn = -1;
    {
        SingleLock listLock(&m_list.GetListLock());
        m_list.GetSelectedCell(rememberedRow, rememberedColumn);
        m_list.DeleteAllItems();
        const QuoteMap quotes = Data().GetQuotes();
        UserStockList* users = GetUserList();
        static const std::vector<UserStockList::Entry> kNoEntries;
        const std::vector<CodeKey> keys
            = CollectBoardKeys(board, quotes, users ? users->GetEntries() : kNoEntries, GetGroups());
        int row = 0;
        for (CodeKey key : keys)
            AddStockRow(row++, key, quotes.at(key));
    }
    m_list.UpdateScrollBars();
    if (sortColumn != 0) {
        m_list.SortByColumn(sortColumn, 2, false);
    } else if (board == kBoardUserList) {
        m_list.ClearSortColumn();
        m_list.m_options.rowDragging = true;
    } else {
        const int sortKey = m_list.GetSortKey();
        const int column = sortKey >= 0 ? m_list.FindColumnByKey(sortKey) : -1;
        if (column >= 0)
            m_list.SortByColumn(column, m_list.IsSortAscending() ? 1 : 2, true);
        else
            m_list.SortByColumn(1, 1, true);
    }
    m_sortedOnce = true;
    SelectRow(ReselectRow(previous == board, rememberedRow));
    m_boardParam = sortColumn;
    if (m_list.m_hWnd)
        m_list.Invalidate(false);
}

void CReportView::SelectRow(int row)
{
    m_list.SetFocusCell(row, -1);
    m_list.EnsureVisible(row, -1);
    m_list.SelectOnly(row);
    if (StockPagingList* paging = Data().GetPagingList())
        paging->SetCursor(row);
}

void CReportView::OnSorted(UINT_PTR value)
{
    CReportView* view = reinterpret_cast<CReportView*>(value);
    if (!view)
        return;
    if (view->m_sortedOnce)
        view->ReplacePagingListWithRows();
    // After a sort the rows no longer follow the user's order.
    view->m_list.m_options.rowDragging = false;
}

void CReportView::ReplacePagingListWithRows()
{
    StockPagingList* paging = Data().GetPagingList();
    if (!paging)
        return;
    SingleLock listLock(&m_list.GetListLock());
    paging->Clear();
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        uint32_t data = 0;
        if (m_list.GetItemData(row, data))
            paging->Add(static_cast<int32_t>(data));
    }
}

int64_t CReportView::GetSelectedCodeKey() const
{
    const int row = m_list.GetSelectedItem();
    uint32_t data = 0;
    if (row < 0 || !m_list.GetItemData(row, data))
        return -1;
    return data;
}

void CReportView::OpenStock(uint32_t key)
{
    // The stock becomes current in the browse list the panel finds: the user
    // board's own order, so that paging walks that board.
    if (m_board.load() == kBoardUserList)
        ReplacePagingListWithRows();
    if (CMessageProcessor* owner = GetOwner())
        owner->Dispatch(kViewMsgOpenStock, key, 0);
}

int CReportView::Accept(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    switch (messageId) {
    case kViewMsgKeyDown:
        if (wParam == kDeleteKey) {
            // Only the stock of the first selected row leaves the user's list.
            const std::set<int> selection = m_list.GetSelection();
            uint32_t data = 0;
            if (m_board.load() == kBoardUserList && !selection.empty()
                && m_list.GetItemData(*selection.begin(), data) && GetOwner())
                GetOwner()->Dispatch(kViewMsgMenuCommand, kCmdRemoveUserStock, static_cast<LPARAM>(data));
        } else if (wParam == kEnterKey) {
            // Without a selected row there is no stock to open.
            const int64_t key = GetSelectedCodeKey();
            if (key >= 0)
                OpenStock(static_cast<uint32_t>(key));
        } else if (m_list.m_hWnd) {
            m_list.SendMessage(WM_KEYDOWN, wParam, lParam);
        }
        break;
    case kViewMsgMouseWheel:
        if (m_list.m_hWnd)
            m_list.SendMessage(WM_MOUSEWHEEL, wParam, lParam);
        break;
    case kViewMsgUserListChanged:
        if (m_board.load() == kBoardUserList)
            ShowBoard(kBoardUserList, 0);
        break;
    case kViewMsgQuotesRefreshed:
        // On the worker that merged the quotes, under the data lock: the
        // filling is left to the UI thread.
        m_tasks.PostOnce(kTaskRefreshBoard, [this] { ShowBoard(m_board.load(), 0); });
        break;
    default:
        break;
    }
    return 1;
}

LRESULT CReportView::OnTabClick(int, NMHDR*, BOOL&)
{
    const int tab = m_strip.GetCurSel();
    if (tab == kBoardSectorMenu) {
        HMENU menu = BuildSectorMenu();
        if (menu) {
            POINT cursor = {};
            ::GetCursorPos(&cursor);
            CMenuHandle(menu).TrackPopup(
                TPM_RIGHTBUTTON, ClampXToWorkArea(cursor.x, cursor.y), cursor.y, m_hWnd);
        }
        // Until a chosen sector's command arrives, the tab of the board
        // still shown is the highlighted one (none when the menu was left).
        const int32_t shown = m_board.load();
        m_strip.SetCurSel(IsFixedBoard(shown) ? shown : kBoardSectorMenu);
    } else if (tab >= 0 && tab < kBoardSectorMenu && tab != m_board.load()) {
        ShowBoard(kBoardTabs[tab].board, 0);
    }
    return 0;
}

HMENU CReportView::BuildSectorMenu()
{
    m_sectorMenu.Destroy();
    const GroupIndex* groups = GetGroups();
    if (!groups)
        return nullptr;
    m_sectorMenu.Attach(::BuildSectorMenu(LayoutSectorMenu(*groups), m_sectorCommands));
    return m_sectorMenu;
}

LRESULT CReportView::OnListDoubleClick(int, NMHDR* header, BOOL&)
{
    const SkinListNotify* notify = reinterpret_cast<const SkinListNotify*>(header);
    uint32_t data = 0;
    if (notify->row >= 0 && m_list.GetItemData(notify->row, data)) {
        if (StockPagingList* paging = Data().GetPagingList())
            paging->SetCursor(notify->row);
        OpenStock(data);
    }
    return 0;
}

LRESULT CReportView::OnListRightButtonUp(int, NMHDR*, BOOL&)
{
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    if (m_board.load() != kBoardUserList) {
        TrackViewContextMenu(cursor, false);
        return 0;
    }
    CMenu menu;
    if (!menu.CreatePopup())
        return 0;
    menu.AppendItem(MF_STRING, kCmdRemoveUserStock, kRemoveText);
    menu.TrackPopup(TPM_RIGHTBUTTON, ClampXToWorkArea(cursor.x, cursor.y), cursor.y, m_hWnd);
    return 0;
}

LPARAM CReportView::GetCommandValue(UINT commandId) const
{
    if (commandId == kCmdAddUserStock || commandId == kCmdRemoveUserStock)
        return static_cast<LPARAM>(GetSelectedCodeKey());
    return 0;
}

LRESULT CReportView::OnListCommand(WORD, WORD id, HWND, BOOL&)
{
    // Adding or removing needs a selected row: without one there is no stock.
    if ((id == kCmdAddUserStock || id == kCmdRemoveUserStock) && GetSelectedCodeKey() < 0)
        return 0;
    ForwardCommand(id);
    return 0;
}

LRESULT CReportView::OnOtherCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    const UINT id = LOWORD(wParam);
    if (id >= kSectorCommandFirst && id - kSectorCommandFirst < m_sectorCommands.size()
        && m_sectorCommands[id - kSectorCommandFirst] != 0) {
        ShowBoard(m_sectorCommands[id - kSectorCommandFirst], 0);
        return 0;
    }
    handled = FALSE; // stray child commands go on to the base map
    return 0;
}

void CReportView::OnRowsSwapped(uint32_t first, uint32_t second)
{
    if (UserStockList* users = GetUserList())
        SwapUserListEntriesByKey(*users, first, second);
}
