#include "views/ExtraInfoView.h"

#include <algorithm>

#include "base/DataPaths.h"
#include "base/GdiObjectCache.h"
#include "base/ImageUtil.h"
#include "data/GroupData.h"
#include "formula/FormulaLibrary.h"
#include "skin/NcFrameLayout.h"
#include "views/ExtraInfoRows.h"
#include "views/IndicatorTree.h"
#include "views/ViewDataSource.h"
#include "win/DoubleBuffer.h"
#include "views/ViewIds.h"
#include "win/Menu.h"

namespace {

const char kRemoveText[] = "删除";
const char kAddToUserListText[] = "加入自选股";

struct ListColumn
{
    const char* title;
    int width;
};
const ListColumn kUserListColumns[] = { { "股票代码", 65 }, { "股票名称", 65 }, { "收藏时间", 80 } };

HBITMAP LoadSkinImage(const char* name)
{
    DataPaths* paths = DataPaths::Instance();
    if (!paths)
        return nullptr;
    return LoadImageFromResource(paths->GetSkinFile(name).c_str(), "PNG");
}

} // namespace

CExtraInfoView::CExtraInfoView(IViewDataSource* data)
    : CBaseView(kViewExtraInfo, data)
    , m_shown(kUserListId)
{
}

CExtraInfoView::~CExtraInfoView()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

void CExtraInfoView::SetOwner(CMessageProcessor* processor)
{
    SetOwnerAndRegister(processor,
        { kViewMsgKeyDown, kViewMsgMouseWheel, kViewMsgUserListChanged, kViewMsgSectorTreeChanged });
}

std::vector<UserStockList::Entry> CExtraInfoView::GetUserEntries() const
{
    UserStockList* users = UserStockList::Instance();
    return users ? users->GetEntries() : std::vector<UserStockList::Entry>();
}

const GroupIndex* CExtraInfoView::GetGroups() const
{
    return GroupIndex::Instance();
}

const FormulaLibrary* CExtraInfoView::GetIndicators() const
{
    return FormulaLibrary::Instance();
}

LRESULT CExtraInfoView::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    GetSystemSettings();

    m_tabs.SetImages(LoadSkinImage("Tabs.png"));
    m_tabs.AddItem(kCmdShowUserList, "自选股");
    m_tabs.AddItem(kCmdShowSectorTree, "板块信息");
    m_tabs.AddItem(kCmdShowIndicatorTree, "指标");
    const RECT none = {};
    m_tabs.Create(m_hWnd, none, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    m_tabs.SelectItem(kCmdShowUserList, false);

    if (DataPaths* paths = DataPaths::Instance())
        m_list.m_options.imageStripPath = paths->GetSkinFile("ListItems.bmp");
    m_list.Create(m_hWnd, none, nullptr, 0, 0, kUserListId);
    m_list.m_colors.background = 0;
    m_list.m_colors.text = 0xFFFFFF;
    m_list.m_colors.focusedFrameOuter = 0x505050;
    m_list.m_colors.focusedFrameInner = 0x808080;
    m_list.m_colors.focusedFillTop = 0xC0C0C0;
    m_list.m_colors.focusedFillBottom = 0;
    m_list.m_colors.unfocusedFillTop = 0xC0C0C0;
    m_list.m_colors.unfocusedFillBottom = 0;
    m_list.m_colors.unfocusedFrameOuter = 0x505050;
    m_list.m_colors.unfocusedFrameInner = 0x808080;
    m_list.m_options.focusCellHighlight = false;
    m_list.DeleteAllItems();
    m_list.m_options.cellSelection = true;
    for (const ListColumn& column : kUserListColumns)
        m_list.AddColumn(column.title, column.width);
    RefillUserList();

    m_sectorTree.Create(m_hWnd, none, nullptr, kTreeStyle, 0, kSectorTreeId);
    m_indicatorTree.Create(m_hWnd, none, nullptr, kTreeStyle, 0, kIndicatorTreeId);
    RefillSectorTree();
    RefillIndicatorTree();

    m_shown = kUserListId;
    Layout();
    return 0;
}

