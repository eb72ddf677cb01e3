#include "skin/SkinFlatTabCtrl.h"
#include <algorithm>

namespace {

const char kToolTipText[] = "SkinFlat_Tab Tool Tip";

struct GlyphShape
{
    POINT polygon[4];
    bool hasBar;
    POINT bar[2];
};

// Triangles in a 100 by 100 space; the first and last glyphs add a bar.
const GlyphShape kGlyphShapes[4] = {
    { { { 100, 0 }, { 0, 50 }, { 100, 100 }, { 100, 0 } }, false, { { 0, 0 }, { 0, 0 } } },
    { { { 0, 0 }, { 100, 50 }, { 0, 100 }, { 0, 0 } }, false, { { 0, 0 }, { 0, 0 } } },
    { { { 100, 0 }, { 0, 50 }, { 100, 100 }, { 100, 0 } }, true, { { 0, 0 }, { 0, 100 } } },
    { { { 0, 0 }, { 100, 50 }, { 0, 100 }, { 0, 0 } }, true, { { 100, 0 }, { 100, 100 } } },
};

const int kButtonIds[4] = { CSkinFlatTabCtrl::kButtonLeft, CSkinFlatTabCtrl::kButtonRight,
    CSkinFlatTabCtrl::kButtonFirst, CSkinFlatTabCtrl::kButtonLast };

HENHMETAFILE RecordGlyph(const GlyphShape& shape, COLORREF colour)
{
    CClientDC screen(nullptr);
    // The picture frame (0.01 mm) of 100 by 100 device pixels, so that a
    // glyph played into a rectangle fills it.
    const int widthMm = ::GetDeviceCaps(screen, HORZSIZE);
    const int heightMm = ::GetDeviceCaps(screen, VERTSIZE);
    const int widthPx = std::max(1, ::GetDeviceCaps(screen, HORZRES));
    const int heightPx = std::max(1, ::GetDeviceCaps(screen, VERTRES));
    const RECT frame = { 0, 0, MulDiv(100, widthMm * 100, widthPx), MulDiv(100, heightMm * 100, heightPx) };
    HDC dc = ::CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
    if (!dc)
        return nullptr;
    {
        CPen pen;
        CBrush brush;
        pen.Create(PS_SOLID, 1, colour);
        brush.CreateSolid(colour);
        CSelectObject selectPen(dc, pen);
        CSelectObject selectBrush(dc, brush);
        ::Polygon(dc, shape.polygon, 4);
        if (shape.hasBar) {
            ::MoveToEx(dc, shape.bar[0].x, shape.bar[0].y, nullptr);
            ::LineTo(dc, shape.bar[1].x, shape.bar[1].y);
        }
    }
    return ::CloseEnhMetaFile(dc);
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

}

// CSkinMetaFileButton ---------------------------------------------------------

void CSkinMetaFileButton::SetMetaFiles(
    HENHMETAFILE normal, HENHMETAFILE pressed, HENHMETAFILE focused, HENHMETAFILE disabled)
{
    m_normal = normal;
    m_pressed = pressed;
    m_focused = focused;
    m_disabled = disabled;
}

CRect CSkinMetaFileButton::GlyphRect(int height, bool pressed)
{
    const int k = std::min(15, std::max(11, height));
    CRect glyph(5, 4, k / 2 + 1, (k / 2) * 2 - 4);
    if (pressed)
        glyph.Offset(1, 1);
    return glyph;
}

void CSkinMetaFileButton::DrawFace(HDC dc, const RECT& rect, UINT state) const
{
    // The pens outlive the DC state that selects them.
    CPen highlight;
    CPen shadow;
    CPen text;
    highlight.Create(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    shadow.Create(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
    text.Create(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT));
    CSaveDC saved(dc);
    FillSolidRect(dc, rect, ::GetSysColor(COLOR_BTNFACE));
    const bool pressed = (state & ODS_SELECTED) != 0;
    const int r = rect.right;
    const int b = rect.bottom;
    if (!pressed) {
        ::SelectObject(dc, highlight);
        Line(dc, 0, b - 2, 0, 1);
        ::LineTo(dc, r - 2, 1);
        ::SelectObject(dc, shadow);
        Line(dc, 0, b - 1, r - 2, b - 1);
        ::LineTo(dc, r - 2, 0);
        Line(dc, 1, b - 2, r - 3, b - 2);
        ::LineTo(dc, r - 3, 1);
    } else {
        ::SelectObject(dc, shadow);
        Line(dc, 0, b - 1, 0, 1);
        ::LineTo(dc, r - 1, 1);
    }
    ::SelectObject(dc, text);
    Line(dc, 0, 0, r - 1, 0);
    ::LineTo(dc, r - 1, b);

    HENHMETAFILE glyph = m_normal;
    if (pressed && m_pressed)
        glyph = m_pressed;
    else if ((state & ODS_FOCUS) && m_focused)
        glyph = m_focused;
    else if ((state & ODS_DISABLED) && m_disabled)
        glyph = m_disabled;
    if (glyph) {
        const CRect target = GlyphRect(rect.bottom - rect.top, pressed);
        ::PlayEnhMetaFile(dc, glyph, &target);
    }
}

LRESULT CSkinMetaFileButton::OnPaint(UINT, WPARAM wp, LPARAM, BOOL&)
{
    return PaintDoubleBuffered(m_hWnd, WM_PAINT, wp, [this](HDC dc, const RECT& client) {
        FillSolidRect(dc, client, ::GetSysColor(COLOR_WINDOW));
        DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    });
}

// Quick repeated clicks each press the button again.
LRESULT CSkinMetaFileButton::OnDoubleClick(UINT, WPARAM wp, LPARAM, BOOL&)
{
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    SendMessage(WM_LBUTTONDOWN, wp, MAKELPARAM(cursor.x, cursor.y));
    return 0;
}

void CSkinMetaFileButton::OnDrawItem(UINT, DRAWITEMSTRUCT* item, BOOL&)
{
    DrawFace(item->hDC, item->rcItem, item->itemState);
}

// CSkinFlatTabCtrl --------------------------------------------------------------

CSkinFlatTabCtrl::CSkinFlatTabCtrl()
    : m_unselectedFill(::GetSysColor(COLOR_WINDOW))
    , m_unselectedText(::GetSysColor(COLOR_WINDOWTEXT))
    , m_selectedFill(::GetSysColor(COLOR_BTNFACE))
    , m_selectedText(::GetSysColor(COLOR_BTNTEXT))
    , m_background(0)
    , m_arrows(false)
    , m_firstLast(false)
    , m_bottomTabs(false)
    , m_current(-1)
    , m_width(0)
    , m_height(0)
    , m_total(2)
    , m_offset(0)
{
}

CSkinFlatTabCtrl::~CSkinFlatTabCtrl() = default;

int CSkinFlatTabCtrl::GetAreaStart() const
{
    return CFlatTabGeometry::AreaStart(m_arrows, m_firstLast);
}

CFlatTabGeometry CSkinFlatTabCtrl::Geometry() const
{
    return CFlatTabGeometry(m_widths, m_height, GetAreaStart(), m_offset);
}

HWND CSkinFlatTabCtrl::GetButton(int id) const
{
    for (int i = 0; i < kGlyphCount; ++i)
        if (kButtonIds[i] == id && m_buttons[i])
            return m_buttons[i]->m_hWnd;
    return nullptr;
}

LRESULT CSkinFlatTabCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled)
{
    const DWORD style = GetStyle();
    m_bottomTabs = (style & kStyleBottomTabs) != 0;
    m_arrows = (style & kStyleArrows) != 0;
    m_firstLast = m_arrows && (style & kStyleFirstLast) != 0;
    if (m_arrows) {
        CreateButton(kGlyphLeft, kButtonLeft, false);
        CreateButton(kGlyphRight, kButtonRight, false);
        if (m_firstLast) {
            CreateButton(kGlyphFirst, kButtonFirst, true);
            CreateButton(kGlyphLast, kButtonLast, true);
        }
        PlaceButtons();
    }
    if (style & kStyleToolTip) {
        if (m_tooltip.Create(m_hWnd)) {
            m_tooltip.Activate(true);
            m_tooltip.AddTool(m_hWnd, 0, kToolTipText, nullptr, 0);
            m_tooltip.SetMaxTipWidth(0x7FFF);
        }
    }
    handled = FALSE; // the window's own creation goes on
    return 0;
}

bool CSkinFlatTabCtrl::CreateButton(int index, int id, bool enabled)
{
    m_glyphs[index].Attach(RecordGlyph(kGlyphShapes[index], RGB(0, 0, 0)));
    m_disabledGlyphs[index].Attach(RecordGlyph(kGlyphShapes[index], RGB(0x80, 0x80, 0x80)));
    std::unique_ptr<CSkinMetaFileButton> button(new CSkinMetaFileButton);
    const DWORD style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | (enabled ? 0 : WS_DISABLED);
    if (!button->Create(m_hWnd, CRect(0, 0, kButtonWidth, 16), "", style, 0, static_cast<UINT_PTR>(id)))
        return false;
    button->SetMetaFiles(m_glyphs[index], nullptr, nullptr, m_disabledGlyphs[index]);
    m_buttons[index] = std::move(button);
    return true;
}

void CSkinFlatTabCtrl::PlaceButtons()
{
    const int height = m_height > 0 ? m_height : 16;
    const int order[4] = { kGlyphFirst, kGlyphLeft, kGlyphRight, kGlyphLast };
    int x = 1;
    for (int glyph : order) {
        if (!m_buttons[glyph])
            continue;
        ::SetWindowPos(*m_buttons[glyph], nullptr, x, 0, kButtonWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
        x += kButtonWidth;
    }
}

void CSkinFlatTabCtrl::OnSize(UINT, CSize client, BOOL&)
{
    m_width = client.cx;
    m_height = client.cy;
    PlaceButtons();
    RecreateFonts();
    RecomputeTotal();
    RefreshButtons(false);
}

void CSkinFlatTabCtrl::RecreateFonts()
{
    // The owners replace the old fonts, which frees them. The titles are
    // code-page-936 text: a Western character set would draw them as
    // Western characters, so the system's own character set is asked for.
    for (CFont* font : { &m_font, &m_selectedFont })
        font->Attach(::CreateFontA(6 - m_height, 0, 0, 0, 800, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
            OUT_TT_PRECIS, CLIP_STROKE_PRECIS, PROOF_QUALITY, FF_SWISS, nullptr));
}

CSize CSkinFlatTabCtrl::MeasureTitle(HDC dc, const std::string& title) const
{
    CSelectObject font(dc, m_selectedFont);
    RECT r = { 0, 0, 150, 17 };
    ::DrawTextA(
        dc, title.c_str(), static_cast<int>(title.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    return CSize(r.right - r.left, r.bottom - r.top);
}

void CSkinFlatTabCtrl::RecomputeTotal()
{
    m_widths.clear();
    CMemDC dc;
    for (const std::string& title : m_titles)
        m_widths.push_back(CFlatTabGeometry::TabWidth(MeasureTitle(dc, title).cx, m_height));
    m_total = Geometry().Total();
}

void CSkinFlatTabCtrl::RefreshButtons(bool afterClick)
{
    if (!m_arrows || !m_hWnd)
        return;
    const CFlatTabGeometry geometry = Geometry();
    const bool left = geometry.CanScrollLeft();
    const bool right = geometry.CanScrollRight(m_width);
    const bool states[4] = { left, right, left, right };
    for (int i = 0; i < kGlyphCount; ++i)
        if (m_buttons[i])
            m_buttons[i]->EnableWindow(states[i]);
    // A view's list keeps the focus while the tabs change or the view is
    // resized; only a click on the strip or a button leaves it here.
    if (afterClick) {
        HWND focus = ::GetFocus();
        if (focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus)))
            SetFocus();
    }
}

void CSkinFlatTabCtrl::InvalidateStrip()
{
    if (!m_hWnd)
        return;
    const int start = GetAreaStart();
    const int end = m_total + start - m_offset;
    const RECT strip = { start, 0, end, m_height };
    InvalidateRect(&strip, false);
    if (end < m_width) {
        const RECT rest = { end, 0, m_width, m_height };
        InvalidateRect(&rest, true);
    }
}

int CSkinFlatTabCtrl::AddItem(int index, const char* title)
{
    if (index < 0 || index > static_cast<int>(m_titles.size()))
        return -1;
    const std::string text = title ? title : "";
    m_titles.push_back(text);
    m_data.push_back(text);
    if (m_titles.size() == 1)
        m_current = 0;
    RecomputeTotal();
    RefreshButtons(false);
    InvalidateStrip();
    return index;
}

int CSkinFlatTabCtrl::DeleteItem(int index)
{
    if (index < 0 || index >= static_cast<int>(m_titles.size()))
        return 0;
    m_titles.erase(m_titles.begin() + index);
    m_data.erase(m_data.begin() + index);
    RecomputeTotal();
    RefreshButtons(false);
    InvalidateStrip();
    return 1;
}

int CSkinFlatTabCtrl::DeleteAllItems()
{
    m_titles.clear();
    m_data.clear();
    m_current = -1;
    RecomputeTotal();
    RefreshButtons(false);
    InvalidateStrip();
    return 1;
}

int CSkinFlatTabCtrl::GetItemRect(int index, RECT* out)
{
    int left = 0;
    int right = 0;
    if (!out || !Geometry().ItemRect(index, left, right))
        return 0;
    *out = CRect(left, 0, right, m_height);
    return 1;
}

int CSkinFlatTabCtrl::HitTest(POINT* point)
{
    return point ? Geometry().HitTest(point->x) : -1;
}

int CSkinFlatTabCtrl::GetCurSel()
{
    return m_current;
}

int CSkinFlatTabCtrl::SetCurSel(int index)
{
    if (index < 0 || index >= static_cast<int>(m_titles.size()))
        return -1;
    const int old = m_current;
    m_current = index;
    m_offset = Geometry().OffsetToShow(index, m_width);
    RefreshButtons(false);
    InvalidateStrip();
    return old;
}

int CSkinFlatTabCtrl::GetItemCount()
{
    return static_cast<int>(m_titles.size());
}

void CSkinFlatTabCtrl::SetItemData(int index, const char* text)
{
    if (index < 0 || index >= static_cast<int>(m_data.size()))
        return;
    m_data[static_cast<size_t>(index)] = text ? text : "";
}

std::string CSkinFlatTabCtrl::GetItemData(int index)
{
    if (index < 0 || index >= static_cast<int>(m_data.size()))
        return std::string();
    return m_data[static_cast<size_t>(index)];
}

void CSkinFlatTabCtrl::ResetScroll()
{
    m_offset = 0;
    RefreshButtons(false);
    InvalidateStrip();
}

const char* CSkinFlatTabCtrl::GetItem(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_titles.size()))
        return nullptr;
    return m_titles[static_cast<size_t>(index)].c_str();
}

