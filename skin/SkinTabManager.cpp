#include "skin/SkinTabManager.h"
#include "base/DcGuards.h"
#include "base/GdiObjectCache.h"
#include <algorithm>

namespace {

const COLORREF kFrameColour = 0x0000FF;
const COLORREF kSelectedFill = 0x323232;
const COLORREF kSelectedText = 0xFFFF00;
const COLORREF kText = 0xFFFFFF;

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    const RECT r = { left, top, right, bottom };
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

}

HRESULT CSkinTabManagerItem::SetText(const char* text)
{
    if (!text)
        return E_FAIL;
    if (m_text != text)
        m_text = text;
    return S_OK;
}

CSkinTabManagerItem* CSkinTabManager::AddItem(CSkinTabManagerItem* item, int id)
{
    std::unique_ptr<CSkinTabManagerItem> owned(item ? item : new CSkinTabManagerItem);
    owned->SetOwner(this);
    CSkinTabManagerItem* added = owned.get();
    m_items.push_back(std::move(owned));
    if (id >= 0)
        added->SetId(id);
    else
        RenumberItems();
    return added;
}

void CSkinTabManager::RenumberItems()
{
    for (size_t i = 0; i < m_items.size(); ++i)
        m_items[i]->SetId(static_cast<int>(i));
}

CSkinTabManagerItem* CSkinTabManager::GetItem(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_items.size()))
        return nullptr;
    return m_items[static_cast<size_t>(index)].get();
}

void CSkinTabManager::SelectItem(int index)
{
    m_selected = GetItem(index);
}

CSkinTabManagerItem* CSkinTabManager::HitTest(int x, int y) const
{
    const CPoint point(x, y);
    for (const auto& item : m_items)
        if (item->GetRect().Contains(point))
            return item.get();
    return nullptr;
}

int CSkinTabManager::OnClick(HWND, int x, int y, bool handled)
{
    if (handled)
        return 0;
    CSkinTabManagerItem* tab = HitTest(x, y);
    if (!tab)
        return 0;
    if (m_notify)
        m_notify->OnTabChanged(tab);
    m_selected = tab;
    return 1;
}

HFONT CSkinTabManager::TabFont()
{
    return GdiObjectCache::Instance()->GetFont(13, "宋体", FW_NORMAL);
}

std::vector<CRect> CSkinTabManager::LayoutRows(
    const std::vector<int>& widths, int fixedWidth, int rows, const RECT& area)
{
    rows = std::max(1, rows);
    const int count = static_cast<int>(widths.size());
    const int rowHeight = rows > 1 ? (area.bottom - area.top) / rows : area.bottom - area.top;
    int perRow = count;
    // With several rows the first ones take the larger share; a single row
    // takes every tab.
    if (rows > 1 && area.right - area.left < static_cast<long long>(fixedWidth) * count)
        perRow = count - count / rows;
    std::vector<CRect> rects;
    int next = 0;
    for (int row = 0; row < rows && next < count && perRow > 0; ++row) {
        const int top = area.top + row * rowHeight;
        int x = area.left;
        for (int i = 0; i < perRow && next < count; ++i, ++next) {
            const int width = widths[static_cast<size_t>(next)];
            rects.push_back(CRect(x, top, x + width, top + rowHeight));
            x += width;
        }
    }
    return rects;
}

void CSkinTabManager::Layout(HDC dc, int left, int top, int right, int bottom)
{
    m_rect = CRect(left, top, right, bottom);
    std::vector<int> widths;
    CSelectObject font(dc, m_itemWidth == kWidthFromText ? TabFont() : nullptr);
    for (const auto& item : m_items) {
        if (m_itemWidth != kWidthFromText) {
            widths.push_back(m_itemWidth);
            continue;
        }
        const std::string text = item->GetText();
        RECT r = { 0, 0, 0, 0 };
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_CENTER);
        widths.push_back(r.right - r.left + 4);
    }
    const std::vector<CRect> rects = LayoutRows(widths, m_itemWidth, m_rows, m_rect);
    for (size_t i = 0; i < rects.size(); ++i)
        m_items[i]->SetRect(rects[i]);
}

void CSkinTabManager::Draw(HDC dc, const RECT& clip) const
{
    CSaveDC saved(dc);
    ::SelectObject(dc, TabFont());
    ::SetBkMode(dc, TRANSPARENT);
    for (const auto& item : m_items) {
        const CRect& r = item->GetRect();
        RECT common;
        if (r.IsEmpty() || !::IntersectRect(&common, &r, &clip))
            continue;
        Fill(dc, r.left, r.top, r.right, r.top + 1, kFrameColour);
        Fill(dc, r.left, r.top, r.left + 1, r.bottom, kFrameColour);
        Fill(dc, r.right - 1, r.top, r.right, r.bottom, kFrameColour);
        Fill(dc, r.left, r.bottom - 1, r.right, r.bottom, kFrameColour);
        const bool selected = item.get() == m_selected;
        if (selected)
            Fill(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, kSelectedFill);
        ::SetTextColor(dc, selected ? kSelectedText : kText);
        CRect text = r;
        text.Deflate(2, 2);
        const std::string caption = item->GetText();
        ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CENTER);
    }
}
