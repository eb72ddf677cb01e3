#pragma once
// The quote list: one row per stock of a board (a market segment, the user's
// own list or a sector group) with its live quote, a strip of board tabs and
// a horizontal scroll bar along the bottom edge. Refilled on every quote
// refresh; the refresh notice comes from a worker thread and is carried
// over to the UI thread, which does every filling.
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Thread.h"
#include "data/ReportData.h"
#include "data/UserStockList.h"
#include "skin/SkinFlatTabCtrl.h"
#include "skin/SkinHScrollbar.h"
#include "skin/SkinListNotify.h"
#include "views/BaseView.h"
#include "views/ReportBoards.h"
#include "views/ReportList.h"
#include "win/UiTaskQueue.h"

class GroupIndex;

class CReportView : public CBaseView
{
public:
    static constexpr UINT kListId = 5202;
    static constexpr UINT kBoardStripId = 5203;
    static constexpr int kBottomRowHeight = 17;
    static constexpr int kBoardStripWidth = 640;

    // The quotes, names and browse list come from the source (null: the
    // data center).
    explicit CReportView(CMessageProcessor* owner, IViewDataSource* data = nullptr);
    ~CReportView() override;

    int Deactivate() override { return 1; }
    int OnQuickCode(int32_t) override { return 1; }
    int Accept(UINT messageId, WPARAM wParam, LPARAM lParam) override;

    // Fills the list with the board; a sort column other than 0 sorts the
    // rows by it, descending. UI thread.
    void ShowBoard(int32_t board, int32_t sortColumn);
    int32_t GetCurrentBoard() const { return m_board.load(); }
    int32_t GetBoardParam() const { return m_boardParam; }
    // The selected row's CodeKey, -1 when no row is selected.
    int64_t GetSelectedCodeKey() const;
    // Opens the stock (view message 4027); from the user list, the browse
    // list becomes the rows in their order first.
    void OpenStock(uint32_t key);

    CMySkinListCtrl& GetList() { return m_list; }
    CSkinFlatTabCtrl& GetBoardStrip() { return m_strip; }
    CSkinHScrollbar& GetScrollBar() { return m_scroll; }
    // The command of each sector-menu item, after the menu was built.
    const std::vector<int32_t>& GetSectorCommands() const { return m_sectorCommands; }
    HMENU BuildSectorMenu();

    BEGIN_MSG_MAP(CReportView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        SIZE_HANDLER(OnSize)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        CHAIN_MSG_MAP_MEMBER(m_tasks)
        NOTIFY_HANDLER(kBoardStripId, TCN_SELCHANGE, OnTabClick)
        NOTIFY_HANDLER(kListId, SLN_DBLCLK, OnListDoubleClick)
        NOTIFY_HANDLER(kListId, SLN_RBUTTONUP, OnListRightButtonUp)
        COMMAND_RANGE_HANDLER(kMenuCommandFirst, kMenuCommandLast, OnListCommand)
        MESSAGE_HANDLER(WM_COMMAND, OnOtherCommand)
        CHAIN_MSG_MAP(CBaseView)
    END_MSG_MAP()

protected:
    // The user's list and the sector groups; tests give their own.
    virtual UserStockList* GetUserList() const;
    virtual const GroupIndex* GetGroups() const;

    LPARAM GetCommandValue(UINT commandId) const override;

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    void OnSize(UINT, CSize client, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTabClick(int, NMHDR*, BOOL&);
    LRESULT OnListDoubleClick(int, NMHDR* header, BOOL&);
    LRESULT OnListRightButtonUp(int, NMHDR*, BOOL&);
    LRESULT OnListCommand(WORD, WORD id, HWND, BOOL&);
    LRESULT OnOtherCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);

    void Layout(int width, int height);
    void AddStockRow(int row, CodeKey key, const QuoteRecord& quote);
    void ReplacePagingListWithRows();
    void SelectRow(int row);
    static void OnSorted(UINT_PTR value);
    void OnRowsSwapped(uint32_t first, uint32_t second);

    CMySkinListCtrl m_list;
    CSkinFlatTabCtrl m_strip;
    CSkinHScrollbar m_scroll;
    CMenu m_sectorMenu;
    std::vector<int32_t> m_sectorCommands;
    CriticalSection m_viewLock;
    std::atomic<int32_t> m_board;
    bool m_sortedOnce;
    int32_t m_boardParam;
    // A quote refresh on a worker fills the list here; one waits at a time.
    enum : int { kTaskRefreshBoard };
    CUiTaskQueue m_tasks;
};
