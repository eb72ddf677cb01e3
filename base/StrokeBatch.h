#pragma once
// Straight 1-px strokes, outlines and filled rectangles of one colour,
// gathered while a chart walks its bars and drawn under a pen and a brush
// selected once: the strokes with one PolyPolyline, each outline with one
// Rectangle and each fill with FillRect's PatBlt. A stroke ends one pixel
// short, as a MoveToEx/LineTo pair does, and an outline lights FrameRect's
// pixels, so the batch lights exactly the pixels the calls would light one by
// one under a copying mix mode, with far fewer calls and selections. A batch
// that must not be reordered against other drawing is flushed first.
#include <windows.h>
#include <utility>
#include <vector>

class StrokeBatch
{
public:
    // The stroke from (x1, y1) to (x2, y2), without (x2, y2).
    void AddLine(int x1, int y1, int x2, int y2);
    // The 1-px outline FrameRect draws for rect (nothing for an empty one).
    void AddFrame(const RECT& rect);
    // A rectangle FillRect would fill with the batch's brush.
    void AddFill(const RECT& rect) { m_fills.push_back(rect); }
    bool IsEmpty() const { return m_counts.empty() && m_frames.empty() && m_fills.empty(); }
    // Fills with brush, outlines and strokes with pen (restoring what the DC
    // had selected), and empties the batch.
    void Flush(HDC dc, HPEN pen, HBRUSH brush);

private:
    std::vector<POINT> m_points;
    std::vector<DWORD> m_counts;
    std::vector<RECT> m_frames;
    std::vector<RECT> m_fills;
};

// One batch per colour, for bars of a few colours that never overlap one
// another: the order between colours does not matter then, nor the order of
// fills and strokes within a colour.
class ColouredStrokes
{
public:
    StrokeBatch& For(COLORREF colour);
    // Each colour's batch with the cached 1-px pen and brush of that colour.
    void Flush(HDC dc);

private:
    std::vector<std::pair<COLORREF, StrokeBatch>> m_batches;
};
