#include "views/F10View.h"

#include "base/GdiObjectCache.h"
#include "data/Stock.h"
#include "res/resource.h"
#include "views/ViewDataSource.h"
#include "win/AppModule.h"
#include "win/DoubleBuffer.h"
#include "win/Gdi.h"

#include <windowsx.h>

namespace {

const int kTabMargin = 100;
const int kTabTop = 5;
const int kTabHeight = 40;
const int kEditTop = 45;
const int kEditMargin = 20;
const COLORREF kEditBackground = 0x000000;
const COLORREF kEditText = 0x00C0C0;

} // namespace

CRect F10TabArea(const RECT& client, int tabCount, int itemWidth, int rows)
{
    const int width = client.right - client.left;
    CRect area;
    area.top = client.top + kTabTop;
    area.bottom = area.top + kTabHeight;
    if (tabCount * itemWidth < width - 2 * kTabMargin) {
        area.left = client.left + kTabMargin;
        area.right = client.right - kTabMargin;
        return area;
    }
    const int areaWidth = rows < 2 ? itemWidth * tabCount : itemWidth * (tabCount - tabCount / rows);
    area.left = client.left + (width - areaWidth) / 2;
    area.right = area.left + areaWidth;
    return area;
}

CF10View::CF10View(IViewDataSource* source)
    : CBaseView(kViewF10, source)
    , m_editBrush(nullptr)
    , m_hasSnapshot(false)
    , m_snapshotKey(0)
    , m_section(0)
{
    m_tabs.SetNotify(this);
}

CF10View::~CF10View()
{
}

void CF10View::SetOwner(CMessageProcessor* owner)
{
    SetOwnerAndRegister(owner, { kViewMsgKeyDown, kViewMsgMouseWheel });
}

int CF10View::Deactivate()
{
    SingleLock lock(&m_lock);
    return 1;
}

void CF10View::Activate(uint32_t key)
{
    {
        SingleLock data(Data().DataLock());
        SingleLock lock(&m_lock);
        F10SectionMap sections;
        m_hasSnapshot = Data().CopyF10(key, sections);
        m_snapshotKey = m_hasSnapshot ? key : 0;
        m_sections.swap(sections);
        if (m_hasSnapshot)
            Data().RequestStockData(kRequestF10, 0);
    }
    ShowSection(m_section);
}

bool CF10View::ShowSection(int index)
{
    if (index < 0 || index >= kSectionCount)
        return false;
    SingleLock lock(&m_lock);
    if (!m_hasSnapshot || !m_edit.IsWindow())
        return true;
    if (m_sections.empty()) {
        ShowWaitingText();
        Invalidate();
        return true;
    }
    const std::vector<std::string> titles = GetF10SectionTitles();
    const auto found = static_cast<size_t>(index) < titles.size() ? m_sections.find(titles[index]) : m_sections.end();
    if (found == m_sections.end())
        ShowWaitingText();
    else
        m_edit.SetWindowText(found->second.c_str());
    return true;
}

void CF10View::ShowWaitingText()
{
    m_edit.SetSel(0, 0);
    m_edit.SetWindowText(CAppModule::Get().LoadString(IDS_F10_DOWNLOADING).c_str());
}

void CF10View::OnTabChanged(CSkinTabManagerItem* tab)
{
    if (!tab)
        return;
    m_section = tab->GetId() - kFirstTabId;
    ShowSection(m_section);
    Invalidate();
}

int CF10View::Accept(UINT messageId, WPARAM wParam, LPARAM lParam)
{
    switch (messageId) {
    case kViewMsgKeyDown:
        if (wParam >= VK_PRIOR && wParam <= VK_DOWN) {
            m_edit.SendMessage(WM_KEYDOWN, wParam, lParam);
            return 1;
        }
        return 0;
    case kViewMsgMouseWheel:
        m_edit.SendMessage(WM_MOUSEWHEEL, wParam, lParam);
        return 0;
    case kViewMsgStockDataUpdated:
        OnF10DataArrived(static_cast<uint32_t>(wParam), static_cast<int>(lParam));
        return 0;
    default:
        return 0;
    }
}

