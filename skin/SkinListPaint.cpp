// Painting of the skinned list: everything goes through one memory bitmap
// per paint, under the list lock, background first and the header last.
#include "skin/SkinListImpl.h"
#include "base/Format.h"
#include <algorithm>
#include <cmath>
#include <uxtheme.h>
#include <vssym32.h>

namespace {

constexpr int kSortIndicatorRoom = 15;
constexpr BYTE kBandAlpha = 180;
constexpr UINT kAnimationIntervalMs = 20;

UINT AlignmentFlags(int format)
{
    const UINT common = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (format & kListAlignCenter)
        return common | DT_CENTER;
    if (format & kListAlignRight)
        return common | DT_RIGHT;
    return common | DT_LEFT;
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color)
{
    CPen pen;
    if (!pen.Create(PS_SOLID, 1, color))
        return;
    CSelectObject select(dc, pen);
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

void DrawRaisedBorder(HDC dc, const CRect& r, COLORREF highlight, COLORREF shadow)
{
    DrawLine(dc, r.left, r.bottom - 1, r.left, r.top, highlight);
    DrawLine(dc, r.left, r.top, r.right - 1, r.top, highlight);
    DrawLine(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, shadow);
    DrawLine(dc, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1, shadow);
}

// The progress value of a text: its leading number limited to 0..100.
double ProgressValue(const std::string& text)
{
    const double v = ListTextToDouble(text);
    if (std::isnan(v) || v <= 0)
        return 0;
    return v >= 100 ? 100 : v;
}

}

void CSkinListImpl::DrawVerticalGradient(HDC dc, const CRect& r, COLORREF top, COLORREF bottom)
{
    if (r.IsEmpty())
        return;
    TRIVERTEX vertices[2] = {};
    vertices[0].x = r.left;
    vertices[0].y = r.top;
    vertices[0].Red = static_cast<COLOR16>(GetRValue(top) << 8);
    vertices[0].Green = static_cast<COLOR16>(GetGValue(top) << 8);
    vertices[0].Blue = static_cast<COLOR16>(GetBValue(top) << 8);
    vertices[1].x = r.right;
    vertices[1].y = r.bottom;
    vertices[1].Red = static_cast<COLOR16>(GetRValue(bottom) << 8);
    vertices[1].Green = static_cast<COLOR16>(GetGValue(bottom) << 8);
    vertices[1].Blue = static_cast<COLOR16>(GetBValue(bottom) << 8);
    GRADIENT_RECT mesh = { 0, 1 };
    ::GradientFill(dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
}

void CSkinListImpl::DrawRoundedFrame(HDC dc, const CRect& r, COLORREF outer, COLORREF inner, bool on) const
{
    if (!on)
        return;
    CPen outerPen;
    CPen innerPen;
    CBrush fill;
    if (!outerPen.Create(PS_SOLID, 1, outer) || !innerPen.Create(PS_SOLID, 1, inner)
        || !fill.CreateSolid(m_colors.background))
        return;
    CSelectObject brush(dc, fill);
    {
        CSelectObject pen(dc, outerPen);
        ::RoundRect(dc, r.left, r.top, r.right, r.bottom, 5, 5);
    }
    CSelectObject pen(dc, innerPen);
    ::RoundRect(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, 2, 2);
}

void CSkinListImpl::DrawStripImage(HDC dc, int image, const CRect& area, bool centred, int right) const
{
    if (m_imageStrip.IsNull())
        return;
    int cx = kStripImageSize;
    int cy = kStripImageSize;
    ::ImageList_GetIconSize(m_imageStrip, &cx, &cy);
    const int x = centred ? area.left + (area.Width() - cx) / 2 - 1 : area.left;
    const int y = area.top + (area.Height() - cy) / 2;
    const int width = std::min<int>(cx, right - x);
    if (width <= 0)
        return;
    ::ImageList_DrawEx(m_imageStrip, image, dc, x, y, width, cy, CLR_DEFAULT, CLR_DEFAULT, ILD_TRANSPARENT);
}

void CSkinListImpl::DoPaint(HDC dc)
{
    CRect clip;
    if (::GetClipBox(dc, &clip) == ERROR)
        return;
    const CRect client = GetClientRect();
    CSaveDC saved(dc);
    SingleLock lock(&m_lock);
    PreparePaintState();
    PaintBackground(dc, clip, client);
    PaintRows(dc, clip, GetTopRow(), GetHeaderHeight(), GetItemCount());
    if (m_state.bandActive)
        PaintRubberBand(dc, client);
    if (m_options.showHeader && clip.top < GetHeaderHeight())
        PaintCachedHeader(dc, clip, client);
}

void CSkinListImpl::PreparePaintState()
{
    // Asked once per paint: the focus query is a round trip to the window
    // system, too slow for every cell of a full screen.
    m_paintState.focused = HasListFocus();
    GetSelectedCell(m_paintState.focusRow, m_paintState.focusColumn);
    m_paintState.themed = IsThemed();
}

void CSkinListImpl::PaintBackground(HDC dc, const CRect& clip, const CRect& client)
{
    FillSolidRect(dc, clip, m_colors.background);
    const int header = GetHeaderHeight();
    if (m_backgroundImage.IsNull() || clip.bottom <= header)
        return;
    const CSize image = m_backgroundImage.GetSize();
    if (image.cx <= 0 || image.cy <= 0)
        return;
    CMemDC source(dc);
    CSelectObject select(source, m_backgroundImage);
    const int below = client.Height() - header;
    if (m_options.tileBackground) {
        const int columns = (client.Width() + image.cx - 1) / image.cx;
        const int rows = (below + image.cy - 1) / image.cy + 1;
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column)
                ::BitBlt(dc, client.left + column * image.cx, client.top + row * image.cy, image.cx, image.cy,
                    source, 0, 0, SRCCOPY);
        return;
    }
    const int x = image.cx > client.Width() ? client.left : client.left + (client.Width() - image.cx) / 2;
    const int width = std::min<int>(image.cx, client.right - x);
    if (image.cy + 16 < below) {
        const int y = client.top + below / 2 - (image.cy + 16) / 2;
        ::BitBlt(dc, x, y, width, image.cy, source, 0, 0, SRCCOPY);
    } else {
        ::BitBlt(dc, x, header, width, client.bottom - header, source, 0, 0, SRCCOPY);
    }
}

void CSkinListImpl::PaintRows(HDC dc, const CRect& clip, int firstRow, int top, int rowCount)
{
    if (m_rowHeight <= 0)
        return;
    // The cells' fonts stay selected from cell to cell until this returns.
    CSaveDC saved(dc);
    m_paintState.font = nullptr;
    CRect rowRect(-GetScrollPosition(SB_HORZ), top, 0, top + m_rowHeight);
    rowRect.right = GetTotalWidth() - 1;
    for (int row = std::max(0, firstRow); row < rowCount; ++row) {
        if (rowRect.top > clip.bottom || clip.right < rowRect.left)
            break;
        if (rowRect.bottom > clip.top)
            PaintRow(dc, clip, rowRect, row);
        rowRect.Offset(0, m_rowHeight);
    }
}

void CSkinListImpl::PaintRow(HDC dc, const CRect& clip, const CRect& rowRect, int row)
{
    const bool focused = m_paintState.focused;
    if (m_state.selection.count(row)) {
        if (m_paintState.themed) {
            DrawRoundedFrame(dc, rowRect, focused ? m_colors.focusedFrameOuter : m_colors.unfocusedFrameOuter,
                focused ? m_colors.focusedFrameInner : m_colors.unfocusedFrameInner, m_options.roundedSelection);
            CRect fill(rowRect);
            fill.Deflate(2, 2);
            if (m_options.underlineSelection)
                fill = CRect(rowRect.left + 2, rowRect.bottom - 2, rowRect.right - 2, rowRect.bottom);
            DrawVerticalGradient(dc, fill, focused ? m_colors.focusedFillTop : m_colors.unfocusedFillTop,
                focused ? m_colors.focusedFillBottom : m_colors.unfocusedFillBottom);
        } else if (m_options.underlineSelection) {
            FillSolidRect(dc, CRect(rowRect.left + 2, rowRect.bottom - 1, rowRect.right - 2, rowRect.bottom),
                m_colors.selection);
        } else {
            FillSolidRect(dc, rowRect, m_colors.selection);
        }
    }
    int x = rowRect.left;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const int width = m_columns[c].width;
        const CRect cell(x, rowRect.top, x + width - 1, rowRect.bottom);
        if (x > clip.right)
            break;
        if (cell.right >= clip.left && width != 1) {
            bool endOfRow = false;
            PaintCell(dc, clip, rowRect, row, static_cast<int>(c), cell, endOfRow);
            if (endOfRow)
                break;
        }
        x = cell.right + 1;
    }
}

