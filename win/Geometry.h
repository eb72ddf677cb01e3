#pragma once
// Points, sizes and rectangles with the arithmetic the painters use. They are
// the platform structures themselves, so they pass wherever a RECT* is wanted.
#include <windows.h>

class CPoint : public POINT
{
public:
    CPoint() { x = y = 0; }
    CPoint(int px, int py) { x = px, y = py; }
    CPoint(POINT p) { x = p.x, y = p.y; }
    // A point packed into a message parameter, with signed coordinates.
    static CPoint FromLParam(LPARAM lp)
    {
        return CPoint(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
    }

    void Offset(int dx, int dy) { x += dx, y += dy; }
    bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
    bool operator!=(const POINT& p) const { return !(*this == p); }
    CPoint operator+(const POINT& p) const { return CPoint(x + p.x, y + p.y); }
    CPoint operator-(const POINT& p) const { return CPoint(x - p.x, y - p.y); }
};

class CSize : public SIZE
{
public:
    CSize() { cx = cy = 0; }
    CSize(int w, int h) { cx = w, cy = h; }
    CSize(SIZE s) { cx = s.cx, cy = s.cy; }
    bool operator==(const SIZE& s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(const SIZE& s) const { return !(*this == s); }
};

class CRect : public RECT
{
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    CRect(const RECT& r) { left = r.left, top = r.top, right = r.right, bottom = r.bottom; }
    CRect(POINT topLeft, SIZE size)
    {
        left = topLeft.x, top = topLeft.y, right = left + size.cx, bottom = top + size.cy;
    }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    // True when the rectangle encloses no pixel (a negative extent included).
    bool IsEmpty() const { return right <= left || bottom <= top; }
    // Half open: the right and bottom edges are outside.
    bool Contains(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void Set(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    void Offset(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
    void MoveTo(int x, int y) { Offset(x - left, y - top); }
    void Inflate(int dx, int dy) { left -= dx, right += dx, top -= dy, bottom += dy; }
    void Deflate(int dx, int dy) { Inflate(-dx, -dy); }
    void Deflate(int l, int t, int r, int b) { left += l, top += t, right -= r, bottom -= b; }
    // The common part; an empty rectangle (all zero) when there is none.
    bool Intersect(const RECT& a, const RECT& b) { return ::IntersectRect(this, &a, &b) != FALSE; }
    void Union(const RECT& a, const RECT& b) { ::UnionRect(this, &a, &b); }
    void Normalize()
    {
        if (left > right) {
            LONG t = left;
            left = right, right = t;
        }
        if (top > bottom) {
            LONG t = top;
            top = bottom, bottom = t;
        }
    }

    bool operator==(const RECT& r) const
    {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    bool operator!=(const RECT& r) const { return !(*this == r); }
    operator RECT*() { return this; }
    operator const RECT*() const { return this; }
};
