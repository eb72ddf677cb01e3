#pragma once
// Where the tabs of a flat tab strip lie, as plain arithmetic over the tab
// widths, the tab height, where the tab area starts and how far the strip is
// scrolled. The control measures the titles and keeps the numbers; every
// position, hit and scroll step is decided here.
#include <vector>

class CFlatTabGeometry
{
public:
    // Client x where the tab area starts: after the scroll buttons, 16 px each.
    static int AreaStart(bool arrows, bool firstLast);
    // A tab is as wide as its title plus one and a half heights (the slants).
    static int TabWidth(int titleWidth, int height);

    // widths: each tab's full width; height: the client (and tab) height;
    // start: AreaStart; offset: the strip x shown at the area's first pixel.
    CFlatTabGeometry(const std::vector<int>& widths, int height, int start, int offset);

    // The strip x of the next tab after tab i: tabs overlap by half a height
    // and two pixels more.
    int Step(int index) const;
    // The strip x where tab i starts.
    int StripX(int index) const;
    // The strip's width: the tabs overlapping by half a height, plus 2.
    int Total() const;
    // Client left and right of tab i (false when there is no such tab).
    bool ItemRect(int index, int& left, int& right) const;
    // The tab under client x, -1 left of the area or right of the last tab.
    // The pixel where two tabs meet belongs to the left one.
    int HitTest(int x) const;

    // The offset that brings tab i into a window of clientWidth pixels:
    // a tab left of the area starts at its first pixel, a tab past the right
    // edge ends at it; a tab already in view keeps the offset.
    int OffsetToShow(int index, int clientWidth) const;
    // The offsets the four scroll buttons choose (the current one when the
    // area's first pixel shows no tab, for the left and right buttons).
    int OffsetForLeft() const;
    int OffsetForRight() const;
    int OffsetForLast(int clientWidth) const;
    // Whether the left and right buttons can scroll further.
    bool CanScrollLeft() const { return m_offset != 0; }
    bool CanScrollRight(int clientWidth) const;

private:
    const std::vector<int>& m_widths;
    int m_height;
    int m_start;
    int m_offset;
};