CRect CSkinListImpl::GetCellTextRect(int row, int column, const CRect& cell) const
{
    SingleLock lock(&m_lock);
    CRect text(cell.left + (column == 0 ? 4 : 3), cell.top, cell.right, cell.bottom);
    text.Deflate(4, 0);
    if (!IsValidColumn(column))
        return text;
    const SkinListCell* data = CellAt(row, m_columns[static_cast<size_t>(column)].key);
    const bool editedCell = m_state.editing && row == m_state.focusRow && column == m_state.focusColumn;
    if (data && m_cellImages && data->image != -1 && !editedCell) {
        int cx = 0;
        int cy = 0;
        ::ImageList_GetIconSize(m_cellImages, &cx, &cy);
        text.left += cx + 4;
    }
    return text;
}

void CSkinListImpl::PaintCell(
    HDC dc, const CRect&, const CRect& rowRect, int row, int column, const CRect& cell, bool& endOfRow)
{
    const SkinListColumn& col = m_columns[static_cast<size_t>(column)];
    const SkinListCell* data = CellAt(row, col.key);
    if (!data)
        return;
    const int kind = EffectiveKind(row, col.key);
    const int format = EffectiveFormat(row, col.key);
    if (kind == kListCellEndOfRow) {
        endOfRow = true;
        return;
    }
    const std::string shown = kind == kListCellRowNumber ? FormatString("%d", row + 1) : data->text;
    const bool themed = m_paintState.themed;
    const bool focused = m_paintState.focused;
    const bool focusCell
        = m_options.cellSelection && row == m_paintState.focusRow && column == m_paintState.focusColumn;
    if (focusCell && m_options.focusCellHighlight) {
        if (!themed) {
            if (m_state.editing) {
                FillSolidRect(dc, cell, m_colors.background);
                CBrush frame;
                if (frame.CreateSolid(m_colors.focusCell))
                    ::FrameRect(dc, &cell, frame);
            } else {
                FillSolidRect(dc, cell, m_colors.focusCell);
            }
        } else if (focused) {
            DrawRoundedFrame(dc, cell, m_colors.focusedFrameOuter, m_colors.focusedFrameInner,
                m_options.roundedSelection);
        }
    } else if (data->background != m_colors.background) {
        CPen pen;
        CBrush brush;
        if (pen.Create(PS_SOLID, 1, data->background) && brush.CreateSolid(data->background)) {
            CSelectObject selectPen(dc, pen);
            CSelectObject selectBrush(dc, brush);
            ::RoundRect(dc, cell.left, cell.top, cell.right, cell.bottom, 3, 3);
        }
    }

    CRect text(cell.left + (column == 0 ? 4 : 3), cell.top, cell.right, cell.bottom);
    text.Deflate(4, 0);
    if (m_cellImages && data->image != -1 && !(focusCell && m_state.editing)) {
        int cx = 0;
        int cy = 0;
        ::ImageList_GetIconSize(m_cellImages, &cx, &cy);
        int x = text.left;
        if (shown.empty())
            x = text.left + (text.Width() - cx) / 2 - (themed ? 1 : 0);
        const int width = std::min<int>(cx, cell.right - x);
        if (width > 0)
            ::ImageList_DrawEx(m_cellImages, data->image, dc, x, cell.top + (cell.Height() - cy) / 2, width, cy,
                CLR_DEFAULT, CLR_DEFAULT, ILD_TRANSPARENT);
        text.left += cx + 4;
    }
    if (text.IsEmpty() && kind != kListCellProgress)
        return;

    HFONT font = data->font ? data->font : m_font.Get();
    COLORREF color = (focusCell && m_options.focusCellHighlight) ? m_colors.text : data->textColor;
    ::SetBkMode(dc, TRANSPARENT);
    switch (kind) {
    case kListCellDate: {
        if (data->text.empty())
            return;
        std::string date = FormatListDateText(data->text, format);
        SelectCellFont(dc, font);
        ::SetTextColor(dc, color);
        ::DrawTextA(dc, date.c_str(), static_cast<int>(date.size()), &text, AlignmentFlags(format));
        return;
    }
    case kListCellCheck:
        DrawStripImage(dc, ListBoxValueSign(data->text) > 0 ? kImageChecked : kImageUnchecked, text, true, cell.right);
        return;
    case kListCellTriState: {
        const int value = ListBoxValueSign(data->text);
        DrawStripImage(dc, value < 0 ? kImageTriNegative : (value == 0 ? kImageUnchecked : kImageTriPositive), text,
            true, cell.right);
        return;
    }
    case kListCellProgress: {
        const double value = ProgressValue(data->text);
        CRect bar(cell);
        bar.Deflate(3, 2);
        if (!m_options.visualStyles || m_progressTheme.IsNull() || (format & kListPlainProgress)) {
            DrawRoundedFrame(dc, bar, m_colors.headerShadow, m_colors.headerBackground, true);
            bar.Deflate(3, 3);
            bar.right = bar.left + static_cast<int>(bar.Width() * value / 100);
            DrawVerticalGradient(dc, bar, m_colors.progressTop, m_colors.progressBottom);
        } else {
            ::DrawThemeBackground(m_progressTheme, dc, PP_BAR, 0, &bar, nullptr);
            bar = CRect(bar.left + 3, bar.top + 3, bar.right - 2, bar.bottom - 3);
            bar.right = bar.left + static_cast<int>(bar.Width() * value / 100);
            if (!bar.IsEmpty())
                ::DrawThemeBackground(m_progressTheme, dc, PP_CHUNK, 0, &bar, nullptr);
        }
        return;
    }
    case kListCellLink:
        if (row == m_state.hotRow && column == m_state.hotColumn && !(format & kListReadOnly)) {
            font = m_underlineFont.IsNull() ? font : m_underlineFont.Get();
            color = m_colors.link;
        }
        break;
    default:
        break;
    }
    SelectCellFont(dc, font);
    ::SetTextColor(dc, color);
    ::DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &text, AlignmentFlags(format));
    (void)rowRect;
}

