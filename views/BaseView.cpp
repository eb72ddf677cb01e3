#include "views/BaseView.h"

#include "base/GdiObjectCache.h"
#include "res/resource.h"
#include "skin/NcFrameLayout.h"
#include "views/ViewDataSource.h"
#include "views/ViewOptions.h"
#include "win/AppModule.h"

namespace {

const COLORREF kScrollBarBackground = 0xF9EEE4;

} // namespace

bool BuildViewContextMenu(CMenu& menu, const ViewOptions& options, bool checkPeriod)
{
    menu.Attach(CAppModule::Get().LoadMenu(IDR_VIEW_CONTEXT));
    if (menu.IsNull())
        return false;
    switch (options.GetAdjustMode()) {
    case ViewOptions::kAdjustNone:
        menu.CheckItem(kCmdAdjustNone, true);
        break;
    case ViewOptions::kAdjustBackward:
        menu.CheckItem(kCmdAdjustBackward, true);
        break;
    case ViewOptions::kAdjustForward:
        menu.CheckItem(kCmdAdjustForward, true);
        break;
    default:
        break;
    }
    if (checkPeriod && options.GetPeriod() != 0)
        menu.CheckItem(kCmdPeriodBase + options.GetPeriod(), true);
    menu.CheckItem(kCmdPaneCountBase + options.GetSubPaneCount(), true);
    return true;
}

CBaseView::CBaseView(int32_t viewId, IViewDataSource* data)
    : m_viewId(viewId)
    , m_owner(nullptr)
    , m_data(data ? data : &DataCenterViewSource())
{
}

CBaseView::~CBaseView()
{
}

void CBaseView::SetDataSource(IViewDataSource* data)
{
    m_data = data ? data : &DataCenterViewSource();
}

void CBaseView::SetOwnerAndRegister(CMessageProcessor* owner, std::initializer_list<UINT> messageIds)
{
    if (owner) {
        for (UINT id : messageIds)
            owner->Register(id, this);
    }
    m_owner = owner;
}

int CBaseView::ForwardCommand(UINT commandId)
{
    if (m_owner)
        m_owner->Dispatch(kViewMsgMenuCommand, commandId, GetCommandValue(commandId));
    return 1;
}

LPARAM CBaseView::GetCommandValue(UINT commandId) const
{
    return commandId == kCmdAddUserStock ? static_cast<LPARAM>(Data().GetCurrentCodeKey()) : 0;
}

void CBaseView::TrackViewContextMenu(POINT screen, bool checkPeriod)
{
    ViewOptions* options = ViewOptions::Instance();
    CMenu menu;
    if (!options || !BuildViewContextMenu(menu, *options, checkPeriod))
        return;
    const int x = ClampXToWorkArea(screen.x, screen.y);
    CMenuHandle popup(menu.GetSubMenu(0));
    popup.TrackPopup(TPM_RIGHTBUTTON, x, screen.y, m_hWnd);
}

LRESULT CBaseView::OnCtlColorScrollBar(UINT, WPARAM, LPARAM, BOOL& handled)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    if (!cache) {
        handled = FALSE;
        return 0;
    }
    return reinterpret_cast<LRESULT>(cache->GetBrush(kScrollBarBackground));
}
