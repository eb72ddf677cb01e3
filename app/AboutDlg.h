#pragma once
// The about box: the skin picture "about.png" as its whole background, the
// product line, the program's version and a link to the service's web site.
#include "res/resource.h"
#include "skin/SkinBitmapHyperLink.h"
#include "win/DialogImpl.h"
#include "win/Gdi.h"
#include <cstdint>
#include <string>

class CAboutDlg : public CDialogImpl<CAboutDlg>
{
public:
    enum { IDD = IDD_ABOUT };
    // The link without its tooltip.
    static const DWORD kLinkStyle = 64;

    CAboutDlg();

    // The picture file (the skin's "about.png" unless a test names another).
    void SetImagePath(const std::string& path) { m_imagePath = path; }
    CSize GetImageSize() const { return m_imageSize; }
    CSkinBitmapHyperLink& GetLink() { return m_link; }

    BEGIN_MSG_MAP(CAboutDlg)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnControlColour)
        COMMAND_ID_HANDLER(IDOK, OnEnd)
        COMMAND_ID_HANDLER(IDCANCEL, OnEnd)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT msg, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnControlColour(UINT, WPARAM wp, LPARAM, BOOL& handled);
    LRESULT OnEnd(WORD, WORD id, HWND, BOOL&)
    {
        EndDialog(id);
        return 0;
    }
    void Paint(HDC dc);

    CSkinBitmapHyperLink m_link;
    CBitmap m_background;
    CSize m_imageSize;
    std::string m_imagePath;
};
