#include "views/TechManDlg.h"

#include "base/DataPaths.h"
#include "base/UnicodeString.h"
#include "formula/FormulaLibrary.h"
#include "skin/ControlSkinner.h"
#include "skin/DialogBackground.h"
#include "views/IndicatorTree.h"
#include "views/StockGraphTabs.h"
#include "views/StockGraphView.h"

#include <set>

namespace {

const int kTreeFontHeight = 13;
const int kListFontHeight = 12;
const int kColumnWidth = 150;
const COLORREF kCaptionTextColour = RGB(192, 0, 0);

int SystemMessageBox(HWND owner, const std::string& text, const std::string& title, UINT type)
{
    return ::MessageBoxW(owner, GbkToWide(text).c_str(), GbkToWide(title).c_str(), type);
}

}

CTechManDlg::CTechManDlg(const std::string& indicatorListPath)
    : m_indicatorListPath(indicatorListPath)
    , m_messageBox(&SystemMessageBox)
{
}

std::string CTechManDlg::GetButtonImage(int id)
{
    return id == IDC_TECH_ADD || id == IDC_TECH_REMOVE ? "menu000.png" : std::string();
}

std::string CTechManDlg::IndicatorListPath() const
{
    if (!m_indicatorListPath.empty())
        return m_indicatorListPath;
    return DataPaths::Instance()->GetShowFormulaFile();
}

LRESULT CTechManDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_tree = CTreeViewCtrl(GetDlgItem(IDC_TECH_TREE));
    if (m_treeFont.Create("宋体", kTreeFontHeight, FW_NORMAL))
        m_tree.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_treeFont.Get()), FALSE);
    FillTree();
    AttachList();
    LoadFormulas();
    m_frame.Attach(m_hWnd, 2);
    m_frame.SetCaptionTextColor(kCaptionTextColour);
    SkinDialogButtons(*this, m_hWnd);
    CenterWindow(GetParent());
    FillList();
    return TRUE;
}

void CTechManDlg::FillTree()
{
    if (!m_tree.m_hWnd)
        return;
    const FormulaLibrary* library = FormulaLibrary::Instance();
    if (!library)
        return;
    for (const IndicatorTreeCategory& category : BuildIndicatorTree(*library, IndicatorTextForm::kNameAndDescription)) {
        // A category carries 0, which no indicator has: ">>" tells them apart by it.
        HTREEITEM root = m_tree.InsertItem(category.name.c_str(), TVI_ROOT, TVI_LAST, 0);
        if (!root)
            continue;
        for (const IndicatorTreeItem& item : category.items)
            m_tree.InsertItem(item.text.c_str(), root, TVI_LAST, static_cast<LPARAM>(item.number));
    }
}

void CTechManDlg::AttachList()
{
    // The skinned list takes the place and the id of the template's list.
    HWND place = GetDlgItem(IDC_TECH_LIST);
    if (!place)
        return;
    const CRect rect = CWindow(place).GetRectInParent();
    ::DestroyWindow(place);
    m_list.m_options.tallRows = false;
    CFont font;
    if (font.Create("宋体", kListFontHeight, FW_NORMAL))
        m_list.SetListFont(font.Detach());
    m_list.Create(m_hWnd, rect, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE,
        IDC_TECH_LIST);
    m_list.AddColumn("指标", kColumnWidth);
}

void CTechManDlg::LoadFormulas()
{
    m_numbers = kline::LoadIndicatorNumbers(IndicatorListPath());
}

bool CTechManDlg::SaveFormulas()
{
    return SaveIndicatorNumbers(IndicatorListPath(), m_numbers);
}

void CTechManDlg::FillList()
{
    const FormulaLibrary* library = FormulaLibrary::Instance();
    {
        SingleLock lock(&m_list.GetListLock());
        if (m_list.GetItemCount() > 0)
            m_list.DeleteAllItems();
        // Numbers the store does not know get no row; the next save drops them.
        if (library) {
            for (const IndicatorTreeItem& row : KnownIndicators(*library, m_numbers)) {
                const int index = m_list.InsertItem(row.text, false);
                if (index < 0)
                    break;
                m_list.SetItemData(index, static_cast<uint32_t>(row.number));
            }
        }
    }
    if (m_list.m_hWnd) {
        m_list.UpdateScrollBars();
        m_list.Invalidate();
    }
}

