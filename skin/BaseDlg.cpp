#include "skin/BaseDlg.h"

CBaseDlg::~CBaseDlg()
{
    while (!m_controls.empty())
        m_controls.erase(m_controls.begin());
}

std::string CBaseDlg::GetButtonImage(int)
{
    return std::string();
}

std::string CBaseDlg::GetCheckBoxImage(int, int)
{
    return std::string();
}

std::string CBaseDlg::GetRadioImage(int, int)
{
    return std::string();
}

void CBaseDlg::AddSkinnedControl(std::unique_ptr<CWindowRouter> control)
{
    if (control)
        m_controls.push_back(std::move(control));
}

LRESULT CBaseDlg::EndDialogCancel(WORD, WORD, HWND, BOOL&)
{
    ::EndDialog(m_dialog, IDCANCEL);
    return 0;
}

LRESULT CBaseDlg::EndDialogOk(WORD, WORD, HWND, BOOL&)
{
    ::EndDialog(m_dialog, IDOK);
    return 0;
}

LRESULT CBaseDlg::OnPaint(UINT, WPARAM wp, LPARAM, BOOL& handled)
{
    if (wp) {
        handled = FALSE;
        return 0;
    }
    PAINTSTRUCT paint;
    ::BeginPaint(m_dialog, &paint);
    ::EndPaint(m_dialog, &paint);
    return 0;
}
