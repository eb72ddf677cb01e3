#pragma once
// A windowless strip of rectangular text tabs in one or more rows, laid out
// in a rectangle of its owner window and drawn by the owner's paint code.
// The owner passes clicks in; the strip selects the clicked tab and tells
// the owner through CTabNotify. UI thread only.
#include "win/Geometry.h"
#include <windows.h>
#include <memory>
#include <string>
#include <vector>

class CSkinTabManager;

class CSkinTabManagerItem
{
public:
    CSkinTabManagerItem() = default;
    virtual ~CSkinTabManagerItem() = default;

    std::string GetText() const { return m_text; }
    // Replaces the text when it differs; a null text is refused (E_FAIL).
    HRESULT SetText(const char* text);
    int GetId() const { return m_id; }
    void SetId(int id) { m_id = id; }
    const CRect& GetRect() const { return m_rect; }
    void SetRect(const RECT& rect) { m_rect = rect; }
    CSkinTabManager* GetOwner() const { return m_owner; }
    void SetOwner(CSkinTabManager* owner) { m_owner = owner; }

private:
    int m_id = -1;
    CRect m_rect;
    std::string m_text;
    CSkinTabManager* m_owner = nullptr;
};

// The owner's side: told of every click on a tab, also on the selected one.
class CTabNotify
{
public:
    virtual ~CTabNotify() = default;
    virtual void OnTabChanged(CSkinTabManagerItem* tab) = 0;
};

class CSkinTabManager
{
public:
    // Tab width that follows each tab's text.
    enum : int { kWidthFromText = -1 };

    CSkinTabManager() = default;
    virtual ~CSkinTabManager() = default;
    CSkinTabManager(const CSkinTabManager&) = delete;
    CSkinTabManager& operator=(const CSkinTabManager&) = delete;

    // Appends the item (taken over; a new one when null). An id of 0 or more
    // is the item's; a negative id renumbers every item by its position.
    CSkinTabManagerItem* AddItem(CSkinTabManagerItem* item, int id);
    void RenumberItems();
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    CSkinTabManagerItem* GetItem(int index) const;

    void SetNotify(CTabNotify* notify) { m_notify = notify; }
    void SetItemWidth(int width) { m_itemWidth = width; }
    int GetItemWidth() const { return m_itemWidth; }
    // At least one row.
    void SetRowCount(int rows) { m_rows = rows < 1 ? 1 : rows; }
    int GetRowCount() const { return m_rows; }

    // An index outside the tabs selects none.
    void SelectItem(int index);
    CSkinTabManagerItem* GetSelectedItem() const { return m_selected; }
    CSkinTabManagerItem* HitTest(int x, int y) const;
    // Nothing when the click was already handled; otherwise the tab under
    // the point is reported to the notify target and selected (1), or 0.
    int OnClick(HWND owner, int x, int y, bool handled);

    // Places every tab; tabs that find no row keep their rectangles.
    void Layout(HDC dc, int left, int top, int right, int bottom);
    void Draw(HDC dc, const RECT& clip) const;
    const CRect& GetRect() const { return m_rect; }

    // The rows' arithmetic: the rectangles of the first tabs in order, for
    // the tabs' widths (measured or fixed), the row count and the rectangle.
    // Fewer rectangles than widths when the rows are used up.
    static std::vector<CRect> LayoutRows(
        const std::vector<int>& widths, int fixedWidth, int rows, const RECT& area);
    // "宋体", 13 px, normal weight.
    static HFONT TabFont();

private:
    std::vector<std::unique_ptr<CSkinTabManagerItem>> m_items;
    CTabNotify* m_notify = nullptr;
    CRect m_rect;
    int m_itemWidth = kWidthFromText;
    int m_rows = 1;
    CSkinTabManagerItem* m_selected = nullptr;
};
