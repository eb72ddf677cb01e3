#pragma once
// The common base of the windows that fill the main window's client area:
// a view id, the content panel's message processor, the acceptor through
// which the panel and the data notices reach the view, the view's data
// source, owner-drawn pop-up menus, and the forwarding of menu commands to
// the panel.
#include <windows.h>
#include <cstdint>
#include <initializer_list>

#include "skin/SkinContextMenu.h"
#include "views/MessageProcessor.h"
#include "views/ViewIds.h"
#include "win/Menu.h"
#include "win/WindowImpl.h"

class IViewDataSource;
class ViewOptions;

// Loads the view context menu (resource 207) into menu and checks the
// adjustment mode, the period (only when checkPeriod is set and the period
// is not 0) and the window count of the options. The items to choose from
// are in menu's first sub-menu. False when the resource cannot be loaded.
bool BuildViewContextMenu(CMenu& menu, const ViewOptions& options, bool checkPeriod);

class CBaseView : public CWindowImpl<CBaseView>, public CMessageAcceptor, public CSkinContextMenu<CBaseView>
{
public:
    DECLARE_WND_CLASS_EX("ZentuView", CS_DBLCLKS, 0)

    // A null source is the data center's.
    explicit CBaseView(int32_t viewId, IViewDataSource* data = nullptr);
    ~CBaseView() override;

    int32_t GetViewId() const { return m_viewId; }
    CMessageProcessor* GetOwner() const { return m_owner; }

    // Called on the view being left; returns once no paint or update holds
    // the view's lock. 1.
    virtual int Deactivate() = 0;
    // A quick code the panel does not handle itself. 1.
    virtual int OnQuickCode(int32_t quickCode) = 0;
    // Called on the view being shown, with the stock it is to show (0:
    // none); the panel has made it the current stock.
    virtual void Activate(uint32_t /*key*/) { }

    int Accept(UINT, WPARAM, LPARAM) override { return 0; }

    BEGIN_MSG_MAP(CBaseView)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_CTLCOLORSCROLLBAR, OnCtlColorScrollBar)
        CHAIN_MSG_MAP(CSkinContextMenu<CBaseView>)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

protected:
    // Where the view takes its market data from.
    IViewDataSource& Data() const { return *m_data; }
    // Null: the data center's. Before the view shows data.
    void SetDataSource(IViewDataSource* data);

    // Stores the owner and registers this view's acceptor for each id, in
    // the order given (nothing is registered without an owner).
    void SetOwnerAndRegister(CMessageProcessor* owner, std::initializer_list<UINT> messageIds);

    // Sends a menu command to the panel: Dispatch (4030, id, value) with
    // the value of GetCommandValue. 1.
    int ForwardCommand(UINT commandId);
    // The extra value a forwarded command carries: the source's current
    // stock for "add to the user list", 0 otherwise. Views with rows of
    // their own pass the selected row instead.
    virtual LPARAM GetCommandValue(UINT commandId) const;
    // For the maps of views that forward commands 4000 to 5000.
    LRESULT OnForwardCommand(WORD, WORD id, HWND, BOOL&)
    {
        ForwardCommand(id);
        return 0;
    }

    // Opens the view context menu at a screen point (x kept inside the work
    // area), tracked with the right button and owned by the view; the
    // choice comes back as WM_COMMAND.
    void TrackViewContextMenu(POINT screen, bool checkPeriod);

private:
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnCtlColorScrollBar(UINT, WPARAM, LPARAM, BOOL&);

    int32_t m_viewId;
    CMessageProcessor* m_owner;
    IViewDataSource* m_data;
};
