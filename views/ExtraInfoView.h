#pragma once
// The side panel beside the content panel: three tabs switch between the
// user's stock list (with the day each stock was added), the sector groups
// with their stocks, and the indicators by category. Clicks open a stock or
// show an indicator through the content panel's message processor; context
// menus add a sector's stock to the user list or remove stocks from it.
// UI thread only.
#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include <string>
#include <vector>

#include "data/UserStockList.h"
#include "skin/MyTreeView.h"
#include "skin/SkinCmdBar.h"
#include "skin/SkinListImpl.h"
#include "skin/SkinListNotify.h"
#include "views/BaseView.h"

class FormulaLibrary;
class GroupIndex;

class CExtraInfoView : public CBaseView
{
public:
    // Children.
    static constexpr UINT kUserListId = 5001;
    static constexpr UINT kSectorTreeId = 5007;
    static constexpr UINT kIndicatorTreeId = 5012;
    // Commands: the tab items first, then the panel's own.
    static constexpr UINT kCmdShowUserList = 5002;
    static constexpr UINT kCmdShowSectorTree = 5003;
    static constexpr UINT kCmdShowIndicatorTree = 5004;
    static constexpr UINT kCmdHidePanel = 5005;
    static constexpr UINT kCmdRemoveSelected = 5006;
    static constexpr UINT kCmdAddSectorStock = 5008;
    static constexpr UINT kPanelCommandFirst = 5001;
    static constexpr UINT kPanelCommandLast = 5200;
    static constexpr int kMargin = 2;
    static constexpr COLORREF kBackground = 0xF9E4CF;
    static constexpr DWORD kTreeStyle = WS_CHILD | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT
        | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS | TVS_TRACKSELECT | TVS_INFOTIP;

    // The stock names come from the source (null: the data center).
    explicit CExtraInfoView(IViewDataSource* data = nullptr);
    ~CExtraInfoView() override;

    // Registers the panel for key-down, wheel, user list and sector changes
    // and keeps the processor as owner. Called once, before or after Create.
    void SetOwner(CMessageProcessor* processor);
    // 5010 the sector tree, 5011 the indicator tree, anything else the user
    // list; the tab follows. 1.
    int OnTabCommand(UINT command);
    // 4031 refills the user list, 4032 the sector tree. 1.
    int Accept(UINT messageId, WPARAM wParam, LPARAM lParam) override;
    // A key-down before dispatch: Delete removes the user list's selected
    // stocks and is consumed; other keys go on to the visible children that
    // dispatch does not reach anyway. True when consumed.
    bool PreTranslateKey(const MSG& msg);
    int Deactivate() override { return 1; }
    int OnQuickCode(int32_t) override { return 1; }

    // Which child shows: kUserListId, kSectorTreeId or kIndicatorTreeId.
    UINT GetShownChild() const { return m_shown; }
    CSkinListImpl& GetUserList() { return m_list; }
    CMyTreeView& GetSectorTree() { return m_sectorTree; }
    CMyTreeView& GetIndicatorTree() { return m_indicatorTree; }
    CSkinCmdBar& GetTabBar() { return m_tabs; }

    void RefillUserList();
    void RefillSectorTree();
    void RefillIndicatorTree();
    // The user list's selected stocks, in row order.
    std::vector<uint32_t> GetSelectedKeys() const;

    BEGIN_MSG_MAP(CExtraInfoView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        SIZE_HANDLER(OnSize)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        NOTIFY_HANDLER(kUserListId, SLN_SELCHANGED, OnListOpenRow)
        NOTIFY_HANDLER(kUserListId, SLN_LBUTTONUP, OnListOpenRow)
        NOTIFY_HANDLER(kUserListId, SLN_RBUTTONUP, OnListRightButtonUp)
        NOTIFY_HANDLER(kSectorTreeId, NM_DBLCLK, OnSectorDoubleClick)
        NOTIFY_HANDLER(kSectorTreeId, NM_RCLICK, OnSectorRightClick)
        NOTIFY_HANDLER(kIndicatorTreeId, NM_DBLCLK, OnIndicatorDoubleClick)
        NOTIFY_HANDLER(kIndicatorTreeId, NM_RCLICK, OnIndicatorRightClick)
        COMMAND_RANGE_HANDLER(kPanelCommandFirst, kPanelCommandLast, OnPanelCommand)
        COMMAND_RANGE_HANDLER(kMenuCommandFirst, kMenuCommandLast, OnForwardCommand)
        CHAIN_MSG_MAP(CBaseView)
    END_MSG_MAP()

protected:
    // Where the contents come from; tests give their own.
    virtual std::vector<UserStockList::Entry> GetUserEntries() const;
    virtual const GroupIndex* GetGroups() const;
    virtual const FormulaLibrary* GetIndicators() const;
    // Shows a one-item pop-up at the cursor (x kept inside the work area),
    // tracked with the right button; the choice comes back as WM_COMMAND.
    virtual void TrackPanelMenu(UINT command, const char* text);
    // The pointer in screen coordinates.
    virtual POINT GetPointerPosition() const;

    // Forwarded commands carry no stock of their own.
    LPARAM GetCommandValue(UINT) const override { return 0; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    void OnSize(UINT, CSize client, BOOL&);
    LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnListOpenRow(int, NMHDR* header, BOOL&);
    LRESULT OnListRightButtonUp(int, NMHDR*, BOOL&);
    LRESULT OnSectorDoubleClick(int, NMHDR*, BOOL&);
    LRESULT OnSectorRightClick(int, NMHDR*, BOOL&);
    LRESULT OnIndicatorDoubleClick(int, NMHDR*, BOOL&);
    LRESULT OnIndicatorRightClick(int, NMHDR*, BOOL&) { return 0; }
    LRESULT OnPanelCommand(WORD, WORD id, HWND, BOOL&);

    void ShowChild(UINT child);
    void Layout();
    void RemoveSelectedStocks();
    void AddSelectedSectorStock();
    // Child windows by the ids of GetShownChild.
    HWND ChildWindow(UINT child) const;

    CSkinListImpl m_list;
    CMyTreeView m_sectorTree;
    CMyTreeView m_indicatorTree;
    CSkinCmdBar m_tabs;
    UINT m_shown;
};
