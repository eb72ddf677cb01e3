#pragma once
// The parts of a skinned horizontal scroll bar and the positions its thumb
// stands for, as plain arithmetic over the client size, the sizes of the
// arrow and thumb images and the bar's range and position.
#include "win/Geometry.h"

class CHScrollGeometry
{
public:
    // What a press lands on.
    enum Part { kNone = -1, kLeftArrow = 1, kRightArrow = 2, kThumb = 3, kPageLeft = 4, kPageRight = 5 };

    // A missing image counts as 0 by 0.
    CHScrollGeometry(CSize client, CSize leftArrow, CSize rightArrow, CSize thumb, int minPos, int maxPos);

    CRect LeftArrow() const { return m_leftArrow; }
    CRect RightArrow() const { return m_rightArrow; }
    CRect Channel() const { return m_channel; }
    // Channel width less the thumb's: where the thumb's left edge can travel.
    int Room() const { return m_channel.Width() - m_thumbSize.cx; }
    // The thumb's rectangle for a position; empty when the thumb does not
    // fit the channel.
    CRect Thumb(int pos) const;
    // The thumb's rectangle with its left edge at a client x.
    CRect ThumbAt(int left) const;
    // The position a client x of the thumb's left edge stands for, within
    // the range; the range's start when the thumb has no room.
    int PositionFromX(int x) const;
    // The part under a press. Without room for a thumb the channel is no
    // part: there is no thumb to page towards.
    Part HitTest(CPoint point, int pos) const;
    // The x whose position a press on the channel sends.
    int PageX(Part part, int x) const;
    // Where a dragged thumb's left edge may go.
    int ClampThumbLeft(int left) const;

private:
    CSize m_thumbSize;
    int m_min;
    int m_max;
    CRect m_leftArrow;
    CRect m_rightArrow;
    CRect m_channel;
};