void CSkinListImpl::SelectCellFont(HDC dc, HFONT font)
{
    // Selecting a font makes the system look up its realisation: a full
    // screen of cells in one font selects it once.
    if (font != m_paintState.font) {
        ::SelectObject(dc, font);
        m_paintState.font = font;
    }
}

void CSkinListImpl::PaintRubberBand(HDC dc, const CRect& client)
{
    const int header = GetHeaderHeight();
    const int hpos = GetScrollPosition(SB_HORZ);
    const int vpos = GetScrollPosition(SB_VERT);
    CRect band(m_state.band);
    band.Normalize();
    band.Offset(-hpos, -vpos);
    const int total = GetTotalWidth();
    if (hpos + client.Width() >= total - 1 && band.right > client.right)
        band.right = client.right;
    if (hpos == 0 && band.left < client.left)
        band.left = client.left;
    const int content = GetContentHeight();
    if (vpos + client.Height() >= content && band.bottom > client.bottom)
        band.bottom = client.bottom;
    if (vpos == 0 && band.top < header)
        band.top = header;

    const CRect below(client.left, header, client.right, client.bottom);
    CRect area;
    if (area.Intersect(band, below)) {
        CMemDC copyDc(dc);
        CMemDC fillDc(dc);
        CBitmap copy;
        CBitmap fill;
        if (copyDc && fillDc && copy.CreateCompatibleBitmap(dc, area.Width(), area.Height())
            && fill.CreateCompatibleBitmap(dc, area.Width(), area.Height())) {
            CSelectObject selectCopy(copyDc, copy);
            CSelectObject selectFill(fillDc, fill);
            const CRect local(0, 0, area.Width(), area.Height());
            ::BitBlt(copyDc, 0, 0, area.Width(), area.Height(), dc, area.left, area.top, SRCCOPY);
            FillSolidRect(fillDc, local, IsThemed() ? m_colors.selection : m_colors.focusCell);
            BLENDFUNCTION blend = { AC_SRC_OVER, 0, kBandAlpha, 0 };
            ::AlphaBlend(fillDc, 0, 0, area.Width(), area.Height(), copyDc, 0, 0, area.Width(), area.Height(), blend);
            ::BitBlt(dc, area.left, area.top, area.Width(), area.Height(), fillDc, 0, 0, SRCCOPY);
        }
    }
    CBrush frame;
    if (frame.CreateSolid(IsThemed() ? m_colors.selection : m_colors.text))
        ::FrameRect(dc, &band, frame);
}

