#include "views/SearchBox.h"

#include <algorithm>

#include "base/GdiObjectCache.h"
#include "base/MbcsText.h"
#include "res/resource.h"
#include "data/GroupData.h"
#include "formula/FormulaLibrary.h"
#include "views/ViewDataSource.h"
#include "views/ViewIds.h"
#include "win/AppModule.h"

namespace {

const COLORREF kCaptionColour = RGB(192, 0, 0);
const DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

bool IsTypedKey(UINT key)
{
    return (key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A) || (key >= 0x60 && key <= 0x69)
        || key == 0x13;
}

} // namespace

LRESULT CDevListBoxImpl::OnLButtonUp(UINT msg, WPARAM wp, LPARAM lp, BOOL&)
{
    LRESULT result = DefWindowProc(msg, wp, lp);
    ::PostMessageA(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), kListClickNotify),
        reinterpret_cast<LPARAM>(m_hWnd));
    return result;
}

SearchBoxLayout LayoutSearchBox(const RECT& content)
{
    SearchBoxLayout layout;
    const LONG editBottom = std::min(content.bottom, content.top + CSearchBox::kEditHeight);
    layout.edit = { content.left, content.top, content.right, editBottom };
    layout.list = { content.left, editBottom, content.right, std::max(editBottom, content.bottom) };
    return layout;
}

CSearchBox::CSearchBox(CMessageProcessor* owner)
    : m_previousFocus(nullptr)
    , m_hideOnClose(false)
    , m_owner(owner)
{
}

CSearchBox::~CSearchBox()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

bool CSearchBox::IsWizardKey(UINT key)
{
    return IsTypedKey(key) || key == VK_SPACE;
}

int CSearchBox::BuildIndex()
{
    FormulaLibrary* library = FormulaLibrary::Instance();
    m_index.Build(DataCenterViewSource().GetCodeTable(), library ? &library->GetDefinitions() : nullptr,
        GroupIndex::Instance());
    return 1;
}

LRESULT CSearchBox::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_frame.SetCaptionTextColor(kCaptionColour);
    m_frame.Attach(m_hWnd, 1);
    SetWindowText("Zentu-键盘精灵");
    HICON icon = ::LoadIconA(CAppModule::Get().GetResourceInstance(), MAKEINTRESOURCEA(IDI_MAINFRAME));
    if (icon) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    RECT none = {};
    m_edit.m_hWnd = ::CreateWindowExA(0, "EDIT", nullptr, kChildStyle, 0, 0, 0, 0, m_hWnd,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kEditId)), ::GetModuleHandleA(nullptr), nullptr);
    m_list.Create(m_hWnd, none, nullptr, kChildStyle | WS_VSCROLL, 0, kListId);
    if (GdiObjectCache* cache = GdiObjectCache::Instance()) {
        HFONT font = cache->GetFont(14, "宋体", 400);
        m_edit.SetFont(font, false);
        m_list.SetFont(font, false);
    }
    Layout();
    handled = FALSE; // the frame sees the creation too
    return 0;
}

void CSearchBox::OnSize(UINT, CSize, BOOL& handled)
{
    Layout();
    handled = FALSE;
}

void CSearchBox::Layout()
{
    if (!m_edit.m_hWnd || !m_list.m_hWnd)
        return;
    const CRect client = GetClientRect();
    // The frame paints over the window's edges: the children stay inside it.
    const NcFrameMetrics& metrics = m_frame.GetMetrics();
    RECT content = { client.left + metrics.leftWidth, client.top + metrics.titleHeight,
        client.right - metrics.rightWidth, client.bottom - metrics.bottomHeight };
    if (content.right < content.left)
        content.right = content.left;
    if (content.bottom < content.top)
        content.bottom = content.top;
    const SearchBoxLayout layout = LayoutSearchBox(content);
    m_edit.MoveWindow(layout.edit);
    m_list.MoveWindow(layout.list);
}

LRESULT CSearchBox::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (m_list.m_hWnd && m_list.GetCurSel() != LB_ERR)
        Close();
    handled = FALSE;
    return 0;
}

LRESULT CSearchBox::OnKeyDownMessage(UINT msg, WPARAM wp, LPARAM lp, BOOL& handled)
{
    // Reached only when no message filter routed the key first.
    MSG message = { m_hWnd, msg, wp, lp, 0, { 0, 0 } };
    if (!OnKeyDown(message))
        handled = FALSE;
    return 0;
}

