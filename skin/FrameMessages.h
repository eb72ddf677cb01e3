#pragma once
// Messages the skinned controls send or post to the frame window that owns them.
#include <windows.h>

enum FrameMessageId : UINT {
    // Posted: a windowless image button was pressed; wParam its id, lParam
    // the screen point just below its left edge (x low word, y high word).
    kFrameItemPressed = 4029,
    // Sent: a status-bar pane was clicked; wParam the pane's value.
    kFrameStatusPaneClicked = 4044,
    // Posted: the last pop-up of the caption menu has closed.
    kFrameCaptionPopupClosed = 4599,
    // Posted: the caption menu's tracking loop has ended.
    kFrameCaptionTrackingEnded = 4600,
};
