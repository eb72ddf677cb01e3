#pragma once
// The indicator manager: the user chooses, from the indicator store's tree of
// categories, the indicators the K-line view offers as tabs, in the order of
// the list on the right, and keeps them in "showformula.dat". The K-line
// view's tab "设置" runs it modally and refills its tabs when it returns.
#include "res/resource.h"
#include "skin/BaseDlg.h"
#include "skin/SkinListImpl.h"
#include "win/Controls.h"
#include "win/DialogImpl.h"
#include "win/Gdi.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CStockGraphView;

class CTechManDlg : public CDialogImpl<CTechManDlg>, public CBaseDlg
{
public:
    enum { IDD = IDD_TECH_MANAGER };

    // owner, text and title in code page 936, MessageBox's type; its result.
    using MessageBoxFunction = std::function<int(HWND owner, const std::string& text, const std::string& title, UINT type)>;

    // indicatorListPath: the tab file (empty: the data directory's
    // "showformula.dat").
    explicit CTechManDlg(const std::string& indicatorListPath = std::string());

    // How the dialog tells the user the outcome of "保存" (the system's
    // message box unless replaced).
    void SetMessageBox(MessageBoxFunction messageBox) { m_messageBox = std::move(messageBox); }

    // The buttons' work, also for callers that drive the dialog without clicks.
    // ">>": the tree's selected indicator joins the end of the list unless the
    // list holds it already or a category is selected.
    void AddSelectedIndicator();
    // "<<": every selected row leaves the list.
    void RemoveSelectedRows();
    // "保存": the list's rows become the numbers and are written; false, with
    // the user told so, when the file could not be written.
    bool Save();
    // "恢复原始": the five default indicators; nothing is written yet.
    void RestoreDefaults();

    // The numbers written when the dialog ends.
    const std::vector<int32_t>& GetNumbers() const { return m_numbers; }
    // The numbers of the list's rows, top to bottom.
    std::vector<int32_t> GetListNumbers() const;
    CSkinListImpl& GetList() { return m_list; }
    CTreeViewCtrl& GetTree() { return m_tree; }
    // The tree item of an indicator (null when the tree has none).
    HTREEITEM FindTreeItem(int32_t number) const;

    std::string GetButtonImage(int id) override;

    BEGIN_MSG_MAP(CTechManDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_HANDLER(IDOK, BN_CLICKED, OnEnd)
        COMMAND_HANDLER(IDCANCEL, BN_CLICKED, OnEnd)
        COMMAND_HANDLER(IDC_TECH_CLOSE, BN_CLICKED, OnEnd)
        COMMAND_HANDLER(IDC_TECH_ADD, BN_CLICKED, OnAdd)
        COMMAND_HANDLER(IDC_TECH_REMOVE, BN_CLICKED, OnRemove)
        COMMAND_HANDLER(IDC_TECH_SAVE, BN_CLICKED, OnSave)
        COMMAND_HANDLER(IDC_TECH_RESTORE, BN_CLICKED, OnRestore)
        CHAIN_MSG_MAP(CBaseDlg)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM wp, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnEnd(WORD, WORD id, HWND, BOOL&);
    LRESULT OnAdd(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemove(WORD, WORD, HWND, BOOL&);
    LRESULT OnSave(WORD, WORD, HWND, BOOL&);
    LRESULT OnRestore(WORD, WORD, HWND, BOOL&);

    void FillTree();
    void AttachList();
    void LoadFormulas();
    bool SaveFormulas();
    void FillList();
    bool ListHolds(int32_t number) const;
    std::string IndicatorListPath() const;

    CSkinListImpl m_list;
    CTreeViewCtrl m_tree;
    std::vector<int32_t> m_numbers;
    std::string m_indicatorListPath;
    MessageBoxFunction m_messageBox;
    CFont m_treeFont;
};

// Gives the K-line view its indicator manager: its tab "设置" runs the dialog
// modally over the given parent, and the view refills its tabs from the file
// afterwards. indicatorListPath as the dialog's (it must name the file the
// view reads).
void InstallIndicatorManager(CStockGraphView& view, const std::string& indicatorListPath = std::string());