void CSkinListImpl::PaintHeader(HDC dc, const CRect& clip, const CRect& client)
{
    const int header = GetHeaderHeight();
    const CRect bar(client.left, client.top, client.right, header);
    const bool themed = IsThemed();
    if (!themed)
        FillSolidRect(dc, bar, m_colors.headerBackground);
    CRect item(bar);
    item.Offset(-GetScrollPosition(SB_HORZ), 0);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        item.right = item.left + m_columns[c].width;
        if (item.left > clip.right)
            break;
        if (item.right >= clip.left) {
            const int column = static_cast<int>(c);
            const int state = column == m_state.pressedHeader ? HIS_PRESSED : (column == m_state.hotHeader ? HIS_HOT : HIS_NORMAL);
            PaintHeaderItem(dc, column, item, state, false);
        }
        item.left = item.right;
    }
    const int total = GetTotalWidth();
    if (themed) {
        if (total < client.Width()) {
            CRect rest(total, client.top, client.right + 2, header);
            ::DrawThemeBackground(m_headerTheme, dc, HP_HEADERITEM, HIS_NORMAL, &rest, nullptr);
        }
    } else if (total > 0 && m_options.headerDividers) {
        CRect border(bar);
        border.right += 2;
        DrawRaisedBorder(dc, border, m_colors.headerHighlight, m_colors.headerShadow);
    }
}