void CF10View::OnF10DataArrived(uint32_t key, int kind)
{
    SingleLock lock(&m_lock);
    if (!m_hasSnapshot || m_snapshotKey != key)
        return;
    F10SectionMap sections;
    if (!Data().RefreshF10(key, kind, sections))
        return;
    m_sections.swap(sections);
    // The worker holds the data lock: the edit and the tabs belong to the UI
    // thread, which takes that lock itself, so they are only touched there.
    m_tasks.PostOnce(kTaskShowArrivedSections, [this] { ShowArrivedSections(); });
}

void CF10View::ShowArrivedSections()
{
    const std::vector<std::string> titles = GetF10SectionTitles();
    for (int i = 0; i < m_tabs.GetItemCount() && static_cast<size_t>(i) < titles.size(); ++i)
        m_tabs.GetItem(i)->SetText(titles[i].c_str());
    ShowSection(m_section);
    Invalidate();
}

LRESULT CF10View::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_tasks.Attach(m_hWnd);
    GetSystemSettings();
    const CRect client = GetClientRect();
    m_edit.m_hWnd = ::CreateWindowExA(0, "EDIT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER | WS_VSCROLL | ES_MULTILINE
            | ES_WANTRETURN,
        client.left, client.top, client.Width(), client.Height(), m_hWnd, nullptr,
        CAppModule::Get().GetModuleInstance(), nullptr);
    m_edit.SetMargins(kEditMargin, kEditMargin);
    if (GdiObjectCache* cache = GdiObjectCache::Instance())
        m_edit.SetFont(cache->GetFont(14, "宋体", FW_NORMAL));
    m_tabs.SetItemWidth(kTabWidth);
    m_tabs.SetRowCount(kTabRows);
    for (int i = 0; i < kSectionCount; ++i) {
        auto* item = new CSkinTabManagerItem;
        item->SetText(kF10DefaultTitles[i]);
        m_tabs.AddItem(item, kFirstTabId + i);
    }
    m_tabs.SelectItem(0);
    return 0;
}

LRESULT CF10View::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    Layout();
    return 0;
}

void CF10View::Layout()
{
    const CRect client = GetClientRect();
    const CRect area = F10TabArea(client, m_tabs.GetItemCount(), m_tabs.GetItemWidth(), m_tabs.GetRowCount());
    {
        CClientDC dc(m_hWnd);
        m_tabs.Layout(dc, area.left, area.top, area.right, area.bottom);
    }
    if (m_edit.IsWindow())
        m_edit.MoveWindow(CRect(client.left, client.top + kEditTop, client.right, client.bottom));
    Invalidate();
}

LRESULT CF10View::OnPaint(UINT message, WPARAM wParam, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(m_hWnd, message, wParam, [this](HDC dc, const RECT& client) {
        FillSolidRect(dc, client, kEditBackground);
        ::SetBkMode(dc, TRANSPARENT);
        m_tabs.Draw(dc, client);
    });
}

LRESULT CF10View::OnCtlColorEdit(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (reinterpret_cast<HWND>(lParam) != m_edit.m_hWnd || !m_edit.m_hWnd)
        return 0;
    const HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkColor(dc, kEditBackground);
    ::SetTextColor(dc, kEditText);
    if (!m_editBrush) {
        if (GdiObjectCache* cache = GdiObjectCache::Instance())
            m_editBrush = cache->GetBrush(kEditBackground);
    }
    return reinterpret_cast<LRESULT>(m_editBrush);
}

LRESULT CF10View::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    if ((GetStyle() & WS_TABSTOP) && m_tabs.HitTest(x, y) && m_tabs.HitTest(x, y) == m_tabs.GetSelectedItem())
        SetFocus();
    m_tabs.OnClick(m_hWnd, x, y, false);
    return 0;
}
