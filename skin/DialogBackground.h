#pragma once
// The client background of the skinned dialogs: their client area covers the
// whole window, so erasing it would wipe the frame. The area inside the frame
// gets the dialog colour and the frame is painted again over its edges.
#include <windows.h>

class CNcDraw;

// For WM_ERASEBKGND (and WM_PRINTCLIENT); returns 1.
LRESULT PaintSkinnedDialogBackground(HWND dialog, HDC dc, CNcDraw& frame);