bool CSkinListImpl::HeaderLook::operator==(const HeaderLook& other) const
{
    if (columns.size() != other.columns.size())
        return false;
    for (size_t i = 0; i < columns.size(); ++i) {
        const SkinListColumn& a = columns[i];
        const SkinListColumn& b = other.columns[i];
        if (a.title != b.title || a.width != b.width || a.fixed != b.fixed || a.defaultFormat != b.defaultFormat
            || a.image != b.image || a.key != b.key)
            return false;
    }
    return area == other.area && scroll == other.scroll && sortKey == other.sortKey && ascending == other.ascending
        && hot == other.hot && pressed == other.pressed && sorting == other.sorting && dividers == other.dividers
        && themed == other.themed && std::equal(std::begin(colors), std::end(colors), std::begin(other.colors))
        && bitsPerPixel == other.bitsPerPixel;
}

CSkinListImpl::HeaderLook CSkinListImpl::MakeHeaderLook(HDC dc, const CRect& area) const
{
    HeaderLook look;
    look.columns = m_columns;
    look.area = area;
    look.scroll = GetScrollPosition(SB_HORZ);
    look.sortKey = m_sortKey;
    look.ascending = m_sortAscending;
    look.hot = m_state.hotHeader;
    look.pressed = m_state.pressedHeader;
    look.sorting = m_options.sorting;
    look.dividers = m_options.headerDividers;
    look.themed = IsThemed();
    const COLORREF colors[] = { m_colors.headerBackground, m_colors.headerHighlight,
        m_colors.headerShadow, m_colors.headerText, m_colors.pressedHeader };
    std::copy(std::begin(colors), std::end(colors), std::begin(look.colors));
    BITMAP target = {};
    if (::GetObjectA(::GetCurrentObject(dc, OBJ_BITMAP), sizeof(target), &target))
        look.bitsPerPixel = target.bmBitsPixel;
    return look;
}