LRESULT CExtraInfoView::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE; // the base map goes on
    return 1;
}

void CExtraInfoView::OnSize(UINT, CSize, BOOL&)
{
    Layout();
}

void CExtraInfoView::Layout()
{
    if (!m_hWnd)
        return;
    CRect area = GetClientRect();
    area.Deflate(kMargin, kMargin);
    if (area.Width() <= 0 || area.Height() <= 0)
        return;
    int barBottom = area.top;
    if (m_tabs.m_hWnd) {
        barBottom = std::min(area.bottom, area.top + m_tabs.GetBarHeight());
        m_tabs.MoveWindow(CRect(area.left, area.top, area.right, barBottom));
    }
    if (HWND child = ChildWindow(m_shown))
        ::MoveWindow(child, area.left, barBottom, area.Width(), area.bottom - barBottom, TRUE);
    // The bars follow the list's new size: rows that fit need no vertical bar.
    if (m_shown == kUserListId && m_list.m_hWnd)
        m_list.UpdateScrollBars();
}

HWND CExtraInfoView::ChildWindow(UINT child) const
{
    switch (child) {
    case kUserListId:
        return m_list.m_hWnd;
    case kSectorTreeId:
        return m_sectorTree.m_hWnd;
    case kIndicatorTreeId:
        return m_indicatorTree.m_hWnd;
    default:
        return nullptr;
    }
}

void CExtraInfoView::ShowChild(UINT child)
{
    m_shown = child;
    const UINT tab = child == kSectorTreeId ? kCmdShowSectorTree
        : child == kIndicatorTreeId         ? kCmdShowIndicatorTree
                                            : kCmdShowUserList;
    if (m_tabs.m_hWnd) {
        const int current = m_tabs.GetCurrentIndex();
        if (current < 0 || m_tabs.GetItem(current).id != tab)
            m_tabs.SelectItem(tab, true);
    }
    // The place first, so the child shows where it belongs.
    Layout();
    for (UINT id : { kUserListId, kSectorTreeId, kIndicatorTreeId }) {
        if (HWND window = ChildWindow(id))
            ::ShowWindow(window, id == child ? SW_SHOW : SW_HIDE);
    }
}

int CExtraInfoView::OnTabCommand(UINT command)
{
    if (command == kCmdSidePanelSectors)
        ShowChild(kSectorTreeId);
    else if (command == kCmdSidePanelIndicators)
        ShowChild(kIndicatorTreeId);
    else
        ShowChild(kUserListId);
    return 1;
}

LRESULT CExtraInfoView::OnPaint(UINT message, WPARAM wParam, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(m_hWnd, message, wParam, [](HDC dc, const RECT& client) {
        HBRUSH brush = nullptr;
        if (GdiObjectCache* cache = GdiObjectCache::Instance())
            brush = cache->GetBrush(kBackground);
        if (brush)
            ::FillRect(dc, &client, brush);
        else
            FillSolidRect(dc, client, kBackground);
    });
}

void CExtraInfoView::RefillUserList()
{
    if (!m_list.m_hWnd)
        return;
    const std::vector<UserListRow> rows
        = BuildUserListRows(GetUserEntries(), [this](CodeKey key) { return Data().GetStockName(key); });
    {
        SingleLock listLock(&m_list.GetListLock());
        m_list.DeleteAllItems();
        for (const UserListRow& row : rows) {
            const int index = m_list.InsertItem(row.code, false);
            if (index < 0)
                continue;
            m_list.SetItemText(index, 0, row.code);
            m_list.SetItemText(index, 1, row.name);
            m_list.SetItemText(index, 2, row.date);
            m_list.SetItemData(index, row.key);
        }
    }
    m_list.UpdateScrollBars();
    m_list.Invalidate(false);
}