void CSearchBox::AppendChar(UINT key, UINT, int focusFlag)
{
    if (!IsWizardKey(key) || IsKeyHeld(VK_CONTROL) || !m_edit.m_hWnd)
        return;
    if (focusFlag == 0) {
        HWND previous = ::SetFocus(m_edit.m_hWnd);
        if (previous != m_edit.m_hWnd)
            m_previousFocus = previous;
    }
    char character = static_cast<char>(key);
    if (key >= 0x60 && key <= 0x69)
        character = static_cast<char>('0' + (key - 0x60));
    else if (key == '8' && IsKeyHeld(VK_SHIFT))
        character = '*';
    const char text[2] = { character, 0 };
    const int length = ::GetWindowTextLengthA(m_edit.m_hWnd);
    m_edit.SetSel(length, length);
    m_edit.ReplaceSel(text);
    UpdateMatches(m_edit.GetWindowText());
}

void CSearchBox::UpdateMatches(const std::string& text)
{
    if (TrimLeadingSpace(text).empty())
        return;
    const std::vector<WizardMatch> matches = m_index.FindMatches(text);
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_list.ResetContent();
    for (const WizardMatch& match : matches) {
        const int index = m_list.AddString(match.display.c_str());
        if (index >= 0)
            m_list.SetItemData(index, match.itemData);
    }
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate();
    PostMessage(WM_KEYDOWN, VK_DOWN, 0);
}

void CSearchBox::DeleteLastChar()
{
    std::string text = m_edit.GetWindowText();
    m_edit.SetSel(0, -1);
    if (text.empty()) {
        Close();
        return;
    }
    // The last character, not the last byte: a character that came through
    // an input method is two bytes.
    size_t last = 0;
    for (size_t pos = 0; pos < text.size(); pos += MbcsCharSize(text, pos))
        last = pos;
    text.erase(last);
    m_edit.ReplaceSel(text.c_str());
    if (text.empty())
        Close();
    else
        UpdateMatches(text);
}

void CSearchBox::SelectPrevious()
{
    const int count = m_list.GetCount();
    if (count <= 0)
        return;
    const int current = m_list.GetCurSel();
    m_list.SetCurSel(current <= 0 ? count - 1 : current - 1);
}

void CSearchBox::SelectNext()
{
    const int count = m_list.GetCount();
    if (count <= 0)
        return;
    const int current = m_list.GetCurSel();
    m_list.SetCurSel(current < 0 || current >= count - 1 ? 0 : current + 1);
}

bool CSearchBox::SendSelected(bool requireNoControl)
{
    const int selected = m_list.m_hWnd ? m_list.GetCurSel() : LB_ERR;
    if (selected == LB_ERR)
        return false;
    const uint32_t data = static_cast<uint32_t>(m_list.GetItemData(selected));
    const bool indicator = (data & kWizardIndicatorBit) != 0;
    if (!m_owner || (requireNoControl && !indicator && IsKeyHeld(VK_CONTROL)))
        return true;
    if (indicator)
        m_owner->Dispatch(kViewMsgShowFormula, data & ~kWizardIndicatorBit, 0);
    else if (data & kWizardQuickCodeBit)
        m_owner->Dispatch(kViewMsgQuickCode, data & ~kWizardQuickCodeBit, 0);
    else if (data & kWizardSectorBit)
        m_owner->Dispatch(kViewMsgShowBoard, data & ~kWizardSectorBit, 0);
    else
        m_owner->Dispatch(kViewMsgOpenStock, data, 0);
    return true;
}

int CSearchBox::OnKeyDown(const MSG& message)
{
    if (message.message != WM_KEYDOWN)
        return 1;
    const UINT key = static_cast<UINT>(message.wParam);
    if (IsTypedKey(key)) {
        AppendChar(key, static_cast<UINT>(HIWORD(message.lParam)), 1);
        return 1;
    }
    switch (key) {
    case VK_BACK:
        DeleteLastChar();
        return 1;
    case VK_RETURN:
        if (!SendSelected(true))
            return 0;
        Close();
        return 1;
    case VK_ESCAPE:
        Close();
        return 1;
    case VK_UP:
        SelectPrevious();
        return 1;
    case VK_DOWN:
        SelectNext();
        return 1;
    default:
        return 1;
    }
}

LRESULT CSearchBox::OnListClick(WORD, WORD, HWND, BOOL&)
{
    // Without a match nothing is sent; the click closes the wizard either way.
    SendSelected(false);
    Close();
    return 0;
}

void CSearchBox::Close()
{
    if (m_edit.m_hWnd)
        m_edit.SetWindowText("");
    if (m_hideOnClose && m_hWnd)
        ShowWindow(SW_HIDE);
    HWND previous = m_previousFocus;
    m_previousFocus = nullptr; // a focus change below may close again
    if (previous && ::IsWindow(previous))
        ::SetFocus(previous);
}