void CSkinListImpl::PaintCachedHeader(HDC dc, const CRect& clip, const CRect& client)
{
    // Themed header items may be partly transparent, and an owner's scroll bar
    // can scroll the header past its last item: what lies below (the
    // background, a background image, the rubber band's frame) is part of the
    // picture, so it is compared too.
    CRect area;
    if (!area.Intersect(clip, CRect(client.left, client.top, client.right, GetHeaderHeight())))
        return;
    HeaderLook look = MakeHeaderLook(dc, area);
    if (m_headerBelow.Width() != area.Width() || m_headerBelow.Height() != area.Height())
        m_headerBelow.Create(area.Width(), area.Height());
    CMemDC pictureDc(dc);
    if (m_headerBelow.IsNull() || !m_headerBelow.CopyFrom(dc, area.left, area.top) || !pictureDc) {
        PaintHeader(dc, clip, client);
        return;
    }
    const uint32_t* below = m_headerBelow.Row(0);
    const size_t pixels = static_cast<size_t>(area.Width()) * static_cast<size_t>(area.Height());
    const bool same = !m_headerPicture.IsNull() && look == m_headerLook && m_headerBelowPixels.size() == pixels
        && std::equal(below, below + pixels, m_headerBelowPixels.begin());
    if (!same) {
        m_headerPicture.Reset();
        CBitmap picture;
        if (!picture.CreateCompatibleBitmap(dc, area.Width(), area.Height())) {
            PaintHeader(dc, clip, client);
            return;
        }
        {
            CSelectObject select(pictureDc, picture);
            ::BitBlt(pictureDc, 0, 0, area.Width(), area.Height(), dc, area.left, area.top, SRCCOPY);
            CSaveDC saved(pictureDc);
            ::SetViewportOrgEx(pictureDc, -area.left, -area.top, nullptr);
            PaintHeader(pictureDc, clip, client);
        }
        m_headerBelowPixels.assign(below, below + pixels);
        m_headerPicture.Attach(picture.Detach());
        m_headerLook = std::move(look);
    }
    CSelectObject select(pictureDc, m_headerPicture);
    ::BitBlt(dc, area.left, area.top, area.Width(), area.Height(), pictureDc, 0, 0, SRCCOPY);
}

void CSkinListImpl::PaintHeaderItem(HDC dc, int column, const CRect& item, int state, bool dragImage)
{
    const SkinListColumn& col = m_columns[static_cast<size_t>(column)];
    const bool themed = IsThemed();
    const int header = item.Height();
    if (themed) {
        ::DrawThemeBackground(m_headerTheme, dc, HP_HEADERITEM, dragImage ? HIS_PRESSED : state, &item, nullptr);
    } else {
        if (dragImage) {
            FillSolidRect(dc, item, m_colors.headerBackground);
            DrawRaisedBorder(dc, item, m_colors.headerHighlight, m_colors.headerShadow);
        } else if (state == HIS_PRESSED) {
            FillSolidRect(dc, item, m_colors.pressedHeader);
        }
        if (m_options.headerDividers && !dragImage) {
            DrawLine(dc, item.right - 1, item.top + 4, item.right - 1, header - 4, m_colors.headerShadow);
            DrawLine(dc, item.right, item.top + 4, item.right, header - 4, m_colors.headerHighlight);
        }
    }
    CRect text(item.left + 3 + (column == 0 ? 1 : 0), item.top + 1, item.right, item.bottom + 1);
    const bool indicator
        = m_options.sorting && item.Width() > kSortIndicatorRoom && !col.fixed && col.key == m_sortKey;
    if (indicator)
        text.right -= kSortIndicatorRoom;
    text.left += 4;
    text.right -= 5;
    if (col.image != -1 && !m_imageStrip.IsNull()) {
        int cx = kStripImageSize;
        int cy = kStripImageSize;
        ::ImageList_GetIconSize(m_imageStrip, &cx, &cy);
        int x = text.left;
        if (col.title.empty())
            x = text.left + (text.Width() - cx) / 2 - (themed ? 1 : 0);
        const int width = std::min<int>(cx, item.right - 2 - x);
        if (width > 0)
            ::ImageList_DrawEx(m_imageStrip, col.image, dc, x, item.top + (item.Height() - cy) / 2, width, cy,
                CLR_DEFAULT, CLR_DEFAULT, ILD_TRANSPARENT);
        text.left += cx + 4;
    }
    if (!col.title.empty() && text.right > text.left) {
        CSelectObject font(dc, m_font);
        ::SetTextColor(dc, m_colors.headerText);
        ::SetBkMode(dc, TRANSPARENT);
        CRect r(text);
        ::DrawTextA(dc, col.title.c_str(), static_cast<int>(col.title.size()), &r, AlignmentFlags(col.defaultFormat));
    }
    if (indicator && !m_imageStrip.IsNull()) {
        int cx = kStripImageSize;
        int cy = kStripImageSize;
        ::ImageList_GetIconSize(m_imageStrip, &cx, &cy);
        const int x = text.right + 4;
        const int y = item.top + item.Height() / 2 - 3;
        const int width = std::min<int>(cx, item.right - x);
        const int height = std::min<int>(cy, item.bottom - y);
        if (width > 0 && height > 0)
            ::ImageList_DrawEx(m_imageStrip, m_sortAscending ? kImageSortAscending : kImageSortDescending, dc, x, y,
                width, height, CLR_DEFAULT, CLR_DEFAULT, ILD_TRANSPARENT);
    }
}