void CExtraInfoView::RefillSectorTree()
{
    if (!m_sectorTree.m_hWnd)
        return;
    m_sectorTree.SendMessage(WM_SETREDRAW, FALSE);
    m_sectorTree.DeleteAllItems();
    if (const GroupIndex* groups = GetGroups()) {
        for (const SectorTreeCategory& category : BuildSectorTree(*groups)) {
            HTREEITEM root = m_sectorTree.InsertItem(category.name.c_str(), TVI_ROOT, TVI_LAST, 0);
            for (const SectorTreeGroup& group : category.groups) {
                HTREEITEM item = m_sectorTree.InsertItem(group.name.c_str(), root, TVI_LAST, 0);
                for (CodeKey key : group.members)
                    m_sectorTree.InsertItem(Data().GetStockName(key).c_str(), item, TVI_LAST, static_cast<LPARAM>(key));
            }
        }
    }
    m_sectorTree.SendMessage(WM_SETREDRAW, TRUE);
    m_sectorTree.Invalidate();
}

void CExtraInfoView::RefillIndicatorTree()
{
    if (!m_indicatorTree.m_hWnd)
        return;
    m_indicatorTree.SendMessage(WM_SETREDRAW, FALSE);
    m_indicatorTree.DeleteAllItems();
    const FormulaLibrary* library = GetIndicators();
    if (library) {
        for (const IndicatorTreeCategory& category : BuildIndicatorTree(*library, IndicatorTextForm::kShowName)) {
            HTREEITEM root = m_indicatorTree.InsertItem(category.name.c_str(), TVI_ROOT, TVI_LAST, 0);
            for (const IndicatorTreeItem& item : category.items)
                m_indicatorTree.InsertItem(item.text.c_str(), root, TVI_LAST, static_cast<LPARAM>(item.number));
        }
    }
    m_indicatorTree.SendMessage(WM_SETREDRAW, TRUE);
    m_indicatorTree.Invalidate();
}

int CExtraInfoView::Accept(UINT messageId, WPARAM, LPARAM)
{
    if (messageId == kViewMsgUserListChanged)
        RefillUserList();
    else if (messageId == kViewMsgSectorTreeChanged)
        RefillSectorTree();
    return 1;
}

bool CExtraInfoView::PreTranslateKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN)
        return false;
    if (msg.wParam == VK_DELETE) {
        RemoveSelectedStocks();
        return true;
    }
    for (UINT id : { kUserListId, kSectorTreeId, kIndicatorTreeId }) {
        HWND child = ChildWindow(id);
        if (!child || !::IsWindowVisible(child))
            continue;
        // A key already addressed to the child (or to a window inside it)
        // reaches it by dispatch; sending it too would act on it twice.
        if (msg.hwnd == child || ::IsChild(child, msg.hwnd))
            continue;
        ::SendMessageA(child, WM_KEYDOWN, msg.wParam, msg.lParam);
    }
    return false;
}

std::vector<uint32_t> CExtraInfoView::GetSelectedKeys() const
{
    std::vector<uint32_t> keys;
    for (int row : m_list.GetSelection()) {
        uint32_t key = 0;
        if (m_list.GetItemData(row, key))
            keys.push_back(key);
    }
    return keys;
}

void CExtraInfoView::RemoveSelectedStocks()
{
    if (!m_list.m_hWnd || !::IsWindowVisible(m_list.m_hWnd))
        return;
    // Every removal refills the list through 4031 and clears the selection,
    // so the keys are collected before the first one goes.
    const std::vector<uint32_t> keys = GetSelectedKeys();
    CMessageProcessor* owner = GetOwner();
    if (!owner)
        return;
    for (uint32_t key : keys)
        owner->Dispatch(kViewMsgMenuCommand, kCmdRemoveUserStock, static_cast<LPARAM>(key));
}

void CExtraInfoView::AddSelectedSectorStock()
{
    if (!m_sectorTree.m_hWnd)
        return;
    HTREEITEM selected = m_sectorTree.GetSelectedItem();
    const LPARAM key = selected ? m_sectorTree.GetItemData(selected) : 0;
    if (key != 0 && GetOwner())
        GetOwner()->Dispatch(kViewMsgMenuCommand, kCmdAddUserStock, key);
}