void CSkinFlatTabCtrl::Notify(UINT code)
{
    NMHDR header = {};
    header.hwndFrom = m_hWnd;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    header.code = code;
    ::SendMessageA(GetParent(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void CSkinFlatTabCtrl::OnLButtonDown(UINT, CPoint point, BOOL&)
{
    const int index = HitTest(&point);
    if (index < 0)
        return;
    NMHDR header = {};
    header.hwndFrom = m_hWnd;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    header.code = static_cast<UINT>(TCN_SELCHANGING);
    if (::SendMessageA(GetParent(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) != 0)
        return;
    SetCurSel(index);
    RefreshButtons(true);
    InvalidateStrip();
    Notify(static_cast<UINT>(TCN_SELCHANGE));
}

LRESULT CSkinFlatTabCtrl::OnScrollButton(WORD, WORD id, HWND, BOOL& handled)
{
    if (!GetButton(id)) {
        handled = FALSE; // not one of ours
        return 0;
    }
    const CFlatTabGeometry geometry = Geometry();
    switch (id) {
    case kButtonFirst:
        m_offset = 0;
        break;
    case kButtonLast:
        m_offset = geometry.OffsetForLast(m_width);
        break;
    case kButtonLeft:
        m_offset = geometry.OffsetForLeft();
        break;
    case kButtonRight:
        m_offset = geometry.OffsetForRight();
        break;
    default:
        break;
    }
    RefreshButtons(true);
    InvalidateStrip();
    return 0;
}

void CSkinFlatTabCtrl::DrawTab(HDC dc, int x, int y, const std::string& title, bool selected)
{
    const int h = m_height;
    const CSize text = MeasureTitle(dc, title);
    const int t = text.cx;
    const int narrow = m_bottomTabs ? y + h - 1 : y;
    const int wide = m_bottomTabs ? y : y + h - 1;
    const POINT corners[4]
        = { { x, wide }, { x + h / 2, narrow }, { x + h + t, narrow }, { x + t + h + h / 2, wide } };
    const COLORREF fill = selected ? m_selectedFill : m_unselectedFill;
    const COLORREF textColour = selected ? m_selectedText : m_unselectedText;

    CPen outline;
    CBrush brush;
    CPen shadow;
    CPen fillPen;
    outline.Create(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT));
    brush.CreateSolid(fill);
    shadow.Create(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
    fillPen.Create(PS_SOLID, 1, fill);
    CSaveDC saved(dc);
    ::SelectObject(dc, outline);
    ::SelectObject(dc, brush);
    ::Polygon(dc, corners, 4);

    ::SetBkColor(dc, fill);
    ::SetTextColor(dc, textColour);
    ::SelectObject(dc, selected ? m_selectedFont : m_font);
    RECT textRect = { x + h - 4, y + 1, x + h - 4 + t, y + 1 + text.cy };
    ::DrawTextA(dc, title.c_str(), static_cast<int>(title.size()), &textRect, DT_CENTER);

    ::SelectObject(dc, shadow);
    if (selected) {
        Line(dc, x + h / 2 + 1, narrow, x + h + t, narrow);
        ::SelectObject(dc, fillPen);
        Line(dc, x + 1, wide, x + t + h + h / 2, wide);
    } else {
        Line(dc, x + h / 2 + 1, narrow, x + h + t - 1, narrow);
        ::LineTo(dc, x + t + h + h / 2 - 1, wide);
    }
}

void CSkinFlatTabCtrl::DoPaint(HDC dc)
{
    const int h = m_height;
    const int start = GetAreaStart();
    const CRect client(0, 0, m_width, h);
    FillSolidRect(dc, client, m_background);
    CPen black;
    black.Create(PS_SOLID, 1, RGB(0, 0, 0));
    CSaveDC saved(dc);
    ::SelectObject(dc, black);
    Line(dc, 0, 0, 0, h);

    const int end = m_total + start - m_offset;
    const int baseY = m_bottomTabs ? 0 : h - 1;
    const CRect band = m_bottomTabs ? CRect(0, 1, 0, h) : CRect(0, 0, 0, h - 1);
    Line(dc, end, baseY, m_width, baseY);
    if (end < m_width)
        FillSolidRect(dc, CRect(end, band.top, m_width, band.bottom), m_background);
    if (h <= 0 || m_total <= 0)
        return;

    CMemDC stripDc(dc);
    CBitmap stripBitmap;
    if (!stripDc || !stripBitmap.CreateCompatibleBitmap(dc, m_total, h))
        return;
    CSelectObject selectBitmap(stripDc, stripBitmap);
    FillSolidRect(stripDc, CRect(0, 0, m_total, h), m_background);
    ::SelectObject(stripDc, black);
    Line(stripDc, 0, baseY, m_total, baseY);
    const CFlatTabGeometry geometry = Geometry();
    for (int i = 0; i < static_cast<int>(m_titles.size()); ++i)
        if (i != m_current)
            DrawTab(stripDc, geometry.StripX(i), 0, m_titles[static_cast<size_t>(i)], false);
    if (m_current >= 0 && m_current < static_cast<int>(m_titles.size()))
        DrawTab(stripDc, geometry.StripX(m_current), 0, m_titles[static_cast<size_t>(m_current)], true);

    // Only the part of the strip that exists is copied: past its end the
    // band drawn above stays.
    const int shown = std::min(m_width - start, m_total - m_offset);
    if (shown > 0)
        ::BitBlt(dc, start, 0, shown, h, stripDc, m_offset, 0, SRCCOPY);
}