std::vector<int32_t> CTechManDlg::GetListNumbers() const
{
    std::vector<int32_t> numbers;
    SingleLock lock(&m_list.GetListLock());
    const int count = m_list.GetItemCount();
    for (int row = 0; row < count; ++row) {
        uint32_t data = 0;
        if (m_list.GetItemData(row, data))
            numbers.push_back(static_cast<int32_t>(data));
    }
    return numbers;
}

bool CTechManDlg::ListHolds(int32_t number) const
{
    for (int32_t held : GetListNumbers()) {
        if (held == number)
            return true;
    }
    return false;
}

HTREEITEM CTechManDlg::FindTreeItem(int32_t number) const
{
    if (!m_tree.m_hWnd)
        return nullptr;
    for (HTREEITEM category = m_tree.GetRootItem(); category; category = m_tree.GetNextSiblingItem(category)) {
        for (HTREEITEM item = m_tree.GetChildItem(category); item; item = m_tree.GetNextSiblingItem(item)) {
            if (static_cast<int32_t>(m_tree.GetItemData(item)) == number)
                return item;
        }
    }
    return nullptr;
}

void CTechManDlg::AddSelectedIndicator()
{
    if (!m_tree.m_hWnd)
        return;
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (!selected)
        return;
    const int32_t number = static_cast<int32_t>(m_tree.GetItemData(selected));
    if (number == 0 || ListHolds(number))
        return;
    {
        SingleLock lock(&m_list.GetListLock());
        const int index = m_list.InsertItem(m_tree.GetItemText(selected), false);
        if (index < 0)
            return;
        m_list.SetItemData(index, static_cast<uint32_t>(number));
    }
    if (m_list.m_hWnd)
        m_list.UpdateScrollBars();
    Invalidate();
}

void CTechManDlg::RemoveSelectedRows()
{
    if (!m_list.m_hWnd || !m_list.IsWindowVisible())
        return;
    {
        SingleLock lock(&m_list.GetListLock());
        // From the bottom up, so that the rows still to go keep their places.
        const std::set<int> selection = m_list.GetSelection();
        for (auto row = selection.rbegin(); row != selection.rend(); ++row)
            m_list.DeleteItem(*row);
    }
    m_list.UpdateScrollBars();
    m_list.Invalidate();
}

bool CTechManDlg::Save()
{
    m_numbers = GetListNumbers();
    const bool saved = SaveFormulas();
    // A failed write leaves the old file whole; the user must not be told it
    // was saved.
    if (m_messageBox) {
        if (saved)
            m_messageBox(m_hWnd, "保存成功！", "", MB_OK);
        else
            m_messageBox(m_hWnd, "保存失败！", "", MB_OK | MB_ICONERROR);
    }
    return saved;
}

void CTechManDlg::RestoreDefaults()
{
    m_numbers = DefaultIndicatorNumbers();
    FillList();
}

LRESULT CTechManDlg::OnEraseBackground(UINT, WPARAM wp, LPARAM, BOOL&)
{
    return PaintSkinnedDialogBackground(m_hWnd, reinterpret_cast<HDC>(wp), m_frame);
}

LRESULT CTechManDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_tree = CTreeViewCtrl();
    // Whatever closed the dialog, the numbers loaded or last saved or restored
    // are written; a failure leaves the file as it was.
    SaveFormulas();
    handled = FALSE;
    return 0;
}

LRESULT CTechManDlg::OnEnd(WORD, WORD id, HWND, BOOL&)
{
    EndDialog(id == IDOK ? IDOK : IDCANCEL);
    return 0;
}

LRESULT CTechManDlg::OnAdd(WORD, WORD, HWND, BOOL&)
{
    AddSelectedIndicator();
    return 0;
}

LRESULT CTechManDlg::OnRemove(WORD, WORD, HWND, BOOL&)
{
    RemoveSelectedRows();
    return 0;
}

LRESULT CTechManDlg::OnSave(WORD, WORD, HWND, BOOL&)
{
    Save();
    return 0;
}

LRESULT CTechManDlg::OnRestore(WORD, WORD, HWND, BOOL&)
{
    RestoreDefaults();
    return 0;
}

void InstallIndicatorManager(CStockGraphView& view, const std::string& indicatorListPath)
{
    view.SetIndicatorManagerOpener([indicatorListPath](HWND parent) {
        CTechManDlg dialog(indicatorListPath);
        dialog.DoModal(parent);
    });
}
