#pragma once
// A "transparent" child: what lies behind its text and images is its parent's
// background at the child's place, taken as a pattern brush. The brush is built
// at the first paint that needs it and dropped whenever the child is about to
// move or change size, so that the next paint takes the picture at the new
// place. Mixed into a window class T (which has m_hWnd), whose message map
// chains to this one: CHAIN_MSG_MAP(CParentBackground<T>). UI thread only.
#include "base/ImageUtil.h"
#include "win/Gdi.h"
#include "win/MessageMap.h"
#include <windows.h>

template <class T> class CParentBackground
{
public:
    BEGIN_MSG_MAP(CParentBackground)
        MESSAGE_HANDLER(WM_WINDOWPOSCHANGING, OnWindowPosChanging)
    END_MSG_MAP()

    bool HasParentBackground() const { return !m_parentBackground.IsNull(); }

protected:
    // Fills the area with the parent's background; false (nothing drawn) when
    // the parent's picture cannot be taken, and the caller fills with its own colour.
    bool FillWithParentBackground(HDC dc, const RECT& area)
    {
        if (m_parentBackground.IsNull()) {
            HWND self = static_cast<T*>(this)->m_hWnd;
            m_parentBackground.Attach(DrawParentBackground(self, ::GetParent(self)));
        }
        if (m_parentBackground.IsNull())
            return false;
        ::FillRect(dc, &area, m_parentBackground.Get());
        return true;
    }
    void ResetParentBackground() { m_parentBackground.Reset(); }

private:
    LRESULT OnWindowPosChanging(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        m_parentBackground.Reset();
        handled = FALSE;
        return 0;
    }

    CBrush m_parentBackground;
};