LRESULT CExtraInfoView::OnListOpenRow(int, NMHDR* header, BOOL&)
{
    const SkinListNotify* notify = reinterpret_cast<const SkinListNotify*>(header);
    if (notify->row < 0 || !GetOwner() || notify->row >= m_list.GetItemCount())
        return 0;
    uint32_t key = 0;
    if (m_list.GetItemData(notify->row, key))
        GetOwner()->Dispatch(kViewMsgOpenStock, key, 0);
    return 0;
}

POINT CExtraInfoView::GetPointerPosition() const
{
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    return cursor;
}

void CExtraInfoView::TrackPanelMenu(UINT command, const char* text)
{
    CMenu menu;
    if (!menu.CreatePopup())
        return;
    menu.AppendItem(MF_STRING, command, text);
    const POINT cursor = GetPointerPosition();
    menu.TrackPopup(TPM_RIGHTBUTTON, ClampXToWorkArea(cursor.x, cursor.y), cursor.y, m_hWnd);
}

LRESULT CExtraInfoView::OnListRightButtonUp(int, NMHDR*, BOOL&)
{
    TrackPanelMenu(kCmdRemoveSelected, kRemoveText);
    return 0;
}

LRESULT CExtraInfoView::OnSectorDoubleClick(int, NMHDR*, BOOL&)
{
    HTREEITEM selected = m_sectorTree.GetSelectedItem();
    const LPARAM key = selected ? m_sectorTree.GetItemData(selected) : 0;
    if (key != 0 && GetOwner())
        GetOwner()->Dispatch(kViewMsgOpenStock, static_cast<WPARAM>(key), 0);
    return 0;
}

LRESULT CExtraInfoView::OnSectorRightClick(int, NMHDR*, BOOL&)
{
    // A right click does not move the tree's selection by itself: the item
    // under the pointer becomes the selection, so that the menu offers the
    // stock the user clicked, not the one selected before.
    POINT client = GetPointerPosition();
    ::ScreenToClient(m_sectorTree.m_hWnd, &client);
    UINT flags = 0;
    if (HTREEITEM hit = m_sectorTree.HitTest(client, &flags); hit && (flags & TVHT_ONITEM))
        m_sectorTree.SelectItem(hit);

    HTREEITEM selected = m_sectorTree.GetSelectedItem();
    if (!selected || selected == m_sectorTree.GetRootItem() || m_sectorTree.GetItemData(selected) == 0)
        return 0;
    TrackPanelMenu(kCmdAddSectorStock, kAddToUserListText);
    return 0;
}

LRESULT CExtraInfoView::OnIndicatorDoubleClick(int, NMHDR*, BOOL&)
{
    HTREEITEM selected = m_indicatorTree.GetSelectedItem();
    const LPARAM number = selected ? m_indicatorTree.GetItemData(selected) : 0;
    if (number != 0 && GetOwner())
        GetOwner()->Dispatch(kViewMsgShowIndicator, static_cast<WPARAM>(number), 0);
    return 0;
}

LRESULT CExtraInfoView::OnPanelCommand(WORD, WORD id, HWND, BOOL&)
{
    switch (id) {
    case kCmdShowUserList:
        ShowChild(kUserListId);
        break;
    case kCmdShowSectorTree:
        ShowChild(kSectorTreeId);
        break;
    case kCmdShowIndicatorTree:
        ShowChild(kIndicatorTreeId);
        break;
    case kCmdHidePanel:
        ShowWindow(SW_HIDE);
        if (HWND parent = GetParent())
            ::SendMessageA(parent, WM_SIZE, 0, 0);
        break;
    case kCmdRemoveSelected:
        RemoveSelectedStocks();
        break;
    case kCmdAddSectorStock:
        AddSelectedSectorStock();
        break;
    default:
        break;
    }
    return 0;
}
