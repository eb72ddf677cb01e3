#include "skin/DialogBackground.h"

#include "skin/NcDraw.h"

LRESULT PaintSkinnedDialogBackground(HWND dialog, HDC dc, CNcDraw& frame)
{
    RECT client = {};
    ::GetClientRect(dialog, &client);
    const NcFrameMetrics& metrics = frame.GetMetrics();
    RECT inside = { client.left + metrics.leftWidth, client.top + metrics.titleHeight,
        client.right - metrics.rightWidth, client.bottom - metrics.bottomHeight };
    ::FillRect(dc, &inside, ::GetSysColorBrush(COLOR_3DFACE));
    if (frame.GetWindow() == dialog)
        frame.PaintFrame(dc);
    return 1;
}
