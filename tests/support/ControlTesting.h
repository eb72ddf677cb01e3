#pragma once
// What tests of skinned controls share: a popup parent that paints one colour
// (also into WM_PRINTCLIENT, so children that take their parent's background
// show it) and records the commands and messages its children send, images of
// solid frames, the skin files the generator draws, and the text of a
// window's tooltip.
#include "base/DataPaths.h"
#include "base/ImageUtil.h"
#include "tests/support/WindowTesting.h"
#include "win/Dib32.h"
#include "win/WindowImpl.h"
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include <vector>

// The text of the tooltip tool that covers window, from whichever tooltip
// window of this thread holds it; empty when none does.
struct ToolSearch
{
    HWND tool;
    std::string text;
};

inline BOOL CALLBACK FindToolText(HWND hwnd, LPARAM param)
{
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    if (::lstrcmpiA(name, TOOLTIPS_CLASSA) != 0)
        return TRUE;
    ToolSearch* search = reinterpret_cast<ToolSearch*>(param);
    const int count = static_cast<int>(::SendMessageA(hwnd, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        TTTOOLINFOA info = {};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.lpszText = text;
        if (::SendMessageA(hwnd, TTM_ENUMTOOLSA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info))
            && info.hwnd == search->tool) {
            search->text = text;
            return FALSE;
        }
    }
    return TRUE;
}

inline std::string ToolTipTextOf(HWND tool)
{
    ToolSearch search = { tool, std::string() };
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindToolText, reinterpret_cast<LPARAM>(&search));
    return search.text;
}

typedef CWinTraits<WS_POPUP | WS_CLIPCHILDREN> CColourParentTraits;

class CColourParent : public CWindowImpl<CColourParent, CWindow, CColourParentTraits>
{
public:
    DECLARE_WND_CLASS_EX("ZentuColourTestParent", CS_DBLCLKS, COLOR_WINDOW + 1)

    struct Received
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    COLORREF colour = RGB(0, 120, 0);
    // WM_COMMAND and the message below, in arrival order.
    std::vector<Received> received;
    UINT extraMessage = 0;
    // Runs inside the handler, after the message is recorded.
    std::function<void(UINT, WPARAM, LPARAM)> onReceive;

    BEGIN_MSG_MAP(CColourParent)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnErase)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
        MESSAGE_HANDLER(WM_COMMAND, OnRecord)
        if (extraMessage && uMsg == extraMessage)
            ZT_CALL_HANDLER(OnRecord(uMsg, wParam, lParam, bHandled))
    END_MSG_MAP()

    LRESULT OnErase(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        FillSolidRect(reinterpret_cast<HDC>(wp), GetClientRect(), colour);
        return 1;
    }
    LRESULT OnPrintClient(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        FillSolidRect(reinterpret_cast<HDC>(wp), GetClientRect(), colour);
        return 0;
    }
    LRESULT OnRecord(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
    {
        received.push_back({ msg, wp, lp });
        if (onReceive)
            onReceive(msg, wp, lp);
        return 0;
    }
};

// An opaque image of `frames` solid frames, side by side or stacked.
inline HBITMAP SolidFrames(
    int frameWidth, int frameHeight, const std::vector<uint32_t>& colours, bool stacked)
{
    const int n = static_cast<int>(colours.size());
    CDib32 dib;
    if (!dib.Create(stacked ? frameWidth : n * frameWidth, stacked ? n * frameHeight : frameHeight))
        return nullptr;
    for (int k = 0; k < n; ++k)
        for (int y = 0; y < frameHeight; ++y)
            for (int x = 0; x < frameWidth; ++x)
                dib.SetPixel(stacked ? x : k * frameWidth + x, stacked ? k * frameHeight + y : y, colours[k]);
    return dib.DetachBitmap();
}

// A state strip: four opaque frames side by side, one colour each.
inline HBITMAP SolidStrip(int frameWidth, int height, const uint32_t (&colours)[4])
{
    return SolidFrames(frameWidth, height, { colours[0], colours[1], colours[2], colours[3] }, false);
}

inline HBITMAP LoadSkinPng(const char* name)
{
    return LoadImageFromResource(DataPaths::Instance()->GetSkinFile(name).c_str(), "PNG");
}

inline COLORREF ArgbToColorref(uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}