HBITMAP CSkinListImpl::CreateHeaderDragImage(int column, CSize& size)
{
    SingleLock lock(&m_lock);
    if (!IsValidColumn(column) || GetHeaderHeight() <= 0 || m_columns[static_cast<size_t>(column)].width <= 0)
        return nullptr;
    size = CSize(m_columns[static_cast<size_t>(column)].width, GetHeaderHeight());
    CClientDC screen(nullptr);
    CMemDC dc(screen);
    CBitmap image;
    if (!dc || !image.CreateCompatibleBitmap(screen, size.cx, size.cy))
        return nullptr;
    {
        CSelectObject select(dc, image);
        const CRect item(0, 0, size.cx, size.cy);
        FillSolidRect(dc, item, m_colors.background);
        PaintHeaderItem(dc, column, item, HIS_PRESSED, true);
    }
    return image.Detach();
}

// Animated scrolling ----------------------------------------------------------------------------

int CSkinListImpl::AnimationStepCount(int rows)
{
    return rows < 5 ? 4 : (rows > 7 ? 8 : rows);
}

int CSkinListImpl::AnimationStep(int distance, int count)
{
    // At least one pixel a frame: with short rows the large step would be 0
    // and the rows would never arrive.
    return count > 0 ? std::max(1, (distance - count) / count) : 1;
}

int CSkinListImpl::NextAnimationDistance(int remaining, int step, int count)
{
    if (count < remaining) {
        remaining -= step;
        if (remaining < step)
            remaining = count;
        return remaining;
    }
    return remaining - 1;
}

void CSkinListImpl::StartScrollAnimation(int oldTop, int newTop)
{
    StopScrollAnimation();
    if (oldTop == newTop || m_rowHeight <= 0 || !m_hWnd)
        return;
    const int rows = std::abs(newTop - oldTop);
    ScrollAnimation& a = m_animation;
    a.remaining = rows * m_rowHeight;
    a.count = AnimationStepCount(rows);
    a.step = AnimationStep(a.remaining, a.count);
    a.down = newTop > oldTop;
    const CRect client = GetClientRect();
    a.height = (RowsPerPage(true) + rows) * m_rowHeight;
    if (client.Width() <= 0 || a.height <= 0)
        return;
    CClientDC windowDc(m_hWnd);
    CMemDC dc(windowDc);
    if (!dc || !a.bitmap.CreateCompatibleBitmap(windowDc, client.Width(), a.height))
        return;
    {
        CSelectObject select(dc, a.bitmap);
        SingleLock lock(&m_lock);
        PreparePaintState();
        const CRect area(0, 0, client.Width(), a.height);
        FillSolidRect(dc, area, m_colors.background);
        PaintRows(dc, area, std::min(oldTop, newTop), 0, GetItemCount());
    }
    PaintAnimationFrame();
    SetTimer(kListTimerAnimation, kAnimationIntervalMs);
}

void CSkinListImpl::StopScrollAnimation()
{
    if (m_animation.bitmap.IsNull())
        return;
    if (m_hWnd)
        KillTimer(kListTimerAnimation);
    m_animation.bitmap.Reset();
    Repaint();
}

void CSkinListImpl::PaintAnimationFrame()
{
    if (m_animation.bitmap.IsNull() || !m_hWnd)
        return;
    const CRect client = GetClientRect();
    const int header = GetHeaderHeight();
    const int sourceY = m_animation.down
        ? m_animation.height - RowsPerPage(true) * m_rowHeight - m_animation.remaining
        : m_animation.remaining;
    CClientDC windowDc(m_hWnd);
    CMemDC dc(windowDc);
    CSelectObject select(dc, m_animation.bitmap);
    ::BitBlt(windowDc, 0, header, client.Width(), client.Height() - header, dc, 0, sourceY, SRCCOPY);
}

void CSkinListImpl::OnAnimationTimer(UINT_PTR id, BOOL& handled)
{
    if (id != kListTimerAnimation) {
        handled = FALSE;
        return;
    }
    ScrollAnimation& a = m_animation;
    a.remaining = NextAnimationDistance(a.remaining, a.step, a.count);
    if (a.remaining < 0 || a.bitmap.IsNull()) {
        KillTimer(kListTimerAnimation);
        StopScrollAnimation();
        Repaint();
        return;
    }
    PaintAnimationFrame();
}
