#pragma once
// The proxy settings dialog of the login dialog's "网络设置": no proxy, the
// system browser's settings, or a named SOCKS4, SOCKS5 or HTTP proxy with
// optional credentials, kept in section "ProxyInfo" of the owner's "run.ini".
// A change counts from the next login.
#include "app/ProxyInfo.h"
#include "skin/DialogBackground.h"
#include "res/resource.h"
#include "skin/BaseDlg.h"
#include "win/DialogImpl.h"

class CIni;

class CProxySetDlg : public CDialogImpl<CProxySetDlg>, public CBaseDlg
{
public:
    enum { IDD = IDD_PROXY_SET };
    // The longest address, user or password the dialog stores.
    static const int kMaxTextLength = 256;

    // The owner's settings file, bound to "run.ini"; it outlives the dialog.
    explicit CProxySetDlg(CIni& ini);

    // Enables or disables the address, port, user and password fields with
    // their labels and the proxy type choices together.
    void EnableProxyFields(bool enable);

    BEGIN_MSG_MAP(CProxySetDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, EndDialogCancel)
        COMMAND_RANGE_HANDLER(IDC_PROXY_NONE, IDC_PROXY_NAMED, OnChoice)
        COMMAND_RANGE_HANDLER(IDC_PROXY_SOCKS4, IDC_PROXY_HTTP, OnChoice)
        CHAIN_MSG_MAP(CBaseDlg)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        return PaintSkinnedDialogBackground(m_hWnd, reinterpret_cast<HDC>(wp), m_frame);
    }
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnChoice(WORD code, WORD id, HWND, BOOL& handled);
    // Enables the fields as the checked radio buttons ask.
    void ApplyEnablingRules();
    int CheckedButton(int first, int last, int fallback) const;
    // False (with a beep and the focus on the field) for a text too long.
    bool TakeText(int id, std::string& out);

    CIni& m_ini;
    ProxyInfo m_info;
};
