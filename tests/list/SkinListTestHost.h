#pragma once
// A skinned list on a popup host window for the list tests, with access to
// the state that the input code sets (selection, focus, editing, band).
#include "skin/SkinListImpl.h"
#include "tests/support/WindowTesting.h"
#include "win/Dib32.h"
#include <windows.h>

class CListTestHost : public CWindowImpl<CListTestHost, CWindow, CWinTraits<WS_POPUP | WS_CLIPCHILDREN>>
{
public:
    DECLARE_WND_CLASS_EX("ZtListTestHost", 0, COLOR_WINDOW + 1)
    BEGIN_MSG_MAP(CListTestHost)
    END_MSG_MAP()
};

class CTestSkinList : public CSkinListCtrlData
{
public:
    void Select(int row) { m_state.selection.insert(row); }
    void SetFocusState(int anchor, int row, int column)
    {
        m_state.anchorRow = anchor;
        m_state.focusRow = row;
        m_state.focusColumn = column;
    }
    void SetEditing(bool editing) { m_state.editing = editing; }
    void SetHotCell(int row, int column)
    {
        m_state.hotRow = row;
        m_state.hotColumn = column;
    }
    void SetBand(const CRect& content)
    {
        m_state.bandActive = true;
        m_state.band = content;
    }
    bool IsHeaderThemed() const { return IsThemed(); }
};

// The host and its list, both gone at the end of the scope.
struct ListWindow
{
    CListTestHost host;
    CTestSkinList list;

    // The list fills the host's client area.
    bool Create(int width, int height, bool visualStyles = false)
    {
        if (!host.Create(nullptr, CRect(0, 0, width, height)))
            return false;
        ShowWithoutActivating(host);
        list.m_options.visualStyles = visualStyles;
        return list.Create(host, CRect(0, 0, width, height), nullptr, WS_CHILD | WS_VISIBLE) != nullptr;
    }
    ~ListWindow()
    {
        if (host.m_hWnd)
            host.DestroyWindow();
    }
};

// Pixels of one colour in a rectangle of an image.
inline int CountColor(const CDib32& image, const RECT& r, COLORREF color)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += image.GetColor(x, y) == color ? 1 : 0;
    return n;
}

// True when two rectangles of the same size show the same pixels.
inline bool SamePixels(const CDib32& image, const RECT& a, const RECT& b)
{
    for (int y = 0; y < a.bottom - a.top; ++y)
        for (int x = 0; x < a.right - a.left; ++x)
            if (image.GetColor(a.left + x, a.top + y) != image.GetColor(b.left + x, b.top + y))
                return false;
    return true;
}
