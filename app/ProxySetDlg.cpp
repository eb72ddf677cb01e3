#include "app/ProxySetDlg.h"

#include "base/Ini.h"
#include "skin/ControlSkinner.h"

namespace {
const int kProxyFieldIds[] = { IDC_PROXY_ADDRESS_LABEL, IDC_PROXY_ADDRESS, IDC_PROXY_PORT_LABEL, IDC_PROXY_PORT,
    IDC_PROXY_USER_LABEL, IDC_PROXY_USER, IDC_PROXY_PASSWORD_LABEL, IDC_PROXY_PASSWORD, IDC_PROXY_SOCKS4,
    IDC_PROXY_SOCKS5, IDC_PROXY_HTTP };
const int kCredentialIds[]
    = { IDC_PROXY_USER_LABEL, IDC_PROXY_USER, IDC_PROXY_PASSWORD_LABEL, IDC_PROXY_PASSWORD };
} // namespace

CProxySetDlg::CProxySetDlg(CIni& ini)
    : m_ini(ini)
{
}

void CProxySetDlg::EnableProxyFields(bool enable)
{
    for (int id : kProxyFieldIds)
        ::EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE);
}

int CProxySetDlg::CheckedButton(int first, int last, int fallback) const
{
    for (int id = first; id <= last; ++id) {
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED)
            return id;
    }
    return fallback;
}

void CProxySetDlg::ApplyEnablingRules()
{
    const ProxyFieldStates states = ProxyFieldsFor(CheckedButton(IDC_PROXY_NONE, IDC_PROXY_NAMED, IDC_PROXY_SYSTEM),
        CheckedButton(IDC_PROXY_SOCKS4, IDC_PROXY_HTTP, IDC_PROXY_HTTP));
    EnableProxyFields(states.proxyFields);
    if (states.proxyFields && !states.credentials) {
        for (int id : kCredentialIds)
            ::EnableWindow(GetDlgItem(id), FALSE);
    }
}

LRESULT CProxySetDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_info = ReadProxyInfo(m_ini);
    SetDlgItemText(IDC_PROXY_ADDRESS, m_info.address.c_str());
    ::SetDlgItemInt(m_hWnd, IDC_PROXY_PORT, m_info.port, FALSE);
    SetDlgItemText(IDC_PROXY_USER, m_info.user.c_str());
    SetDlgItemText(IDC_PROXY_PASSWORD, m_info.password.c_str());

    const int type = m_info.proxyType == 1 ? IDC_PROXY_SOCKS4
        : m_info.proxyType == 2            ? IDC_PROXY_SOCKS5
                                           : IDC_PROXY_HTTP;
    ::CheckRadioButton(m_hWnd, IDC_PROXY_SOCKS4, IDC_PROXY_HTTP, type);
    const int access = m_info.accessType == 1 ? IDC_PROXY_NONE
        : m_info.accessType == 3              ? IDC_PROXY_NAMED
                                              : IDC_PROXY_SYSTEM;
    ::CheckRadioButton(m_hWnd, IDC_PROXY_NONE, IDC_PROXY_NAMED, access);
    ApplyEnablingRules();

    m_frame.Attach(m_hWnd, 2);
    m_frame.SetCaptionTextColor(RGB(192, 0, 0));
    SkinDialogButtons(*this, m_hWnd);
    CenterWindow(GetParent());
    return TRUE;
}

LRESULT CProxySetDlg::OnChoice(WORD code, WORD, HWND, BOOL& handled)
{
    if (code != BN_CLICKED) {
        handled = FALSE;
        return 0;
    }
    ApplyEnablingRules();
    return 0;
}

bool CProxySetDlg::TakeText(int id, std::string& out)
{
    out = GetDlgItemText(id);
    if (static_cast<int>(out.size()) <= kMaxTextLength)
        return true;
    ::MessageBeep(MB_OK);
    ::SetFocus(GetDlgItem(id));
    return false;
}

LRESULT CProxySetDlg::OnOK(WORD, WORD, HWND, BOOL&)
{
    ProxyInfo info;
    if (!TakeText(IDC_PROXY_ADDRESS, info.address))
        return 0;
    if (!ParseProxyPort(GetDlgItemText(IDC_PROXY_PORT), info.port)) {
        ::MessageBeep(MB_OK);
        ::SetFocus(GetDlgItem(IDC_PROXY_PORT));
        return 0;
    }
    if (!TakeText(IDC_PROXY_USER, info.user) || !TakeText(IDC_PROXY_PASSWORD, info.password))
        return 0;
    info.accessType = ::IsDlgButtonChecked(m_hWnd, IDC_PROXY_NONE) == BST_CHECKED ? 1
        : ::IsDlgButtonChecked(m_hWnd, IDC_PROXY_NAMED) == BST_CHECKED          ? 3
                                                                                 : 0;
    info.proxyType = ::IsDlgButtonChecked(m_hWnd, IDC_PROXY_SOCKS4) == BST_CHECKED ? 1
        : ::IsDlgButtonChecked(m_hWnd, IDC_PROXY_SOCKS5) == BST_CHECKED            ? 2
                                                                                   : 3;
    WriteProxyInfo(m_ini, info);
    EndDialog(IDOK);
    return 0;
}
