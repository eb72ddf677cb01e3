#include "tools/uidriver/ScreenCapture.h"

#include <map>
#include <set>

#include "base/PngFile.h"

std::unique_ptr<CDib32> CaptureWindow(HWND hwnd)
{
    RECT r;
    if (!::GetWindowRect(hwnd, &r) || r.right <= r.left || r.bottom <= r.top)
        return nullptr;
    std::unique_ptr<CDib32> image(new CDib32);
    if (!image->Create(r.right - r.left, r.bottom - r.top))
        return nullptr;
    // Another process's window is read from the screen: its DC is not ours.
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(image->GetDC(), 0, 0, image->Width(), image->Height(), screen, r.left, r.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    return image;
}

bool SaveCapture(const CDib32& image, const std::string& path)
{
    CDib32& pixels = const_cast<CDib32&>(image);
    return SavePixelsAsPng(pixels.Row(0), image.Width(), image.Height(), false, path);
}

PixelArea AreaOfChild(HWND topLevel, HWND child)
{
    RECT outer, inner;
    ::GetWindowRect(topLevel, &outer);
    ::GetWindowRect(child, &inner);
    return { inner.left - outer.left, inner.top - outer.top, inner.right - outer.left, inner.bottom - outer.top };
}

namespace {

PixelArea Clip(const CDib32& image, PixelArea area)
{
    if (area.left < 0)
        area.left = 0;
    if (area.top < 0)
        area.top = 0;
    if (area.right > image.Width())
        area.right = image.Width();
    if (area.bottom > image.Height())
        area.bottom = image.Height();
    return area;
}

COLORREF MostCommon(const CDib32& image, const PixelArea& area)
{
    std::map<COLORREF, int> counts;
    for (int y = area.top; y < area.bottom; y += 2) {
        for (int x = area.left; x < area.right; x += 2)
            ++counts[image.GetColor(x, y)];
    }
    COLORREF best = 0;
    int most = -1;
    for (const auto& entry : counts) {
        if (entry.second > most) {
            most = entry.second;
            best = entry.first;
        }
    }
    return best;
}

} // namespace

int ColumnsWith(const CDib32& image, const PixelArea& wanted, const std::function<bool(COLORREF)>& match)
{
    const PixelArea area = Clip(image, wanted);
    int columns = 0;
    for (int x = area.left; x < area.right; ++x) {
        for (int y = area.top; y < area.bottom; ++y) {
            if (match(image.GetColor(x, y))) {
                ++columns;
                break;
            }
        }
    }
    return columns;
}

int ColumnsWithVerticalRun(
    const CDib32& image, const PixelArea& wanted, const std::function<bool(COLORREF)>& match, int minRun)
{
    const PixelArea area = Clip(image, wanted);
    int columns = 0;
    for (int x = area.left; x < area.right; ++x) {
        int run = 0;
        for (int y = area.top; y < area.bottom && run < minRun; ++y)
            run = match(image.GetColor(x, y)) ? run + 1 : 0;
        columns += run >= minRun ? 1 : 0;
    }
    return columns;
}

int RowsWithContent(const CDib32& image, const PixelArea& wanted, int minPixels)
{
    const PixelArea area = Clip(image, wanted);
    const COLORREF background = MostCommon(image, area);
    int rows = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        int differing = 0;
        for (int x = area.left; x < area.right && differing < minPixels; ++x)
            differing += image.GetColor(x, y) != background ? 1 : 0;
        rows += differing >= minPixels ? 1 : 0;
    }
    return rows;
}

int DistinctColours(const CDib32& image, const PixelArea& wanted, int cap)
{
    const PixelArea area = Clip(image, wanted);
    std::set<COLORREF> colours;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            colours.insert(image.GetColor(x, y));
            if (static_cast<int>(colours.size()) >= cap)
                return cap;
        }
    }
    return static_cast<int>(colours.size());
}

double DifferenceShare(const CDib32& a, const CDib32& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Width() == 0 || a.Height() == 0)
        return 1.0;
    size_t differing = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x)
            differing += a.GetColor(x, y) != b.GetColor(x, y) ? 1 : 0;
    }
    return static_cast<double>(differing) / (static_cast<double>(a.Width()) * a.Height());
}

double DifferenceShare(const CDib32& a, const CDib32& b, const PixelArea& area)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return 1.0;
    const PixelArea in = Clip(a, area);
    if (in.right <= in.left || in.bottom <= in.top)
        return 1.0;
    size_t differing = 0;
    for (int y = in.top; y < in.bottom; ++y) {
        for (int x = in.left; x < in.right; ++x)
            differing += a.GetColor(x, y) != b.GetColor(x, y) ? 1 : 0;
    }
    return static_cast<double>(differing) / (static_cast<double>(in.right - in.left) * (in.bottom - in.top));
}

bool IsReddish(COLORREF c)
{
    return GetRValue(c) >= 160 && GetGValue(c) < 90 && GetBValue(c) < 90;
}

bool IsGreenish(COLORREF c)
{
    return GetGValue(c) >= 128 && GetRValue(c) < 90 && GetBValue(c) < 90;
}

bool IsCyanish(COLORREF c)
{
    return GetGValue(c) >= 160 && GetBValue(c) >= 160 && GetRValue(c) < 90;
}

bool IsYellowish(COLORREF c)
{
    return GetRValue(c) >= 160 && GetGValue(c) >= 160 && GetBValue(c) < 100;
}

bool IsWhitish(COLORREF c)
{
    return GetRValue(c) >= 200 && GetGValue(c) >= 200 && GetBValue(c) >= 200;
}
